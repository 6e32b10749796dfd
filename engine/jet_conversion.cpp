#include "engine/jet_conversion.h"

#include "db/ado_exception.h"
#include "db/archive_schema.h"
#include "db/db_error.h"
#include "db/jet/jet_database.h"
#include "engine/conversion_mark.h"
#include "engine/jet_archive_columns.h"
#include "engine/jet_backup_path.h"
#include "engine/jet_table_copy.h"
#include "engine/task_log.h"
#include "mailbox/date_formats.h"
#include "base/ansi_text.h"
#include "base/file_utils.h"
#include "base/system_error.h"

namespace {

bool IsArchiveName(const std::wstring& name) {
    return name.compare(0, 8, L"Mailbox_") == 0;
}

struct ArchiveToCopy {
    const JetTable* table;
    std::string name; // ANSI
};

void RemoveWorkingFiles(const std::string& path) {
    ::DeleteFileA(path.c_str());
    ::DeleteFileA((path + "-journal").c_str());
}

// Before the new file takes the archive's place, all of it is on the disk.
void FlushToDisk(const std::string& path) {
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    const bool flushed = file != INVALID_HANDLE_VALUE && ::FlushFileBuffers(file);
    const DWORD error = ::GetLastError();
    if (file != INVALID_HANDLE_VALUE) {
        ::CloseHandle(file);
    }
    if (!flushed) {
        throw JetError("The new archive file " + path +
                       " cannot be written to the disk: " + SystemMessageText(error));
    }
}

} // namespace

std::string JetConversion::WorkingPath(const std::string& archivePath) {
    return archivePath + ".converting";
}

bool JetConversion::HoldsArchives(const std::string& jetPath) {
    const JetDatabase jet(jetPath);
    for (const JetTable& table : jet.tables()) {
        if (IsArchiveName(table.name)) {
            return true;
        }
    }
    return false;
}

void JetConversion::Log(const std::string& record) {
    if (TaskLog::append(logPath_, record)) {
        controls_.LogWritten();
    }
}

JetConversionOutcome JetConversion::Run() {
    Log(TaskLog::StartRecord(CurrentDateTime(), "Convert Archive") + "\nArchive: " + archivePath_ +
        (jetPath_ == archivePath_ ? "" : "\nFrom the Jet archive kept as " + jetPath_));
    const std::string working = WorkingPath(archivePath_);
    // Left by a conversion the system cut short; never anything of the user's.
    RemoveWorkingFiles(working);
    JetConversionOutcome outcome;
    try {
        outcome = Convert(working);
    } catch (const JetError& error) {
        outcome.problem = error.what();
    } catch (const DbError& error) {
        outcome.problem = error.description();
    } catch (const CADOException& error) {
        outcome.problem = error.GetErrorMessage();
    } catch (const std::bad_alloc&) {
        outcome.problem = "There is not enough memory.";
    }
    // Kept only when the archive's place is empty and the file, checked
    // and complete, is the one copy of the converted mail: the next start
    // puts it there.
    if (outcome.result != JetConversionOutcome::Result::Converted &&
        (FileExists(archivePath_) || !IsCompleteConversion(working))) {
        RemoveWorkingFiles(working);
    }
    std::string end;
    std::string status;
    switch (outcome.result) {
    case JetConversionOutcome::Result::Converted:
        end = "Task completed at " + FormatLocaleTime(CurrentDateTime()) +
              "\nTotal number of converted messages: " + std::to_string(outcome.messages) +
              "\nThe Jet archive is kept as " + outcome.backupPath;
        status =
            "Operation completed. " + std::to_string(outcome.messages) + " messages converted.";
        break;
    case JetConversionOutcome::Result::Stopped:
        end = "Task stopped at " + FormatLocaleTime(CurrentDateTime()) +
              "\nNothing was converted; the archive is as it was.";
        status = "Operation stopped. Nothing was converted.";
        break;
    case JetConversionOutcome::Result::Failed:
        end = "Task failed at " + FormatLocaleTime(CurrentDateTime()) + "\n" + outcome.problem +
              "\nNothing was converted; the archive is as it was.";
        status = "Operation failed. Nothing was converted.";
        break;
    }
    Log(end + "\n" + std::string(60, '-'));
    // The status line must not go on counting the comparison's rows.
    controls_.ShowProgress(0, status);
    return outcome;
}

JetConversionOutcome JetConversion::Convert(const std::string& workingPath) {
    JetConversionOutcome outcome;
    {
        JetDatabase jet(jetPath_);
        std::vector<ArchiveToCopy> archives;
        uint64_t messages = 0;
        for (const JetTable& table : jet.tables()) {
            std::string name = AnsiFromWide(table.name);
            if (!IsArchiveName(table.name)) {
                Log("Table " + name + ": not an archive, left out");
                continue;
            }
            if (WideFromAnsi(name) != table.name) {
                throw JetError("The name of " + TableText(table.name) +
                               " has characters this system's code page lacks.");
            }
            FindArchiveColumns(table);
            archives.push_back({&table, name});
            messages += table.definition.rowCount;
        }
        if (archives.empty()) {
            // Another program's database: made into an empty archive, it
            // would be moved away from under that program.
            throw JetError("The file " + jetPath_ +
                           " holds no archive: none of its tables is named \"Mailbox_...\".");
        }
        const std::string connection = ArchiveConnectionString(workingPath);
        if (!CreateArchiveDatabase(connection)) {
            throw JetError("The new archive file " + workingPath +
                           " cannot be made; the folder may be read-only or the disk full.");
        }
        for (const ArchiveToCopy& archive : archives) {
            const JetValue path = archive.table->ColumnProperty(L"id", L"Description");
            if (!CreateMailboxTable(connection, archive.name,
                                    path.kind == JetValueKind::Text ? AnsiFromWide(path.text)
                                                                    : std::string())) {
                throw JetError("The table " + archive.name + " cannot be made in " + workingPath +
                               ".");
            }
        }
        DbConnection file;
        file.Open(connection);
        // The new file counts for nothing until it is complete, compared and
        // flushed to disk: a cut-off conversion is thrown away and done
        // again. So it is written without the syncs that keep a file sound
        // through a crash, and read back through a mapping of it.
        file.Execute("PRAGMA journal_mode = MEMORY");
        file.Execute("PRAGMA synchronous = OFF");
        file.Execute("PRAGMA mmap_size = 268435456");
        ConversionProgress progress(controls_, messages);
        progress.BeginPhase("Converting");
        for (const ArchiveToCopy& archive : archives) {
            std::vector<std::string> doubtful;
            if (!CopyJetTable(jet, *archive.table, file, archive.name, progress, doubtful)) {
                outcome.result = JetConversionOutcome::Result::Stopped;
                return outcome;
            }
            std::string record = "Table " + archive.name + ": " +
                                 std::to_string(archive.table->definition.rowCount) + " messages";
            for (const std::string& row : doubtful) {
                record += "\n" + row;
            }
            Log(record);
        }
        progress.BeginPhase("Checking");
        for (const ArchiveToCopy& archive : archives) {
            if (!CompareJetTable(jet, *archive.table, file, archive.name, progress)) {
                outcome.result = JetConversionOutcome::Result::Stopped;
                return outcome;
            }
        }
        file.Close();
        outcome.messages = static_cast<long>(messages);
    }
    // The mark lets a later start put this file in the archive's place, so
    // it may reach the disk only after every other page has: written with
    // the rest, a power cut could keep it and lose pages before it.
    FlushToDisk(workingPath);
    {
        DbConnection file;
        file.Open(ArchiveConnectionString(workingPath));
        MarkConversionComplete(file);
        file.Close();
    }
    PutInPlace(workingPath, outcome);
    outcome.result = JetConversionOutcome::Result::Converted;
    return outcome;
}

void JetConversion::PutInPlace(const std::string& workingPath, JetConversionOutcome& outcome) {
    if (jetPath_ != archivePath_) {
        // The Jet file is a backup already; it stays as it is.
        outcome.backupPath = jetPath_;
        if (!::MoveFileExA(workingPath.c_str(), archivePath_.c_str(), MOVEFILE_WRITE_THROUGH)) {
            throw JetError("The converted archive cannot be put in place as " + archivePath_ +
                           ": " + SystemMessageText(::GetLastError()));
        }
        return;
    }
    // The Jet file is closed: it can now be moved aside, never changed.
    outcome.backupPath = JetBackupPath(archivePath_);
    if (!::MoveFileExA(archivePath_.c_str(), outcome.backupPath.c_str(), MOVEFILE_WRITE_THROUGH)) {
        throw JetError("The Jet archive cannot be renamed to " + outcome.backupPath + ": " +
                       SystemMessageText(::GetLastError()));
    }
    if (!::MoveFileExA(workingPath.c_str(), archivePath_.c_str(), MOVEFILE_WRITE_THROUGH)) {
        DWORD error = ::GetLastError();
        ::MoveFileExA(outcome.backupPath.c_str(), archivePath_.c_str(), MOVEFILE_WRITE_THROUGH);
        throw JetError("The converted archive cannot take the place of " + archivePath_ + ": " +
                       SystemMessageText(error));
    }
}
