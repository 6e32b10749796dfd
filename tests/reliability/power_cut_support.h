// What every power-cut scenario shares: quiet task controls, unslept pauses,
// scratch files on a memory disk, and the walk over the cut points.
#pragma once

#include "engine/conversion_controls.h"
#include "engine/task_controls.h"
#include "base/stowlark_app.h"
#include "tests/reliability/power_cut_run.h"
#include "tests/reliability/power_cut_vfs.h"
#include "tests/test_support.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

class RunningHost;

// What one run of a task needs beside the host.
struct TaskSetting {
    std::string archivePath;
    std::string logPath;
};

// Work archived, or Mailbox_Work restored, with deletion, as the dialog
// runs it; how many messages it did, or -1 when the archive cannot open.
int RunTask(PowerCutTask task, const TaskSetting& setting, RunningHost& host);

class QuietControls : public TaskControls, public ConversionControls {
public:
    void SetProgress(int) override {}
    bool StopRequested() override { return false; }
    void EnableStop(bool) override {}
    void ReloadLog() override {}
    void ShowProgress(int, const std::string&) override {}
    void LogWritten() override {}
};

// The host and the archive sync to the disk at every step, which the disk
// pays for many times over across the cases; the recording already knows
// each sync, so the scratch files live in memory when the system has a
// memory disk.
class ScratchInMemory {
public:
    ScratchInMemory();
    ~ScratchInMemory();
    ScratchInMemory(const ScratchInMemory&) = delete;
    ScratchInMemory& operator=(const ScratchInMemory&) = delete;

private:
    void Swap(const char* name);

    std::vector<std::pair<std::string, std::string>> previous_;
};

// Where a cut may come: before each sync, rename and deletion, before a
// sample of the writes (all of them with `allWrites`), and at the end.
std::vector<size_t> CutPoints(const std::vector<FileEvent>& events, const PowerCutOptions& options);

// "name:cut:seed (a cut before the sync of archive.mdb): ", which names the
// case to run alone.
std::string CaseName(const char* scenario, const std::vector<RecordedFile>& files,
                     const std::vector<FileEvent>& events, size_t cut, uint64_t seed);

// For each cut point, the harshest cut and `options.subsets` random ones
// (only the one when nothing was unsynced): the files are put under a
// fresh folder and `check` is called with it and the case's name; what it
// throws is a failure of that case.
void ForEachCut(
    const char* scenario, const std::string& recordedFolder, const std::vector<RecordedFile>& files,
    const std::vector<FileEvent>& events, const PowerCutOptions& options, PowerCutReport& report,
    const std::function<void(const std::string& folder, const std::string& name)>& check);
