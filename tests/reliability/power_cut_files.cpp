// The power cut during what writes whole files beside the archive: the Jet
// conversion (the new file, then its renames) and "Save As...".
#include "tests/reliability/power_cut_run.h"

#include "base/win32.h"
#include "db/ado_database.h"
#include "db/archive_schema.h"
#include "db/jet/jet_header.h"
#include "engine/conversion_recovery.h"
#include "engine/jet_backup_path.h"
#include "engine/jet_conversion.h"
#include "tests/host/host_fixture.h"
#include "tests/reliability/power_cut_support.h"
#include "tests/reliability/power_cut_win32.h"
#include "tests/reliability/varied_mail.h"
#include "tests/test_support.h"
#include "ui/saved_messages.h"
#include "ui/viewer_rows.h"

#include <sqlite3.h>

#include <memory>
#include <stdexcept>

namespace {

// The recorder sees a file first when it is written; one only read until
// it is renamed must be known as it was from the start.
void TrackEveryFile(PowerCutRecorder& recorder, const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            recorder.TrackedIndex((folder + "\\" + found.cFileName).c_str());
        }
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
}

// Every row of every table of a sound archive, in order, as one text; an
// exception when the file is not sound.
std::string ArchiveContent(const std::string& path) {
    sqlite3* opened = nullptr;
    const int result = sqlite3_open_v2(path.c_str(), &opened, SQLITE_OPEN_READWRITE, nullptr);
    std::unique_ptr<sqlite3, int (*)(sqlite3*)> db(opened, sqlite3_close);
    if (result != SQLITE_OK) {
        throw std::runtime_error("the archive " + path + " cannot be opened");
    }
    auto rows = [&](const std::string& sql) {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db.get(), sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
            throw std::runtime_error(sqlite3_errmsg(db.get()));
        }
        std::vector<std::string> values;
        int step;
        while ((step = sqlite3_step(statement)) == SQLITE_ROW) {
            std::string row;
            for (int i = 0; i < sqlite3_column_count(statement); ++i) {
                const void* bytes = sqlite3_column_blob(statement, i);
                row.append(static_cast<const char*>(bytes),
                           bytes ? static_cast<size_t>(sqlite3_column_bytes(statement, i)) : 0);
                row += '\x1f';
            }
            values.push_back(row);
        }
        const std::string error = sqlite3_errmsg(db.get());
        sqlite3_finalize(statement);
        if (step != SQLITE_DONE) {
            throw std::runtime_error("the archive " + path + ": " + error);
        }
        return values;
    };
    const std::vector<std::string> verdict = rows("PRAGMA integrity_check");
    if (verdict.size() != 1 || verdict[0] != "ok\x1f") {
        throw std::runtime_error("the archive " + path + " is not sound");
    }
    std::string content;
    for (const std::string& table :
         rows("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name")) {
        const std::string name = table.substr(0, table.size() - 1);
        content += name + "\n";
        for (const std::string& row : rows("SELECT * FROM \"" + name + "\" ORDER BY rowid")) {
            content += row + "\n";
        }
    }
    return content;
}

std::string Fixture() {
    return WinePath(std::string(STOWLARK_JET_FIXTURES) + "/mail-archive.mdb");
}

} // namespace

PowerCutReport RunConversionCuts(bool fromBackup, const PowerCutOptions& options) {
    ScratchInMemory scratch;
    PowerCutReport report;
    const std::string jet = ReadBytes(Fixture());
    TempFolder recorded;
    const std::string archive = recorded / "archive.mdb";
    const std::string backup = recorded / "archive-jet.mdb";
    WriteBytes(fromBackup ? backup : archive, jet);
    QuietControls controls;
    std::vector<FileEvent> events;
    std::vector<RecordedFile> files;
    {
        PowerCutRecorder recorder(recorded.path());
        Win32FileRecording platform(recorder);
        TrackEveryFile(recorder, recorded.path());
        const JetConversionOutcome outcome = JetConversion(fromBackup ? backup : archive, archive,
                                                           recorded / "stowlark.log", controls)
                                                 .Run();
        if (outcome.result != JetConversionOutcome::Result::Converted) {
            report.failures.push_back("the recorded conversion failed: " + outcome.problem);
            return report;
        }
        events = recorder.Events();
        files = recorder.Files();
    }
    const std::string converted = ArchiveContent(archive);
    const char* scenario = fromBackup ? "convert-backup" : "convert";
    ForEachCut(
        scenario, recorded.path(), files, events, options, report,
        [&](const std::string& folder, const std::string& name) {
            const std::string path = folder + "\\archive.mdb";
            const std::string log = folder + "\\stowlark.log";
            for (const std::string& kept : {path, folder + "\\archive-jet.mdb"}) {
                if (HasJetSignature(kept) && ReadBytes(kept) != jet) {
                    report.failures.push_back(name + "the Jet file " + kept + " changed");
                }
            }
            // As the dialog opens the archive: a Jet file in its place
            // is converted; no file there takes up a cut-off conversion.
            std::string from = path;
            if (!HasJetSignature(path) &&
                ::GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
                const ConversionLeftover leftover = TakeUpCutOffConversion(path, log);
                if (leftover.kind == ConversionLeftover::Kind::JetBackup) {
                    from = leftover.backupPath;
                } else if (leftover.kind != ConversionLeftover::Kind::Finished) {
                    report.failures.push_back(name + "the archive's mail is not found");
                    return;
                }
            }
            if (HasJetSignature(from)) {
                ++report.nextRuns;
                QuietControls again;
                const JetConversionOutcome outcome = JetConversion(from, path, log, again).Run();
                if (outcome.result != JetConversionOutcome::Result::Converted) {
                    report.failures.push_back(name + "converting again failed: " + outcome.problem);
                    return;
                }
            }
            if (ArchiveContent(path) != converted) {
                report.failures.push_back(name + "the archive differs from the converted");
            }
        });
    return report;
}

PowerCutReport RunSaveAsCuts(const PowerCutOptions& options) {
    ScratchInMemory scratch;
    PowerCutReport report;
    TempFolder recorded;
    const std::string archive = recorded / "archive.mdb";
    {
        UnsleptPauses unslept;
        RunningHost host;
        host.Start();
        for (const VariedMessage& message : VariedMail()) {
            host.AddMessage("Work", message.text, message.status);
        }
        CreateArchiveDatabase(ArchiveConnectionString(archive));
        RunTask(PowerCutTask::Archive, {archive, recorded / "stowlark.log"}, host);
    }
    std::vector<ViewerRow> rows;
    {
        sqlite3* db = nullptr;
        sqlite3_open_v2(archive.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(db, "SELECT rowid, id, S, Date FROM Mailbox_Work", -1, &statement,
                           nullptr);
        while (sqlite3_step(statement) == SQLITE_ROW) {
            ViewerRow row;
            row.SetRowid(sqlite3_column_int64(statement, 0));
            row.id = sqlite3_column_int(statement, 1);
            row.status = sqlite3_column_int(statement, 2);
            const unsigned char* date = sqlite3_column_text(statement, 3);
            row.SetText(ViewerText::kDate, date ? reinterpret_cast<const char*>(date) : "");
            rows.push_back(row);
        }
        sqlite3_finalize(statement);
        sqlite3_close(db);
    }
    std::vector<const ViewerRow*> chosen;
    for (const ViewerRow& row : rows) {
        chosen.push_back(&row);
    }
    const std::string saved = recorded / "saved.mbx";
    const std::string earlier = "From ???@??? Mon Jan 01 00:00:00 2001\r\nan earlier save\r\n";
    WriteBytes(saved, earlier);

    std::vector<FileEvent> events;
    std::vector<RecordedFile> files;
    {
        PowerCutRecorder recorder(recorded.path());
        Win32FileRecording platform(recorder);
        TrackEveryFile(recorder, recorded.path());
        CADODatabase database;
        database.SetConnection(ArchiveConnectionString(archive));
        if (!database.Open() ||
            !SaveArchivedMessages(database, "Mailbox_Work", chosen, saved, true)) {
            report.failures.push_back("the recorded save failed");
            return report;
        }
        database.Close();
        events = recorder.Events();
        files = recorder.Files();
    }
    const std::string written = ReadBytes(saved);
    ForEachCut("save-as", recorded.path(), files, events, options, report,
               [&](const std::string& folder, const std::string& name) {
                   const std::string left = ReadBytes(folder + "\\saved.mbx");
                   if (left != earlier && left != written) {
                       report.failures.push_back(name +
                                                 "the saved file is neither the earlier "
                                                 "one nor the new one (" +
                                                 std::to_string(left.size()) + " bytes)");
                   }
               });
    return report;
}
