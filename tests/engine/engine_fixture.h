// The tasks run headless: the test host's automation server in this process
// on a scratch mail folder, a real archive file, and controls that record
// what a task reports instead of showing it.
#pragma once

#include "db/ado_database.h"
#include "engine/archive_task.h"
#include "engine/message_filter.h"
#include "engine/restore_task.h"
#include "engine/task_controls.h"
#include "tests/host/host_fixture.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

class RecordingControls : public TaskControls {
public:
    void SetProgress(int percent) override {
        progress.push_back(percent);
        if (onProgress) {
            onProgress(percent);
        }
    }
    bool StopRequested() override {
        ++stopChecks;
        if (!stopped && stopWhen) {
            stopped = stopWhen();
        }
        return stopped;
    }
    void EnableStop(bool enable) override { stopEnabled.push_back(enable); }
    void ReloadLog() override { ++reloads; }

    std::vector<int> progress;
    std::vector<bool> stopEnabled;
    int reloads = 0;
    int stopChecks = 0;
    // Asked at each stop check until it says stop; the Stop button stays
    // pressed from then on.
    std::function<bool()> stopWhen;
    // What else happens while the task runs, at each step of the bar.
    std::function<void(int)> onProgress;
    bool stopped = false;
};

// One archive row, all nine columns.
struct ArchiveRow {
    int id = 0;
    int status = 0;
    std::string priority, from, date;
    int size = 0;
    std::string subject, to, message;
};

// One column of the rows, from row `from` on.
template <typename Value>
std::vector<Value> Column(const std::vector<ArchiveRow>& rows, Value ArchiveRow::*column,
                          size_t from = 0) {
    std::vector<Value> values;
    for (size_t i = from; i < rows.size(); ++i) {
        values.push_back(rows[i].*column);
    }
    return values;
}

class EngineTest : public ::testing::Test {
protected:
    EngineTest();
    ~EngineTest() override;

    // Starts the host on the mail folder and opens the archive.
    void Start();

    // The mailbox as the mailbox tree hands it to the archive task.
    MailboxSelection Selection(const std::string& name);
    int Archive(const std::vector<std::string>& mailboxes, bool deleteArchived);
    int Restore(const std::vector<std::string>& tables, bool deleteRestored);

    // What the host holds now, in mailbox order ("In", "Work.fol\\Old", ...).
    std::vector<std::string> Messages(const std::string& mailbox);
    std::vector<int> Statuses(const std::string& mailbox);
    std::vector<ArchiveRow> Rows(const std::string& table);
    // The log file's lines, without their CR LF.
    std::vector<std::string> LogLines();
    std::vector<std::string> BoxTexts() const;

    RunningHost host;
    TempFolder files;
    std::string logPath;
    CADODatabase database;
    StagingFiles staging;
    RecordingControls controls;
    MessageFilter filter;
    MessageBoxCapture boxes;
};
