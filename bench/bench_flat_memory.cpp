// The archive and restore tasks over a mailbox of 100,000 short messages,
// against the test host running in this process: the process's private
// memory must stay flat, a few bytes a message at most, however long the
// mailbox. The tasks' pauses are counted but not slept; slept, they would
// take hours.
//
// The host shares the process, so its own structures count too: every status
// text it was ever given, and each mailbox's index. Under Wine a process's
// private bytes are its resident anonymous pages, which the heap's reuse of
// freed blocks blurs, so the shares are told apart on the heap instead: every
// C++ allocation of the process is counted here as the bytes asked for, the
// host's status texts are reckoned from the texts it holds and its index is
// measured as it reads its mailboxes anew, and SQLite counts its own.
#include "bench/bench_support.h"
#include "db/ado_recordset.h"
#include "db/archive_schema.h"
#include "db/mailbox_table_name.h"
#include "engine/archive_task.h"
#include "engine/message_filter.h"
#include "engine/restore_task.h"
#include "engine/task_controls.h"
#include "host/host_application.h"
#include "host/host_error.h"
#include "base/stowlark_app.h"
#include "base/window_utils.h"
#include "testhost/automation_server.h"
#include "testhost/host_session.h"
#include "testhost/mailstore/mbox_format.h"
#include "testhost/ole_scope.h"
#include "tests/test_support.h"

#include <sqlite3.h>

#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace {

std::atomic<long long> gHeldBytes{0};

void* Allocate(size_t size) {
    void* block = std::malloc(size ? size : 1);
    if (!block) {
        throw std::bad_alloc();
    }
    gHeldBytes += static_cast<long long>(_msize(block));
    return block;
}

void Release(void* block) {
    if (block) {
        gHeldBytes -= static_cast<long long>(_msize(block));
        std::free(block);
    }
}

} // namespace

void* operator new(size_t size) {
    return Allocate(size);
}
void* operator new[](size_t size) {
    return Allocate(size);
}
void operator delete(void* block) noexcept {
    Release(block);
}
void operator delete[](void* block) noexcept {
    Release(block);
}
void operator delete(void* block, size_t) noexcept {
    Release(block);
}
void operator delete[](void* block, size_t) noexcept {
    Release(block);
}

namespace {

int gMessages = 100000;
// The first messages settle what a task makes once (statements, caches,
// the archive file's pages in memory); growth is counted after them.
constexpr int kSettled = 10000;
constexpr double kGrowthTarget = 16; // bytes a message
constexpr int kSampleEvery = 500;

// ---- The host's share ----

// A text longer than fits in its own object asks the heap for its room.
double TextBytes(const std::string& text) {
    return text.capacity() > 15 ? static_cast<double>(text.capacity() + 1) : 0;
}

// The test host keeps every status text it was given, for its own tests;
// only ever added to, so each text is reckoned once.
class StatusHistory {
public:
    double Bytes(const HostSession& session) {
        const std::vector<std::string>& history = session.statusHistory();
        for (; counted_ < history.size(); ++counted_) {
            texts_ += TextBytes(history[counted_]);
        }
        return texts_ + static_cast<double>(history.capacity() * sizeof(std::string));
    }

private:
    size_t counted_ = 0;
    double texts_ = 0;
};

class Host {
public:
    explicit Host(const std::string& dataDir)
        : session_(std::make_shared<HostSession>(Settings(dataDir))), server_(session_) {}

    bool ok() const { return ole_.ok() && server_.failure().empty(); }
    HostSession& session() { return *session_; }
    double StatusBytes() { return status_.Bytes(*session_); }
    std::string MailboxPath(const std::string& name) const {
        return session_->store().dataDir() + "\\" + name + ".mbx";
    }
    MailboxFile& Mailbox(const std::string& name) {
        return session_->store().Mailbox(MailboxPath(name));
    }
    // What the host's index of its mailboxes holds on the heap, each entry
    // taking the same (measured as the host first reads Work). Its vectors
    // keep room they no longer use; the host reads each mailbox anew first,
    // which gives that room back, so that the heap holds what is reckoned.
    // The room given back is added to `roomGiven`.
    double IndexBytesReadAnew(double& roomGiven) {
        size_t entries = 0;
        for (const char* name : {"Work", "Trash", "Pending"}) {
            const std::string path = MailboxPath(name);
            if (::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
                const long long before = gHeldBytes.load();
                entries += session_->store().Reload(path).Count();
                roomGiven += static_cast<double>(before - gHeldBytes.load());
            }
        }
        return static_cast<double>(entries) * entryBytes;
    }
    double entryBytes = 0;

private:
    static HostSettings Settings(const std::string& dataDir) {
        HostSettings settings;
        settings.dataDir = dataDir;
        return settings;
    }

    OleScope ole_;
    std::shared_ptr<HostSession> session_;
    AutomationServer server_;
    StatusHistory status_;
};

// ---- The mailbox ----

// Short messages written straight into the host's file, a megabyte at a
// time; the host builds their index when it first loads the mailbox.
void WriteWorkMailbox(const std::string& mbxPath, int count) {
    const HANDLE file = ::CreateFileA(mbxPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return;
    }
    const std::string separator = SeparatorLine(CivilTime{2007, 1, 10, 13, 5, 0});
    std::string bytes;
    const auto flush = [&] {
        DWORD written = 0;
        ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        bytes.clear();
    };
    for (int i = 0; i < count; ++i) {
        const std::string number = std::to_string(i);
        bytes += separator +
                 "From: Anna Berg <anna.berg@example.com>\r\nTo: Tom Reader "
                 "<tom.reader@example.org>\r\nSubject: Weekly figures " +
                 number + "\r\nDate: Wed, 10 Jan 2007 13:05:00 +0100\r\nMessage-ID: <" + number +
                 "@example.com>\r\n\r\nThe figures for this week are in the shared folder.\r\n"
                 "Please look at them before the meeting on Friday.\r\n\r\nAnna\r\n\r\n";
        if (bytes.size() > 1024 * 1024) {
            flush();
        }
    }
    flush();
    ::CloseHandle(file);
}

// ---- Sampling the run ----

struct Sample {
    double seconds = 0; // since the task started
    double privateBytes = 0;
    double heldBytes = 0;   // by every C++ object of the process
    double sqliteBytes = 0; // by SQLite
    double statusBytes = 0; // the host's status texts
    double indexBytes = 0;  // the host's index of its mailboxes, known at the start
                            // and the end, and unchanged while the task reads
    double HostBytes() const { return statusBytes + indexBytes; }
    double PluginObjectBytes() const { return heldBytes - HostBytes(); }
};

// What a message of [from, to] added, `messages` of them.
struct Growth {
    double all, host, status, index, objects, sqlite;
    Growth(const Sample& from, const Sample& to, double messages)
        : all((to.privateBytes - from.privateBytes) / messages),
          host((to.HostBytes() - from.HostBytes()) / messages),
          status((to.statusBytes - from.statusBytes) / messages),
          index((to.indexBytes - from.indexBytes) / messages),
          objects((to.PluginObjectBytes() - from.PluginObjectBytes()) / messages),
          sqlite((to.sqliteBytes - from.sqliteBytes) / messages) {}
    double Plugin() const { return objects + sqlite; }
};

// The task moves the bar once a message while it reads the mailbox or the
// archive (after `lead` moves of its own), and turns Stop off while the host
// moves the messages.
class SampledControls : public TaskControls {
public:
    SampledControls(Host& host, int lead) : host_(host), lead_(lead) {
        double ignored = 0;
        index_ = host.IndexBytesReadAnew(ignored);
        start = Take();
    }

    void SetProgress(int) override {
        ++steps_;
        if (!moving_) {
            const long done = steps_ - lead_;
            if (done == kSettled) {
                settled = Take();
            } else if (done == gMessages) {
                read = Take();
            }
        }
        if (steps_ % kSampleEvery == 0) {
            Take();
        }
    }
    bool StopRequested() override { return false; }
    void EnableStop(bool enable) override {
        if (enable) {
            moved = Take();
            moving_ = false;
        } else {
            beforeMoves = Take();
            moving_ = hostMoved_ = true;
        }
    }
    void ReloadLog() override {}

    Sample Take() {
        Sample sample;
        sample.seconds = clock_.Seconds();
        sample.privateBytes = Peak();
        sample.heldBytes = static_cast<double>(gHeldBytes.load());
        sample.sqliteBytes = static_cast<double>(sqlite3_memory_used());
        sample.statusBytes = host_.StatusBytes();
        sample.indexBytes = index_;
        // Once the host moves messages its index is known again only at the
        // end.
        if (!hostMoved_) {
            peakPlugin = std::max(peakPlugin, sample.PluginObjectBytes() + sample.sqliteBytes);
        }
        return sample;
    }
    Sample End() {
        index_ = host_.IndexBytesReadAnew(roomGiven);
        hostMoved_ = false;
        return Take();
    }
    // The process's private bytes, noted when they are the most yet.
    double Peak() {
        const double now = static_cast<double>(MemoryCounters().PagefileUsage);
        peak = std::max(peak, now);
        return now;
    }

    Sample start, settled, read, beforeMoves, moved;
    double peak = 0;
    double peakPlugin = 0;
    // What the host's index kept beyond its entries at the end.
    double roomGiven = 0;

private:
    Host& host_;
    Stopwatch clock_;
    double index_ = 0;
    const int lead_;
    long steps_ = 0;
    bool moving_ = false;
    bool hostMoved_ = false;
};

struct Run {
    int handled = 0;
    double seconds = 0;
    DelayTally pauses;
    Sample end;
};

const char* Verdict(bool met) {
    return met ? "met" : "MISSED";
}

double Megabytes(double bytes) {
    return bytes / 1048576.0;
}

void PrintRun(const char* title, const Run& run, const SampledControls& c, const char* readPhase) {
    std::printf("\n%s: %d messages, %.1f s wall (reading %.1f s, the host's moves %.1f s)\n", title,
                run.handled, run.seconds, c.read.seconds, c.moved.seconds - c.beforeMoves.seconds);
    std::printf("  pauses counted, not slept: %ld calls asking %.1f s (%.1f hours)\n",
                run.pauses.calls, run.pauses.requestedMilliseconds / 1000.0,
                run.pauses.requestedMilliseconds / 3600000.0);
    std::printf("  private memory: %.2f MB at the start, %.2f MB after %d messages, %.2f MB "
                "after %d, %.2f MB at the end; peak %.2f MB (%+.2f MB)\n",
                Megabytes(c.start.privateBytes), Megabytes(c.settled.privateBytes), kSettled,
                Megabytes(c.read.privateBytes), gMessages, Megabytes(run.end.privateBytes),
                Megabytes(c.peak), Megabytes(c.peak - c.start.privateBytes));

    const auto print = [](const char* what, const Growth& growth, double judged) {
        std::printf("  %s: %.1f bytes a message of private memory; on the heap the host's %.1f "
                    "(status texts %.1f, index %.1f), the plug-in's objects %.1f, SQLite %.1f; "
                    "target <= %.0f: %s\n",
                    what, growth.all, growth.host, growth.status, growth.index, growth.objects,
                    growth.sqlite, kGrowthTarget, Verdict(judged <= kGrowthTarget));
    };
    const std::string reading = std::string(readPhase) + ", messages " + std::to_string(kSettled) +
                                " to " + std::to_string(gMessages);
    const Growth readingGrowth(c.settled, c.read, gMessages - kSettled);
    print(reading.c_str(), readingGrowth, readingGrowth.Plugin());
    // SQLite's page cache fills in the first messages and stops at its
    // limit; what the task still holds at its end is in the objects.
    const Growth whole(c.start, run.end, gMessages);
    print("start to end (judged on the plug-in's objects)", whole, whole.objects);
    std::printf("  the host's index kept %.2f MB of room beyond its entries at the end (given "
                "back before the end was measured)\n",
                Megabytes(c.roomGiven));
    std::printf("  the plug-in's heap at most %.2f MB above the start (its objects and SQLite, "
                "sampled every %d messages before the host's moves and at the end)\n",
                Megabytes(c.peakPlugin - c.start.PluginObjectBytes() - c.start.sqliteBytes),
                kSampleEvery);
}

// A restore that finds "Pending" full from one cut off brings those
// messages home before it reads a row. Its heap is sampled just before the
// moves, when it knows which row each message is; while it reads the journal
// it briefly also holds the journal's notes, 32 bytes each.
void PrintFinish(const Run& run, const SampledControls& c) {
    const double most = c.peakPlugin - c.start.PluginObjectBytes() - c.start.sqliteBytes;
    std::printf("\nRestore of Work, deleting, finishing the one cut off: %d messages, %.1f s wall "
                "(matching \"Pending\" to rows %.1f s, the host's moves %.1f s)\n",
                run.handled, run.seconds, c.beforeMoves.seconds,
                c.moved.seconds - c.beforeMoves.seconds);
    std::printf("  the plug-in's heap just before the moves %.2f MB above the start, %.1f bytes a "
                "message in \"Pending\", whatever the messages' size (a check, a note and a "
                "status for each)\n",
                Megabytes(most), most / std::max(run.handled, 1));
}

Run Measure(Host& host, int lead, const std::function<int(TaskControls&)>& task,
            std::unique_ptr<SampledControls>& kept) {
    kept = std::make_unique<SampledControls>(host, lead);
    Run run;
    const DelayTally before = App().Delays();
    Stopwatch clock;
    run.handled = task(*kept);
    run.seconds = clock.Seconds();
    run.end = kept->End();
    run.pauses.calls = App().Delays().calls - before.calls;
    run.pauses.requestedMilliseconds =
        App().Delays().requestedMilliseconds - before.requestedMilliseconds;
    return run;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1) {
        gMessages = std::max(2 * kSettled, std::atoi(argv[1]));
    }
    App().InitInstance();
    Stopwatch wall;
    MessageBoxCapture boxes;
    UnsleptPauses unslept;
    int failed = 0;
    {
        TempFolder scratch;
        const std::string mailDir = scratch / "mail";
        ::CreateDirectoryA(mailDir.c_str(), nullptr);
        try {
            Host host(mailDir);
            if (!host.ok()) {
                std::printf("the test host could not start\n");
                return 1;
            }
            std::printf("Message Stowlark's memory over %d messages, the test host in this "
                        "process; growth target <= %.0f bytes a message\n",
                        gMessages, kGrowthTarget);
            Stopwatch fill;
            WriteWorkMailbox(host.MailboxPath("Work"), gMessages);
            const double beforeLoad = static_cast<double>(gHeldBytes.load());
            const size_t loaded = host.Mailbox("Work").Count();
            host.entryBytes = (static_cast<double>(gHeldBytes.load()) - beforeLoad) /
                              static_cast<double>(std::max<size_t>(loaded, 1));
            std::printf("mailbox Work: %zu messages of %u bytes, written and indexed in %.1f s; "
                        "the host's index of it holds %.1f bytes a message on the heap\n",
                        loaded, loaded ? host.Mailbox("Work").Entry(0).length : 0u, fill.Seconds(),
                        host.entryBytes);

            const std::string connection = ArchiveConnectionString(scratch / "archive.mdb");
            CreateArchiveDatabase(connection);
            CADODatabase database;
            database.Open(connection);
            const std::string logPath = scratch / "stowlark.log";

            const HostFolder work = HostApplication::Connect().FolderByName("Work");
            const std::vector<MailboxSelection> selected = {
                MailboxSelection{work.Path(), work.Name(), work.Id()}};
            const MessageFilter everything;
            std::unique_ptr<SampledControls> archiveControls;
            const Run archive = Measure(
                host, 0,
                [&](TaskControls& controls) {
                    ArchiveTask task(database, logPath, controls);
                    return task.run(selected, everything, true);
                },
                archiveControls);
            PrintRun("Archive of Work, deleting", archive, *archiveControls,
                     "copying into the archive");
            const std::string table = TableNameFromMailboxName("Work");
            std::printf("  Work now holds %zu messages, Trash %zu, the archive %d rows\n",
                        host.Mailbox("Work").Count(), host.Mailbox("Trash").Count(),
                        CountArchiveRows(database, table));
            failed += archive.handled != gMessages;

            StagingFiles staging{host.MailboxPath("Pending"), mailDir + "\\Pending.toc"};
            // Without deletion first, which leaves the rows. The restore that
            // deletes them is cut off before its moves (the host refuses every
            // one), so that the next restore finishes it from "Pending".
            enum class Kind { Keeping, CutOff, Finishing };
            for (const Kind kind : {Kind::Keeping, Kind::CutOff, Kind::Finishing}) {
                if (kind == Kind::CutOff) {
                    host.session().faults().Arm("Move");
                }
                std::unique_ptr<SampledControls> restoreControls;
                // RestoreArchive moves the bar once before its first row.
                const Run restore = Measure(
                    host, 1,
                    [&](TaskControls& controls) {
                        RestoreTask task(database, staging, logPath, controls);
                        return task.run({table}, everything, kind != Kind::Keeping);
                    },
                    restoreControls);
                host.session().faults().Clear();
                if (kind == Kind::Finishing) {
                    PrintFinish(restore, *restoreControls);
                } else {
                    PrintRun(kind == Kind::Keeping
                                 ? "Restore of Work, keeping the rows"
                                 : "Restore of Work, deleting restored rows, cut off before "
                                   "its moves",
                             restore, *restoreControls, "writing Pending");
                }
                std::printf("  Work now holds %zu messages, Pending %zu, the archive %d rows\n",
                            host.Mailbox("Work").Count(), host.Mailbox("Pending").Count(),
                            CountArchiveRows(database, table));
                failed += restore.handled != gMessages;
            }
            database.Close();
        } catch (const CADOException& failure) {
            std::printf("database error: %s\n", failure.GetErrorMessage().c_str());
            ++failed;
        } catch (const HostError& failure) {
            std::printf("host error %08lx: %s\n", static_cast<unsigned long>(failure.code()),
                        failure.what());
            ++failed;
        } catch (const std::exception& failure) {
            std::printf("error: %s\n", failure.what());
            ++failed;
        }
    }
    for (const CapturedMessageBox& box : boxes.boxes()) {
        std::printf("message box: %s\n", box.text.c_str());
    }
    std::printf("\nwall time %.1f s\n", wall.Seconds());
    return failed == 0 ? 0 : 1;
}
