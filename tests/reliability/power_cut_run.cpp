#include "tests/reliability/power_cut_run.h"

#include "db/ado_database.h"
#include "db/ado_exception.h"
#include "db/ado_recordset.h"
#include "db/archive_schema.h"
#include "tests/host/host_fixture.h"
#include "tests/reliability/host_process.h"
#include "tests/reliability/message_census.h"
#include "tests/reliability/power_cut_image.h"
#include "tests/reliability/power_cut_support.h"
#include "tests/reliability/power_cut_vfs.h"
#include "tests/reliability/power_cut_win32.h"
#include "tests/reliability/varied_mail.h"
#include "testhost/mailstore/toc_file.h"

#include <map>
#include <memory>
#include <optional>
#include <stdexcept>

namespace {

// A commit every twenty rows or so: the task reads the clock about once a
// row and commits once a second of it has passed.
const unsigned kClockStep = 50;

using Snapshot = std::map<std::string, std::shared_ptr<const std::string>>;

struct CutPoint {
    size_t event;
    Snapshot mail;
};

// The varied mail ten times over, each copy told apart by a header line,
// with a few exact repeats; the 2 MB message once.
std::vector<VariedMessage> PowerCutMail() {
    const std::vector<VariedMessage> varied = VariedMail();
    std::vector<VariedMessage> mail;
    for (int copy = 0; copy < 10; ++copy) {
        for (const VariedMessage& message : varied) {
            if (copy > 0 && message.text.size() > 100000) {
                continue;
            }
            VariedMessage made = message;
            if (copy > 0 && copy % 4 != 0) {
                made.text = "X-Copy: " + std::to_string(copy) + "\r\n" + message.text;
            }
            mail.push_back(made);
        }
    }
    return mail;
}

void ReadFolder(const std::string& root, const std::string& relative, const Snapshot& previous,
                Snapshot& snapshot) {
    WIN32_FIND_DATAA found;
    const std::string folder = relative.empty() ? root : root + "\\" + relative;
    HANDLE search = ::FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..") {
            continue;
        }
        const std::string path = relative.empty() ? name : relative + "\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            ReadFolder(root, path, previous, snapshot);
            continue;
        }
        std::string bytes = ReadBytes(root + "\\" + path);
        const auto before = previous.find(path);
        snapshot[path] = before != previous.end() && *before->second == bytes
                             ? before->second
                             : std::make_shared<const std::string>(std::move(bytes));
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
}

Snapshot TakeSnapshot(const std::string& folder, const Snapshot& previous) {
    Snapshot snapshot;
    ReadFolder(folder, "", previous, snapshot);
    return snapshot;
}

void PutSnapshot(const Snapshot& snapshot, const std::string& folder) {
    for (const auto& file : snapshot) {
        const size_t slash = file.first.rfind('\\');
        if (slash != std::string::npos) {
            ::CreateDirectoryA((folder + "\\" + file.first.substr(0, slash)).c_str(), nullptr);
        }
        WriteBytes(folder + "\\" + file.first, *file.second);
    }
}

// A mailbox's messages as the snapshot holds them. The host's every change
// was whole when the snapshot was taken, so its index is read as it stands,
// which costs far less than the host reading each message from its file.
std::vector<std::string> SnapshotTexts(const Snapshot& mail, const std::string& mailbox) {
    const auto mbx = mail.find(mailbox + ".mbx");
    const auto toc = mail.find(mailbox + ".toc");
    std::vector<std::string> texts;
    if (mbx == mail.end() || toc == mail.end()) {
        return texts;
    }
    const std::optional<TocReading> index = ParseToc(*toc->second);
    if (!index || !index->entriesIntact) {
        throw std::runtime_error("the host's index of " + mailbox + " is not whole");
    }
    for (const TocEntry& entry : index->contents.entries) {
        if (entry.message.offset + uint64_t(entry.message.length) > mbx->second->size()) {
            throw std::runtime_error("the host's index of " + mailbox + " is past its file");
        }
        texts.push_back(mbx->second->substr(entry.message.offset, entry.message.length));
    }
    return texts;
}

// The integrity verdict and the archived texts, read as the next start
// reads the file: through the platform's own layer, rolling back a journal
// left hot.
std::string ReadArchive(const std::string& path, std::vector<std::string>& texts) {
    CADODatabase database;
    database.SetConnection(ArchiveConnectionString(path));
    if (!database.Open()) {
        return "cannot be opened: " + database.GetErrorDescription();
    }
    std::string verdict;
    {
        CADORecordset check(database);
        if (!check.Open("SELECT integrity_check AS verdict FROM pragma_integrity_check()")) {
            return "integrity check cannot run: " + database.GetErrorDescription();
        }
        check.ReadField("verdict", verdict);
    }
    try {
        CADORecordset table(database);
        if (table.Open("Mailbox_Work", CADORecordset::OpenTable)) {
            for (; !table.AtEnd(); table.MoveNext()) {
                std::string text;
                table.ReadField("message", text);
                texts.push_back(text);
            }
        }
    } catch (const CADOException&) {
        // Not made yet at the cut: no row is archived.
    }
    return verdict == "ok" ? std::string() : "integrity check: " + verdict;
}

std::vector<std::string> Texts(const std::vector<VariedMessage>& mail) {
    std::vector<std::string> texts;
    for (const VariedMessage& message : mail) {
        texts.push_back(message.text);
    }
    return texts;
}

// The originals a restore took out of the archive that were not yet home.
std::vector<std::string> RemovedNotHome(const std::vector<std::string>& originals,
                                        const MessageCensus& census) {
    std::map<std::string, int> left;
    for (const std::string& text : census.archived) {
        ++left[text];
    }
    std::map<std::string, int> home;
    for (const std::string& text : census.mailbox) {
        ++home[text];
    }
    std::vector<std::string> wrong;
    for (const std::string& text : originals) {
        if (left[text] > 0) {
            --left[text];
        } else if (home[text] > 0) {
            --home[text];
        } else {
            wrong.push_back(Describe(text));
        }
    }
    return wrong;
}

std::string Joined(const std::vector<std::string>& items) {
    std::string text;
    for (const std::string& item : items) {
        text += (text.empty() ? "" : "; ") + item;
    }
    return text;
}

class PowerCutCases {
public:
    PowerCutCases(PowerCutTask task, const PowerCutOptions& options)
        : task_(task), options_(options), mail_(PowerCutMail()), originals_(Texts(mail_)) {}

    PowerCutReport Run() {
        Record();
        for (size_t i = 0; i < points_.size(); ++i) {
            const CutPoint& point = points_[i];
            const bool last = i + 1 == points_.size();
            const bool unsynced = UnsyncedAt(events_, point.event) > 0;
            for (int seed = 0; seed <= (unsynced ? options_.subsets : 0); ++seed) {
                if ((options_.onlyCut >= 0 && options_.onlyCut != (long long)point.event) ||
                    (options_.onlySeed >= 0 && options_.onlySeed != seed)) {
                    continue;
                }
                const bool nextRun = last || report_.cases % options_.nextRunEvery == 0;
                CheckCase(point, static_cast<uint64_t>(seed), nextRun);
            }
        }
        return report_;
    }

private:
    void Record() {
        UnsleptPauses unslept;
        RunningHost& host = *host_;
        host.Start();
        for (const VariedMessage& message : mail_) {
            host.AddMessage("Work", message.text, message.status);
        }
        ::CreateDirectoryA(archiveFolder().c_str(), nullptr);
        setting_.archivePath = archiveFolder() + "\\archive.mdb";
        setting_.logPath = files_ / "stowlark.log";
        App().Context().settingsPath = files_ / "stowlark.ini";
        CreateArchiveDatabase(ArchiveConnectionString(setting_.archivePath));
        if (task_ == PowerCutTask::Restore) {
            RunTask(PowerCutTask::Archive, setting_, host);
        }
        PowerCutRecorder recorder(archiveFolder());
        Snapshot last = TakeSnapshot(host.dataDir(), Snapshot());
        size_t writes = 0;
        recorder.SetObserver([&](size_t index, const FileEvent& event) {
            const bool write =
                event.kind == FileEvent::Kind::Write || event.kind == FileEvent::Kind::Truncate;
            if (event.kind == FileEvent::Kind::Sync ||
                (write && (options_.allWrites || ++writes % options_.writeEvery == 0))) {
                last = TakeSnapshot(host.dataDir(), last);
                points_.push_back({index, last});
            }
        });
        int done = 0;
        {
            SteppedClock clock(kClockStep);
            done = RunTask(task_, setting_, host);
        }
        if (done != static_cast<int>(mail_.size())) {
            report_.failures.push_back("the recorded " + std::string(TaskName(task_)) + " did " +
                                       std::to_string(done) + " of " +
                                       std::to_string(mail_.size()) + " messages");
        }
        events_ = recorder.Events();
        files_recorded_ = recorder.Files();
        points_.push_back({events_.size(), TakeSnapshot(host.dataDir(), last)});
        report_.events = events_.size();
        for (const FileEvent& event : events_) {
            report_.syncs += event.kind == FileEvent::Kind::Sync;
        }
        report_.cutPoints = points_.size();
        // One automation server at a time: each case starts its own host.
        host_.reset();
    }

    void CheckCase(const CutPoint& point, uint64_t seed, bool nextRun) {
        ++report_.cases;
        const std::string where =
            CaseName(TaskName(task_), files_recorded_, events_, point.event, seed);
        try {
            Check(point, seed, nextRun, where);
        } catch (const CADOException& error) {
            report_.failures.push_back(where + error.GetErrorMessage());
        } catch (const std::exception& error) {
            report_.failures.push_back(where + error.what());
        }
    }

    void Check(const CutPoint& point, uint64_t seed, bool nextRun, const std::string& where) {
        TempFolder archive;
        WriteCutFiles(FilesAfterCut(files_recorded_, events_, point.event, seed), archiveFolder(),
                      archive.path());
        TaskSetting setting = setting_;
        setting.archivePath = archive / "archive.mdb";

        MessageCensus census;
        const std::string unsound = ReadArchive(setting.archivePath, census.archived);
        if (!unsound.empty()) {
            report_.failures.push_back(where + "the archive " + unsound);
            return;
        }
        census.mailbox = SnapshotTexts(point.mail, "Work");
        census.trash = SnapshotTexts(point.mail, "Trash");
        census.pending = SnapshotTexts(point.mail, "Pending");
        Expect(where + "lost: ", LostMessages(originals_, census));
        if (task_ == PowerCutTask::Archive) {
            Expect(where + "in Trash without a row: ", TrashedWithoutRow({}, census));
        } else {
            Expect(where + "rows removed before their message was home: ",
                   RemovedNotHome(originals_, census));
        }
        if (!nextRun) {
            return;
        }
        ++report_.nextRuns;
        UnsleptPauses unslept;
        RunningHost host;
        PutSnapshot(point.mail, host.dataDir());
        host.Start();
        RunTask(task_, setting, host);
        MessageCensus after;
        const std::string unsoundAfter = ReadArchive(setting.archivePath, after.archived);
        if (!unsoundAfter.empty()) {
            report_.failures.push_back(where + "after the next run, the archive " + unsoundAfter);
            return;
        }
        MailStore store(host.dataDir());
        after.mailbox = MailboxTexts(store, host, "Work");
        after.pending = MailboxTexts(store, host, "Pending");
        std::vector<std::string> held =
            task_ == PowerCutTask::Archive ? after.archived : after.mailbox;
        const std::vector<std::string>& empty =
            task_ == PowerCutTask::Archive ? after.mailbox : after.archived;
        held.insert(held.end(), empty.begin(), empty.end());
        held.insert(held.end(), after.pending.begin(), after.pending.end());
        Expect(where + "after the next run, not exactly once: ", NotExactlyOnce(originals_, held));
        if (!empty.empty() || !after.pending.empty()) {
            report_.failures.push_back(where + "after the next run, " +
                                       std::to_string(empty.size() + after.pending.size()) +
                                       " messages were not moved");
        }
    }

    void Expect(const std::string& what, const std::vector<std::string>& wrong) {
        if (!wrong.empty()) {
            report_.failures.push_back(what + Joined(wrong));
        }
    }

    std::string archiveFolder() const { return files_ / "archive"; }

    ScratchInMemory scratch_;
    PowerCutTask task_;
    PowerCutOptions options_;
    std::vector<VariedMessage> mail_;
    std::vector<std::string> originals_;
    TempFolder files_;
    std::unique_ptr<RunningHost> host_ = std::make_unique<RunningHost>();
    TaskSetting setting_;
    std::vector<FileEvent> events_;
    std::vector<RecordedFile> files_recorded_;
    std::vector<CutPoint> points_;
    PowerCutReport report_;
};

} // namespace

const char* TaskName(PowerCutTask task) {
    return task == PowerCutTask::Archive ? "archive" : "restore";
}

PowerCutReport RunPowerCuts(PowerCutTask task, const PowerCutOptions& options) {
    return PowerCutCases(task, options).Run();
}
