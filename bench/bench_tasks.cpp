// The archive and restore tasks on 1,000 ordinary messages, against the test
// host running in this process. The tasks pause on purpose between messages
// so that the real host keeps up; those pauses are the floor, and what the
// wall time adds to it is ours to shrink. To tell whose time the rest is,
// every call into the host and every write and flush of the archive file is
// timed where it happens, while the task runs. Then the archive file's weight
// against the text it holds, for ordinary and for small messages.
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
#include "mailbox/host_mailboxes.h"
#include "mailbox/pending_mailbox.h"
#include "base/file_utils.h"
#include "base/stowlark_app.h"
#include "base/window_utils.h"
#include "testhost/automation_objects.h"
#include "testhost/automation_server.h"
#include "testhost/host_session.h"
#include "testhost/ole_scope.h"
#include "tests/test_support.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kMessages = 1000;
// The most the wall time may lie above the floor, and the most the archive
// file may weigh against the text it holds.
constexpr double kWallTarget = 1.05;
constexpr double kSizeTarget = 1.15;

// ---- Mail that looks like mail ----

struct Mail {
    std::string raw;
    std::string from, to, subject, date;
    int status = 0;
    int kind = 0; // 0 ordinary, 1 long, 2 with an attachment
};

const char* const kPeople[] = {"Anna Berg",       "Tom Reader", "Claire Dubois", "Jonas Weber",
                               "Maria Santos",    "Peter Holm", "Ines Keller",   "David Moreau",
                               "Sofia Lindqvist", "Ben Carter", "Lena Fischer",  "Marc Lefevre"};
const char* const kDomains[] = {"example.com", "example.org", "mail.example.net",
                                "corp.example.de"};
const char* const kWords[] = {
    "the",      "meeting",  "report", "quarter", "budget",  "project",  "schedule", "please",
    "review",   "attached", "draft",  "numbers", "next",    "week",     "team",     "agreed",
    "customer", "update",   "about",  "we",      "will",    "send",     "thanks",   "office",
    "travel",   "plan",     "before", "after",   "monday",  "friday",   "minutes",  "notes",
    "question", "answer",   "change", "order",   "invoice", "delivery", "server",   "backup",
    "figures",  "contract", "is",     "on",      "for",     "and",      "to",       "with"};
// Mail written in 8-bit Latin-1, as many older messages are; octal escapes,
// since a hex escape would swallow the letters after it.
const char* const kLatinWords[] = {"caf\351",    "r\351sum\351", "na\357ve",  "Gr\374\337e",
                                   "bient\364t", "se\361or",     "fa\347ade", "\374ber"};
const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// The same seed makes the same mail, so a probe can write what the host holds
// without keeping it all in memory.
class MailMaker {
public:
    explicit MailMaker(unsigned seed) : random_(seed) {
        SYSTEMTIME start = {2007, 1, 0, 8, 8, 0, 0, 0};
        ::SystemTimeToFileTime(&start, &clock_);
    }

    // Mostly 2-10 KB, some 20-60 KB, a few of 200-500 KB carrying a file.
    Mail Ordinary() {
        const int roll = Between(0, 99);
        const int kind = roll < 3 ? 2 : roll < 15 ? 1 : 0;
        const int kilobytes = kind == 2   ? Between(200, 500)
                              : kind == 1 ? Between(20, 60)
                                          : Between(2, 10);
        return Make(kind, kilobytes * 1024 + Between(0, 1023));
    }

    Mail Small() { return Make(0, Between(1024, 3 * 1024)); }

private:
    int Between(int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random_);
    }
    template <size_t N> const char* Pick(const char* const (&list)[N]) {
        return list[Between(0, static_cast<int>(N) - 1)];
    }

    std::string Address(const std::string& name) {
        std::string local;
        for (char c : name) {
            local += c == ' ' ? '.' : static_cast<char>(::tolower(static_cast<unsigned char>(c)));
        }
        return name + " <" + local + "@" + Pick(kDomains) + ">";
    }

    std::string NextDate() {
        ULARGE_INTEGER time = {{clock_.dwLowDateTime, clock_.dwHighDateTime}};
        time.QuadPart += static_cast<ULONGLONG>(Between(600, 9 * 3600)) * 10000000ULL;
        clock_ = {time.LowPart, time.HighPart};
        SYSTEMTIME t;
        ::FileTimeToSystemTime(&clock_, &t);
        char text[64];
        std::snprintf(text, sizeof text, "%s, %d %s %d %02d:%02d:%02d +0100", kDays[t.wDayOfWeek],
                      t.wDay, kMonths[t.wMonth - 1], t.wYear, t.wHour, t.wMinute, t.wSecond);
        return text;
    }

    // Sentences wrapped at 72 columns, in paragraphs, some of them quoted.
    std::string Body(size_t bytes, bool latin) {
        std::string body, line;
        bool quoting = false;
        while (body.size() + line.size() < bytes) {
            if (Between(0, 14) == 0) {
                body += line + "\r\n\r\n";
                line.clear();
                quoting = Between(0, 4) == 0;
                continue;
            }
            std::string word = latin && Between(0, 9) == 0 ? Pick(kLatinWords) : Pick(kWords);
            if (line.empty() || line == "> ") {
                line = quoting ? "> " : "";
                word[0] = static_cast<char>(::toupper(static_cast<unsigned char>(word[0])));
            }
            if (line.size() + word.size() > 70) {
                body += line + "\r\n";
                line = quoting ? "> " : "";
            }
            line += (line.empty() || line == "> " ? "" : " ") + word;
        }
        return body + line + "\r\n";
    }

    std::string Base64Lines(size_t bytes) {
        static const char kAlphabet[] =
            "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
        std::string lines;
        lines.reserve(bytes + 80);
        while (lines.size() < bytes) {
            for (int i = 0; i < 76; ++i) {
                lines += kAlphabet[Between(0, 63)];
            }
            lines += "\r\n";
        }
        return lines;
    }

    Mail Make(int kind, size_t bytes) {
        Mail mail;
        mail.kind = kind;
        const int roll = Between(0, 9);
        mail.status = roll < 6 ? 1 : roll < 8 ? 0 : roll < 9 ? 2 : 8;
        mail.from = Address(Pick(kPeople));
        mail.to = Address(Pick(kPeople));
        mail.subject = std::string(Between(0, 2) == 0 ? "Re: " : "") + Pick(kWords) + " " +
                       Pick(kWords) + " for the " + Pick(kWords);
        mail.date = NextDate();
        const bool latin = Between(0, 7) == 0;
        const std::string id = std::to_string(++serial_);

        std::string& raw = mail.raw;
        raw = "From: " + mail.from + "\r\nTo: " + mail.to + "\r\nSubject: " + mail.subject +
              "\r\nDate: " + mail.date + "\r\nMessage-ID: <" + id + "." +
              std::to_string(Between(1000, 9999)) + "@example.com>\r\nMIME-Version: 1.0\r\n";
        if (kind == 2) {
            const std::string boundary = "=_part_" + id;
            raw += "Content-Type: multipart/mixed; boundary=\"" + boundary +
                   "\"\r\n\r\nThis is a multi-part message in MIME format.\r\n\r\n--" + boundary +
                   "\r\nContent-Type: text/plain; charset=\"us-ascii\"\r\n\r\n" +
                   Body(static_cast<size_t>(Between(1500, 4000)), false) + "\r\n--" + boundary +
                   "\r\nContent-Type: application/pdf; name=\"report-" + id +
                   ".pdf\"\r\nContent-Transfer-Encoding: base64\r\nContent-Disposition: "
                   "attachment; filename=\"report-" +
                   id + ".pdf\"\r\n\r\n";
            raw += Base64Lines(bytes > raw.size() ? bytes - raw.size() : 0);
            raw += "\r\n--" + boundary + "--\r\n";
        } else {
            raw += std::string("Content-Type: text/plain; charset=\"") +
                   (latin ? "iso-8859-1\"\r\nContent-Transfer-Encoding: 8bit"
                          : "us-ascii\"\r\nContent-Transfer-Encoding: 7bit") +
                   "\r\n\r\n";
            raw += Body(bytes > raw.size() + 40 ? bytes - raw.size() - 40 : 40, latin);
            raw += "\r\n-- \r\n" + mail.from.substr(0, mail.from.find(" <")) + "\r\n";
        }
        return mail;
    }

    std::mt19937 random_;
    FILETIME clock_;
    int serial_ = 0;
};

// ---- Time spent where it is spent ----

struct Spent {
    double seconds = 0;
    long calls = 0;
};

// Running totals by what was called ("Message.RawText", "archive file
// flush", ...), read before and after each part of a run.
using Ledger = std::map<std::string, Spent>;
Ledger& Book() {
    static Ledger ledger;
    return ledger;
}

template <typename Action> auto Charged(const std::string& what, Action action) {
    Stopwatch clock;
    auto result = action();
    Spent& spent = Book()[what];
    spent.seconds += clock.Seconds();
    ++spent.calls;
    return result;
}

Ledger Difference(const Ledger& before, const Ledger& after) {
    Ledger difference;
    for (const auto& [what, spent] : after) {
        const auto earlier = before.find(what);
        const Spent base = earlier == before.end() ? Spent() : earlier->second;
        if (spent.calls > base.calls) {
            difference[what] = Spent{spent.seconds - base.seconds, spent.calls - base.calls};
        }
    }
    return difference;
}

// The host's automation objects, as far as the tasks use them: what each
// member is called and what kind of object it hands back.
enum class HostKind { Application, FolderList, Folder, MessageList, Message, None };

struct HostMember {
    HostKind kind;
    DISPID id;
    const char* name;
    HostKind gives;
};

const HostMember kHostMembers[] = {
    {HostKind::Application, 3, "Application.Folders", HostKind::FolderList},
    {HostKind::Application, 6, "Application.InBox", HostKind::Folder},
    {HostKind::Application, 15, "Application.StatusText", HostKind::None},
    {HostKind::Application, 27, "Application.FolderByName", HostKind::Folder},
    {HostKind::Application, 28, "Application.FolderById", HostKind::Folder},
    {HostKind::FolderList, 0, "Folders.Item", HostKind::Folder},
    {HostKind::FolderList, 1, "Folders.Count", HostKind::None},
    {HostKind::FolderList, 3, "Folders.Add", HostKind::None},
    {HostKind::Folder, 6, "Folder.Folders", HostKind::FolderList},
    {HostKind::Folder, 10, "Folder.Messages", HostKind::MessageList},
    {HostKind::Folder, 15, "Folder.Open", HostKind::None},
    {HostKind::MessageList, 0, "Messages.Item", HostKind::Message},
    {HostKind::MessageList, 1, "Messages.Count", HostKind::None},
    {HostKind::MessageList, 2, "Messages.ItemById", HostKind::Message},
    {HostKind::MessageList, 5, "Messages.UpdateList", HostKind::None},
    {HostKind::Message, 7, "Message.HeaderField", HostKind::None},
    {HostKind::Message, 8, "Message.Id", HostKind::None},
    {HostKind::Message, 10, "Message.RawText", HostKind::None},
    {HostKind::Message, 12, "Message.PriorityText", HostKind::None},
    {HostKind::Message, 13, "Message.Status", HostKind::None},
    {HostKind::Message, 16, "Message.Move", HostKind::None},
};

const HostMember* FindMember(HostKind kind, DISPID id) {
    for (const HostMember& member : kHostMembers) {
        if (member.kind == kind && member.id == id) {
            return &member;
        }
    }
    return nullptr;
}

// Stands between the plug-in and one of the host's objects and books the
// time each call spends inside the host; the objects the host hands out
// come wrapped the same way.
class TimedDispatch : public ComObject<IDispatch, IID_IDispatch> {
public:
    TimedDispatch(ComPtr<IDispatch> host, HostKind kind) : host_(std::move(host)), kind_(kind) {}

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        return host_->GetTypeInfoCount(count);
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override {
        return host_->GetTypeInfo(index, locale, info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override {
        return host_->GetIDsOfNames(iid, names, count, locale, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD kind,
                                     DISPPARAMS* parameters, VARIANT* result, EXCEPINFO* exception,
                                     UINT* badArgument) override {
        const HostMember* member = FindMember(kind_, id);
        const std::string name = member ? member->name : "other host calls";
        const HRESULT outcome = Charged(name, [&] {
            return host_->Invoke(id, iid, locale, kind, parameters, result, exception, badArgument);
        });
        if (SUCCEEDED(outcome) && result && result->vt == VT_DISPATCH && result->pdispVal) {
            ComPtr<IDispatch> handed(result->pdispVal);
            result->pdispVal =
                new TimedDispatch(std::move(handed), member ? member->gives : HostKind::None);
        }
        return outcome;
    }

private:
    ComPtr<IDispatch> host_;
    HostKind kind_;
};

// Hands out the host's application object wrapped.
class TimedFactory : public ComObject<IClassFactory, IID_IClassFactory> {
public:
    explicit TimedFactory(SessionRef session) : session_(std::move(session)) {}

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        if (outer) {
            return CLASS_E_NOAGGREGATION;
        }
        ComPtr<IDispatch> timed(new TimedDispatch(DispatchObject::Make<ApplicationObject>(session_),
                                                  HostKind::Application));
        return timed->QueryInterface(iid, object);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

private:
    SessionRef session_;
};

// The bench's own class, which the host's identifier names while the bench
// runs; the host's server still owns the registration and takes it away.
const CLSID kTimedClassId = {
    0x3b5f0a7e, 0x2c41, 0x4d8e, {0x8a, 0x10, 0x6f, 0x93, 0x27, 0xc4, 0x5e, 0x02}};
const char kTimedClassIdText[] = "{3B5F0A7E-2C41-4D8E-8A10-6F9327C45E02}";

HostSettings SettingsFor(const std::string& dataDir) {
    HostSettings settings;
    settings.dataDir = dataDir;
    return settings;
}

class Host {
public:
    explicit Host(const std::string& dataDir)
        : session_(std::make_shared<HostSession>(SettingsFor(dataDir))), server_(session_) {
        ComPtr<IClassFactory> factory(new TimedFactory(session_));
        if (FAILED(::CoRegisterClassObject(kTimedClassId, factory.get(), CLSCTX_LOCAL_SERVER,
                                           REGCLS_MULTIPLEUSE, &cookie_))) {
            cookie_ = 0;
        }
        const std::string key = std::string(AutomationServer::kProgId) + "\\CLSID";
        redirected_ = ::RegSetValueA(HKEY_CLASSES_ROOT, key.c_str(), REG_SZ, kTimedClassIdText,
                                     sizeof kTimedClassIdText) == ERROR_SUCCESS;
    }
    ~Host() {
        if (cookie_) {
            ::CoRevokeClassObject(cookie_);
        }
    }
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    bool ok() const {
        return ole_.ok() && server_.failure().empty() && cookie_ != 0 && redirected_;
    }
    std::string MailboxPath(const std::string& name) const {
        return session_->store().dataDir() + "\\" + name + ".mbx";
    }
    MailboxFile& Mailbox(const std::string& name) {
        return session_->store().Mailbox(MailboxPath(name));
    }
    void CreateMailbox(const std::string& name) { MailboxFile::CreateEmpty(MailboxPath(name)); }

private:
    OleScope ole_;
    std::shared_ptr<HostSession> session_;
    AutomationServer server_;
    DWORD cookie_ = 0;
    bool redirected_ = false;
};

// The archive file's reads, writes and flushes, booked through a file layer
// laid over the platform's own: it opens files as that one does, then gives
// them methods that time the call and pass it on.
sqlite3_vfs* PlatformFiles() {
    static sqlite3_vfs* platform = sqlite3_vfs_find(nullptr);
    return platform;
}

const sqlite3_io_methods* gPlatformMethods = nullptr;
sqlite3_io_methods gTimedMethods;

int TimedRead(sqlite3_file* file, void* data, int amount, sqlite3_int64 offset) {
    return Charged("archive file: read",
                   [&] { return gPlatformMethods->xRead(file, data, amount, offset); });
}
int TimedWrite(sqlite3_file* file, const void* data, int amount, sqlite3_int64 offset) {
    return Charged("archive file: write",
                   [&] { return gPlatformMethods->xWrite(file, data, amount, offset); });
}
int TimedSync(sqlite3_file* file, int flags) {
    return Charged("archive file: flush to disk",
                   [&] { return gPlatformMethods->xSync(file, flags); });
}

int TimedOpen(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* file, int flags, int* outFlags) {
    const int outcome = PlatformFiles()->xOpen(PlatformFiles(), name, file, flags, outFlags);
    if (outcome == SQLITE_OK && file->pMethods) {
        if (!gPlatformMethods) {
            gPlatformMethods = file->pMethods;
            gTimedMethods = *file->pMethods;
            gTimedMethods.xRead = TimedRead;
            gTimedMethods.xWrite = TimedWrite;
            gTimedMethods.xSync = TimedSync;
        }
        if (file->pMethods == gPlatformMethods) {
            file->pMethods = &gTimedMethods;
        }
    }
    return outcome;
}

void TimeArchiveFiles() {
    static sqlite3_vfs timed = *PlatformFiles();
    timed.zName = "timed";
    timed.xOpen = TimedOpen;
    sqlite3_vfs_register(&timed, 1);
}

// ---- Timing a task from outside ----

struct Mark {
    double seconds = 0;
    DelayTally pauses;
    Ledger spent;
};

struct MemoryWatch {
    double privateBefore = PrivateMegabytes();
    double privateMost = privateBefore;
    double workingSetMost = 0;

    void Sample() {
        const PROCESS_MEMORY_COUNTERS counters = MemoryCounters();
        privateMost = std::max(privateMost, counters.PagefileUsage / 1048576.0);
        workingSetMost = std::max(workingSetMost, counters.WorkingSetSize / 1048576.0);
    }
};

// Marks the moments the task turns Stop off and on again, which bracket its
// moves inside the host, and the first move of the bar after each of them;
// samples memory each time the bar moves.
class TimedControls : public TaskControls {
public:
    void SetProgress(int percent) override {
        if (firstSteps.size() < marks.size()) {
            firstSteps.push_back(clock_.Seconds() - marks.back().seconds);
        }
        if (percent != lastPercent_) {
            lastPercent_ = percent;
            memory.Sample();
        }
    }
    bool StopRequested() override { return false; }
    void EnableStop(bool) override { MarkNow(); }
    void ReloadLog() override {}

    void MarkNow() {
        marks.push_back(Mark{clock_.Seconds(), App().Delays(), Book()});
        memory.Sample();
    }

    std::vector<Mark> marks;
    // From each mark to the first progress report after it.
    std::vector<double> firstSteps;
    MemoryWatch memory;

private:
    Stopwatch clock_;
    int lastPercent_ = -1;
};

bool IsArchiveFile(const std::string& what) {
    return what.rfind("archive file", 0) == 0;
}

struct Phase {
    double wall = 0;
    double floor = 0;
    long pauses = 0;
    double firstStep = 0;
    Ledger spent;

    double Overhead() const { return wall - floor; }
    double InHost() const { return Sum(false); }
    double InArchiveFile() const { return Sum(true); }

private:
    double Sum(bool archiveFile) const {
        double seconds = 0;
        for (const auto& [what, spent] : this->spent) {
            if (IsArchiveFile(what) == archiveFile) {
                seconds += spent.seconds;
            }
        }
        return seconds;
    }
};

Phase Span(const Mark& from, const Mark& to) {
    Phase phase;
    phase.wall = to.seconds - from.seconds;
    phase.floor = (to.pauses.requestedMilliseconds - from.pauses.requestedMilliseconds) / 1000.0;
    phase.pauses = to.pauses.calls - from.pauses.calls;
    phase.spent = Difference(from.spent, to.spent);
    return phase;
}

struct Run {
    int handled = 0;
    std::vector<Mark> marks; // start, Stop off, Stop on, end
    std::vector<double> firstSteps;
    MemoryWatch memory;
    double privateAfter = 0;

    Phase Whole() const { return Span(marks.front(), marks.back()); }
    size_t PhaseCount() const { return marks.size() - 1; }
    Phase PhaseAt(size_t k) const {
        Phase phase = Span(marks[k], marks[k + 1]);
        phase.firstStep = k < firstSteps.size() ? firstSteps[k] : 0;
        return phase;
    }
};

Run Measure(const std::function<int(TaskControls&)>& task) {
    TimedControls controls;
    controls.MarkNow();
    Run run;
    run.handled = task(controls);
    controls.MarkNow();
    run.marks = controls.marks;
    run.firstSteps = controls.firstSteps;
    run.memory = controls.memory;
    run.privateAfter = PrivateMegabytes();
    return run;
}

// ---- Probes: what cannot be timed in place ----

// What a pause costs beyond what it asks for: through Delay (a new waitable
// timer each time) or a plain Sleep.
double OvershootMilliseconds(int milliseconds, int count, bool plainSleep) {
    Stopwatch clock;
    for (int i = 0; i < count; ++i) {
        if (plainSleep) {
            ::Sleep(static_cast<DWORD>(milliseconds));
        } else {
            Delay(milliseconds);
        }
    }
    return clock.Milliseconds() / count - milliseconds;
}

struct Pauses {
    double delay10 = 0, delay25 = 0, sleep10 = 0, sleep25 = 0;
    // What one of the tasks' pauses (of 10 or 25 ms) overruns on average.
    double PerCall() const { return (delay10 + delay25) / 2; }
};

Pauses TimePauses() {
    Pauses pauses;
    pauses.delay10 = OvershootMilliseconds(10, 100, false);
    pauses.delay25 = OvershootMilliseconds(25, 100, false);
    pauses.sleep10 = OvershootMilliseconds(10, 100, true);
    pauses.sleep25 = OvershootMilliseconds(25, 100, true);
    std::printf("  a pause overruns its request: Delay %.3f ms at 10 ms, %.3f ms at 25 ms; "
                "Sleep %.3f ms at 10 ms, %.3f ms at 25 ms\n",
                pauses.delay10, pauses.delay25, pauses.sleep10, pauses.sleep25);
    return pauses;
}

// The rows the archive task writes for the same mail into a file of their
// own, each in its own transaction and committed to the disk (as the task
// did before it let a mailbox's rows reach the disk together), or all in
// one; with the file's journal and sync settings as `pragmas` set them.
double TimeRowWrites(const std::string& path, unsigned seed, bool commitEach,
                     const std::vector<std::string>& pragmas = {}) {
    const std::string connection = ArchiveConnectionString(path);
    CreateArchiveDatabase(connection);
    CreateMailboxTable(connection, "Mailbox_Probe", "C:\\Probe.mbx");
    CADODatabase database;
    database.Open(connection);
    for (const std::string& pragma : pragmas) {
        database.Execute(pragma);
    }
    CADORecordset table(database);
    table.Open("Mailbox_Probe", CADORecordset::OpenTable);
    MailMaker maker(seed);
    Stopwatch clock;
    if (!commitEach) {
        database.BeginTrans();
    }
    for (int i = 0; i < kMessages; ++i) {
        const Mail mail = maker.Ordinary();
        if (commitEach) {
            database.BeginTrans();
        }
        table.AddNew();
        table.WriteField(mailbox_column::kId, i + 1);
        table.WriteField(mailbox_column::kStatus, mail.status);
        table.WriteField(mailbox_column::kPriority, std::string("Normal"));
        table.WriteField(mailbox_column::kFrom, mail.from);
        table.WriteField(mailbox_column::kDate, mail.date);
        table.WriteField(mailbox_column::kSize, static_cast<int>(mail.raw.size() / 1000));
        table.WriteField(mailbox_column::kSubject, mail.subject);
        table.WriteField(mailbox_column::kTo, mail.to);
        table.WriteField(mailbox_column::kMessage, mail.raw);
        table.Update();
        if (commitEach) {
            database.CommitTrans();
        }
    }
    if (!commitEach) {
        database.CommitTrans();
    }
    const double seconds = clock.Seconds();
    table.Close();
    database.Close();
    ::DeleteFileA(path.c_str());
    ::DeleteFileA((path + "-wal").c_str());
    ::DeleteFileA((path + "-shm").c_str());
    return seconds;
}

// What each choice of journal and sync costs a row committed to the disk on
// its own, under this platform: the measure behind the archive's choice
// (the default rollback journal, every commit synced).
void PrintJournalChoices(const std::string& path, unsigned seed) {
    struct Choice {
        const char* name;
        std::vector<std::string> pragmas;
    };
    const Choice choices[] = {
        {"journal DELETE, synchronous FULL (the archive's)", {}},
        {"journal DELETE, synchronous NORMAL", {"PRAGMA synchronous = NORMAL"}},
        {"journal TRUNCATE, synchronous FULL", {"PRAGMA journal_mode = TRUNCATE"}},
        {"journal PERSIST, synchronous FULL", {"PRAGMA journal_mode = PERSIST"}},
        {"journal WAL, synchronous FULL", {"PRAGMA journal_mode = WAL"}},
        {"journal WAL, synchronous NORMAL",
         {"PRAGMA journal_mode = WAL", "PRAGMA synchronous = NORMAL"}},
        {"journal DELETE, synchronous OFF", {"PRAGMA synchronous = OFF"}},
    };
    std::printf("  Work's rows each committed on its own, by journal and sync:\n");
    for (const Choice& choice : choices) {
        const double seconds = TimeRowWrites(path, seed, true, choice.pragmas);
        std::printf("    %-50s %6.2f s, %5.2f ms a row\n", choice.name, seconds,
                    seconds * 1000 / kMessages);
    }
}

// The restore's appends to Pending's file, from the rows B1 wrote, into a
// file that is not the host's.
double TimePendingAppends(CADODatabase& database, const std::string& table,
                          const std::string& pendingPath) {
    CreateEmptyFile(pendingPath);
    CADORecordset rows(database);
    rows.Open(table, CADORecordset::OpenTable);
    double seconds = 0;
    for (; !rows.AtEnd(); rows.MoveNext()) {
        int status = 0;
        std::string date, message;
        rows.ReadField(mailbox_column::kStatus, status);
        rows.ReadField(mailbox_column::kDate, date);
        rows.ReadField(mailbox_column::kMessage, message);
        Stopwatch clock;
        AppendPendingRecord(pendingPath, date, status, message);
        seconds += clock.Seconds();
    }
    rows.Close();
    ::DeleteFileA(pendingPath.c_str());
    return seconds;
}

// The restore sets the status line through a new host connection per row.
double TimeStatusLines(bool connectEachTime) {
    const HostApplication held = HostApplication::Connect();
    Stopwatch clock;
    for (int i = 0; i < kMessages; ++i) {
        const std::string text = "Mailbox_Work - Messages left to restore: " + std::to_string(i) +
                                 " / Total number of messages restored: 0";
        if (connectEachTime) {
            SetHostStatus(text);
        } else {
            held.SetStatusText(text);
        }
    }
    return clock.Seconds();
}

// ---- Printing a run ----

// One line of a breakdown: a part of the overhead and its share.
void PrintShare(const char* what, double seconds, double overhead, int messages) {
    std::printf("        %-48s %6.2f s  %5.2f ms a message  %4.0f%%\n", what, seconds,
                seconds * 1000 / messages, overhead > 0 ? seconds * 100 / overhead : 0.0);
}

// The calls that took the most of the phase, largest first.
void PrintCalls(const Ledger& spent, bool archiveFile, double overhead) {
    std::vector<std::pair<std::string, Spent>> calls;
    for (const auto& entry : spent) {
        if (IsArchiveFile(entry.first) == archiveFile && entry.second.seconds >= 0.01) {
            calls.push_back(entry);
        }
    }
    std::sort(calls.begin(), calls.end(),
              [](const auto& a, const auto& b) { return a.second.seconds > b.second.seconds; });
    for (const auto& [what, call] : calls) {
        std::printf("          %-32s %6ld calls %6.2f s  %6.3f ms a call  %4.0f%%\n", what.c_str(),
                    call.calls, call.seconds, call.seconds * 1000 / call.calls,
                    overhead > 0 ? call.seconds * 100 / overhead : 0.0);
    }
}

// What of the overhead the host took, what the archive file took, what the
// pauses overran, and the plug-in's own work that is left.
void PrintBreakdown(const Phase& phase, const Pauses& pauses, int messages) {
    const double overhead = phase.Overhead();
    const double overrun = phase.pauses * pauses.PerCall() / 1000;
    PrintShare("in the host's calls", phase.InHost(), overhead, messages);
    PrintCalls(phase.spent, false, overhead);
    PrintShare("in the archive file's reads, writes and flushes", phase.InArchiveFile(), overhead,
               messages);
    PrintCalls(phase.spent, true, overhead);
    PrintShare("pauses overrunning their request (probe)", overrun, overhead, messages);
    PrintShare("the plug-in's own work, the rest",
               overhead - phase.InHost() - phase.InArchiveFile() - overrun, overhead, messages);
}

void PrintPhase(const char* name, const Phase& phase, int messages) {
    std::printf("    %-27s wall %6.2f s  floor %6.2f s (%4ld pauses)  over %5.2f s = %5.2f ms "
                "a message; first step %.3f s\n",
                name, phase.wall, phase.floor, phase.pauses, phase.Overhead(),
                phase.Overhead() * 1000 / messages, phase.firstStep);
}

void PrintRun(const char* title, const Run& run, int messages,
              const std::vector<const char*>& phaseNames, const Pauses& pauses) {
    const Phase whole = run.Whole();
    const double ratio = whole.wall / whole.floor;
    std::printf("\n%s: %d messages handled\n", title, run.handled);
    std::printf("  wall %.2f s, floor %.2f s (%ld pauses), wall/floor %.3f, overhead %.2f s = "
                "%.2f ms a message; target wall/floor <= %.2f: %s\n",
                whole.wall, whole.floor, whole.pauses, ratio, whole.Overhead(),
                whole.Overhead() * 1000 / messages, kWallTarget,
                ratio <= kWallTarget ? "met" : "MISSED");
    std::printf("    the target allows %.2f s over the floor; the host's calls took %.2f s of "
                "it, the archive file %.2f s, the rest %.2f s\n",
                whole.floor * (kWallTarget - 1), whole.InHost(), whole.InArchiveFile(),
                whole.Overhead() - whole.InHost() - whole.InArchiveFile());
    // The host's calls are the host's; what the plug-in adds is the rest.
    const double own = whole.Overhead() - whole.InHost();
    std::printf("  the plug-in's own overhead (wall - floor - the host's calls): %.2f s = %.1f%% "
                "of the pauses; target <= %.0f%%: %s\n",
                own, own * 100 / whole.floor, (kWallTarget - 1) * 100,
                own <= whole.floor * (kWallTarget - 1) ? "met" : "MISSED");
    const size_t count = std::min(run.PhaseCount(), phaseNames.size());
    for (size_t k = 0; k < count; ++k) {
        const Phase phase = run.PhaseAt(k);
        PrintPhase(phaseNames[k], phase, messages);
        if (phase.Overhead() > 0.05) {
            PrintBreakdown(phase, pauses, messages);
        }
    }
    std::printf("  memory: private bytes %.1f MB before, %.1f MB at most (%+.1f MB), %.1f MB "
                "after (%+.1f MB); working set at most %.1f MB during the run, process peak so "
                "far %.1f MB\n",
                run.memory.privateBefore, run.memory.privateMost,
                run.memory.privateMost - run.memory.privateBefore, run.privateAfter,
                run.privateAfter - run.memory.privateBefore, run.memory.workingSetMost,
                PeakWorkingSetMegabytes());
}

// ---- The archive file's weight ----

long long FileBytes(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
        return -1;
    }
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

long long QueryNumber(sqlite3* db, const std::string& sql) {
    sqlite3_stmt* statement = nullptr;
    long long value = -1;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW) {
        value = sqlite3_column_int64(statement, 0);
    }
    sqlite3_finalize(statement);
    return value;
}

// Where the bytes of the file go: the message texts as stored (UTF-8), the
// other columns, and the rest (pages' own structure, the index on id, room
// left free in pages).
void PrintWeight(const char* title, const std::string& path, const std::string& table,
                 long long rawBytes) {
    const long long fileBytes = FileBytes(path);
    const double ratio = static_cast<double>(fileBytes) / static_cast<double>(rawBytes);
    std::printf("\n%s\n  file %lld bytes (%.2f MB) for %lld bytes of message text (%.2f MB): "
                "%.3f : 1; target <= %.2f: %s\n",
                title, fileBytes, fileBytes / 1048576.0, rawBytes, rawBytes / 1048576.0, ratio,
                kSizeTarget, ratio <= kSizeTarget ? "met" : "MISSED");

    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        std::printf("  (the file could not be opened to look inside)\n");
        sqlite3_close(db);
        return;
    }
    const std::string quoted = "\"" + table + "\"";
    const long long pageSize = QueryNumber(db, "PRAGMA page_size");
    const long long pages = QueryNumber(db, "PRAGMA page_count");
    const long long freePages = QueryNumber(db, "PRAGMA freelist_count");
    const long long messageBytes =
        QueryNumber(db, "SELECT sum(length(CAST(message AS BLOB))) FROM " + quoted);
    const long long otherBytes =
        QueryNumber(db, "SELECT sum(length(CAST(P AS BLOB)) + length(CAST(\"From\" AS BLOB)) + "
                        "length(CAST(Date AS BLOB)) + length(CAST(Subject AS BLOB)) + "
                        "length(CAST(\"To\" AS BLOB)) + 12) FROM " +
                            quoted);
    sqlite3_close(db);
    const long long rest = fileBytes - messageBytes - otherBytes;
    const auto share = [&](long long bytes) { return bytes * 100.0 / rawBytes; };
    std::printf("  %lld pages of %lld bytes, %lld of them free\n", pages, pageSize, freePages);
    std::printf("    message texts as stored         %10lld bytes (%+.1f%% of the text: 8-bit "
                "letters take two bytes in UTF-8)\n",
                messageBytes, share(messageBytes - rawBytes));
    std::printf("    the other eight columns         %10lld bytes (%.1f%%)\n", otherBytes,
                share(otherBytes));
    std::printf("    pages' structure, index, slack  %10lld bytes (%.1f%%, %.0f bytes a row)\n",
                rest, share(rest), static_cast<double>(rest) / kMessages);
}

// The same rows packed into fresh files of other page sizes, the one choice
// the plug-in makes when it creates the file.
void PrintPageSizes(const std::string& path, const std::string& table, const std::string& folder,
                    long long rawBytes) {
    std::printf("  the same rows in a fresh file of page size:");
    for (int pageSize : {512, 1024, 2048, 4096, 8192, 16384, 65536}) {
        const std::string copy = folder + "\\repack-" + std::to_string(pageSize) + ".db";
        sqlite3* db = nullptr;
        if (sqlite3_open_v2(copy.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                            nullptr) == SQLITE_OK) {
            const std::string sql =
                "PRAGMA page_size=" + std::to_string(pageSize) + "; ATTACH '" + path +
                "' AS source; CREATE TABLE t AS SELECT * FROM source.\"" + table +
                "\" ORDER BY rowid; CREATE INDEX t_id ON t(id); DETACH source;";
            sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
        }
        sqlite3_close(db);
        std::printf(" %d: %.3f", pageSize,
                    static_cast<double>(FileBytes(copy)) / static_cast<double>(rawBytes));
        ::DeleteFileA(copy.c_str());
    }
    std::printf("\n");
}

// ---- The runs ----

long long FillMailbox(Host& host, const std::string& name, int count, unsigned seed, bool small) {
    host.CreateMailbox(name);
    MailboxFile& mailbox = host.Mailbox(name);
    MailMaker maker(seed);
    long long bytes = 0;
    int kinds[3] = {0, 0, 0};
    for (int i = 0; i < count; ++i) {
        const Mail mail = small ? maker.Small() : maker.Ordinary();
        mailbox.Append(mail.raw, mail.status);
        bytes += static_cast<long long>(mail.raw.size());
        ++kinds[mail.kind];
    }
    std::printf("mailbox %s: %d messages, %.2f MB (%d of 2-10 KB or smaller, %d of 20-60 KB, %d "
                "of 200-500 KB with an attachment)\n",
                name.c_str(), count, bytes / 1048576.0, kinds[0], kinds[1], kinds[2]);
    return bytes;
}

MailboxSelection Selection(const std::string& name) {
    const HostFolder mailbox = HostApplication::Connect().FolderByName(name);
    return MailboxSelection{mailbox.Path(), mailbox.Name(), mailbox.Id()};
}

Run ArchiveRun(CADODatabase& database, const std::string& logPath, const std::string& mailbox,
               bool deleteArchived) {
    const std::vector<MailboxSelection> selected = {Selection(mailbox)};
    const MessageFilter everything;
    return Measure([&](TaskControls& controls) {
        ArchiveTask task(database, logPath, controls);
        return task.run(selected, everything, deleteArchived);
    });
}

} // namespace

int main() {
    App().InitInstance();
    TimeArchiveFiles();
    TempFolder scratch;
    const std::string mailDir = scratch / "mail";
    ::CreateDirectoryA(mailDir.c_str(), nullptr);
    MessageBoxCapture boxes;
    const unsigned kWorkSeed = 2007;
    const unsigned kSmallSeed = 1999;

    try {
        Host host(mailDir);
        if (!host.ok()) {
            std::printf("the test host could not start\n");
            return 1;
        }
        std::printf("Message Stowlark tasks against the test host in this process, %d messages "
                    "a mailbox\n",
                    kMessages);
        const long long workBytes = FillMailbox(host, "Work", kMessages, kWorkSeed, false);
        const long long smallBytes = FillMailbox(host, "Small", kMessages, kSmallSeed, true);

        std::printf("\nProbes\n");
        const Pauses pauses = TimePauses();
        const std::string probePath = scratch / "probe.mdb";
        const double rowsEach = TimeRowWrites(probePath, kWorkSeed, true);
        const double rowsTogether = TimeRowWrites(probePath, kWorkSeed, false);
        std::printf("  Work's rows written to a file of their own, each in its own transaction: "
                    "%.2f s; all in one: %.2f s\n",
                    rowsEach, rowsTogether);
        PrintJournalChoices(probePath, kWorkSeed);

        const std::string archivePath = scratch / "archive.mdb";
        const std::string connection = ArchiveConnectionString(archivePath);
        CreateArchiveDatabase(connection);
        CADODatabase database;
        database.Open(connection);
        const std::string logPath = scratch / "stowlark.log";

        const Run archive = ArchiveRun(database, logPath, "Work", true);
        PrintRun("B1 archive of Work, deleting", archive, kMessages,
                 {"copy into the archive", "move to Trash", "finish"}, pauses);
        std::printf("  Work now holds %zu messages, Trash %zu\n", host.Mailbox("Work").Count(),
                    host.Mailbox("Trash").Count());

        const std::string workTable = TableNameFromMailboxName("Work");
        PrintWeight("B4 the archive file after B1", archivePath, workTable, workBytes);
        PrintPageSizes(archivePath, workTable, scratch.path(), workBytes);

        std::printf("\nProbes of the restore's own work, on the archive B1 made\n");
        const double appends =
            TimePendingAppends(database, workTable, scratch / "probe-pending.mbx");
        const double statusConnecting = TimeStatusLines(true);
        const double statusHeld = TimeStatusLines(false);
        std::printf("  appending every row to a mailbox file: %.2f s; %d status lines through a "
                    "new host connection each: %.3f s, through one: %.3f s\n",
                    appends, kMessages, statusConnecting, statusHeld);

        StagingFiles staging{host.MailboxPath("Pending"), mailDir + "\\Pending.toc"};
        const MessageFilter everything;
        const Run restore = Measure([&](TaskControls& controls) {
            RestoreTask task(database, staging, logPath, controls);
            return task.run({workTable}, everything, true);
        });
        PrintRun("B2 restore of Work, deleting restored rows", restore, kMessages,
                 {"write Pending", "host moves Pending to Work", "delete the rows, finish"},
                 pauses);
        std::printf("  Work now holds %zu messages, Pending %zu, the archive %d rows\n",
                    host.Mailbox("Work").Count(), host.Mailbox("Pending").Count(),
                    CountArchiveRows(database, workTable));
        database.Close();

        // Small rows weigh the file's own overhead more; archived without
        // deletion, which also shows the copy on its own.
        const std::string smallPath = scratch / "small.mdb";
        const std::string smallConnection = ArchiveConnectionString(smallPath);
        CreateArchiveDatabase(smallConnection);
        CADODatabase smallDatabase;
        smallDatabase.Open(smallConnection);
        const Run small = ArchiveRun(smallDatabase, logPath, "Small", false);
        PrintRun("Archive of Small (1-3 KB), not deleting", small, kMessages,
                 {"copy into the archive"}, pauses);
        smallDatabase.Close();

        const std::string smallTable = TableNameFromMailboxName("Small");
        PrintWeight("B4 the archive file of Small", smallPath, smallTable, smallBytes);
        PrintPageSizes(smallPath, smallTable, scratch.path(), smallBytes);
    } catch (const CADOException& failure) {
        std::printf("database error: %s\n", failure.GetErrorMessage().c_str());
    } catch (const HostError& failure) {
        std::printf("host error %08lx: %s\n", static_cast<unsigned long>(failure.code()),
                    failure.what());
    } catch (const std::exception& failure) {
        std::printf("error: %s\n", failure.what());
    }
    for (const CapturedMessageBox& box : boxes.boxes()) {
        std::printf("message box: %s\n", box.text.c_str());
    }
    return 0;
}
