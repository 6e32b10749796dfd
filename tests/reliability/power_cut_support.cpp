#include "tests/reliability/power_cut_support.h"

#include "base/plugin_context.h"
#include "base/win32.h"
#include "db/ado_database.h"
#include "db/ado_exception.h"
#include "db/archive_schema.h"
#include "engine/archive_task.h"
#include "engine/message_filter.h"
#include "engine/restore_task.h"
#include "host/host_application.h"
#include "tests/host/host_fixture.h"
#include "tests/reliability/power_cut_image.h"
#include "tests/test_support.h"

#include <stdexcept>

namespace {

const char kMemoryDisk[] = "Z:\\dev\\shm";

} // namespace

ScratchInMemory::ScratchInMemory() {
    const DWORD attributes = ::GetFileAttributesA(kMemoryDisk);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        Swap("TMP");
        Swap("TEMP");
    }
}

ScratchInMemory::~ScratchInMemory() {
    for (const auto& [name, value] : previous_) {
        ::SetEnvironmentVariableA(name.c_str(), value.empty() ? nullptr : value.c_str());
    }
}

void ScratchInMemory::Swap(const char* name) {
    char value[MAX_PATH] = {};
    ::GetEnvironmentVariableA(name, value, MAX_PATH);
    previous_.emplace_back(name, value);
    ::SetEnvironmentVariableA(name, kMemoryDisk);
}

int RunTask(PowerCutTask task, const TaskSetting& setting, RunningHost& host) {
    PluginContext& context = App().Context();
    context.hostDataDir = host.dataDir();
    QuietControls controls;
    MessageFilter everything;
    CADODatabase database;
    database.SetConnection(ArchiveConnectionString(setting.archivePath));
    if (!database.Open()) {
        return -1;
    }
    int done = 0;
    if (task == PowerCutTask::Archive) {
        const HostFolder work = HostApplication::Connect().FolderByName("Work");
        ArchiveTask archive(database, setting.logPath, controls);
        done =
            archive.run({MailboxSelection{work.Path(), work.Name(), work.Id()}}, everything, true);
    } else {
        StagingFiles staging{host.MailboxPath("Pending.mbx"), host.MailboxPath("Pending.toc")};
        RestoreTask restore(database, staging, setting.logPath, controls);
        done = restore.run({"Mailbox_Work"}, everything, true);
    }
    database.Close();
    return done;
}

std::vector<size_t> CutPoints(const std::vector<FileEvent>& events,
                              const PowerCutOptions& options) {
    std::vector<size_t> points;
    size_t writes = 0;
    for (size_t i = 0; i < events.size(); ++i) {
        switch (events[i].kind) {
        case FileEvent::Kind::Write:
        case FileEvent::Kind::Truncate:
            if (options.allWrites || ++writes % options.writeEvery == 0) {
                points.push_back(i);
            }
            break;
        case FileEvent::Kind::Create:
            break;
        case FileEvent::Kind::Sync:
        case FileEvent::Kind::Delete:
        case FileEvent::Kind::Rename:
            points.push_back(i);
            break;
        }
    }
    points.push_back(events.size());
    return points;
}

std::string CaseName(const char* scenario, const std::vector<RecordedFile>& files,
                     const std::vector<FileEvent>& events, size_t cut, uint64_t seed) {
    std::string before = "the end";
    if (cut < events.size()) {
        const std::string& path = files[events[cut].file].path;
        before = std::string(EventName(events[cut].kind)) + " of " +
                 path.substr(path.find_last_of("\\/") + 1);
    }
    return std::string(scenario) + ":" + std::to_string(cut) + ":" + std::to_string(seed) +
           " (a cut before the " + before + "): ";
}

void ForEachCut(const char* scenario, const std::string& recordedFolder,
                const std::vector<RecordedFile>& files, const std::vector<FileEvent>& events,
                const PowerCutOptions& options, PowerCutReport& report,
                const std::function<void(const std::string&, const std::string&)>& check) {
    report.events = events.size();
    for (const FileEvent& event : events) {
        report.syncs += event.kind == FileEvent::Kind::Sync;
    }
    const std::vector<size_t> points = CutPoints(events, options);
    report.cutPoints = points.size();
    for (size_t cut : points) {
        const int seeds = UnsyncedAt(events, cut) > 0 ? options.subsets : 0;
        for (int seed = 0; seed <= seeds; ++seed) {
            if ((options.onlyCut >= 0 && options.onlyCut != static_cast<long long>(cut)) ||
                (options.onlySeed >= 0 && options.onlySeed != seed)) {
                continue;
            }
            ++report.cases;
            const std::string name = CaseName(scenario, files, events, cut, seed);
            TempFolder folder;
            WriteCutFiles(FilesAfterCut(files, events, cut, seed), recordedFolder, folder.path());
            try {
                check(folder.path(), name);
            } catch (const CADOException& error) {
                report.failures.push_back(name + error.GetErrorMessage());
            } catch (const std::exception& error) {
                report.failures.push_back(name + error.what());
            }
        }
    }
}
