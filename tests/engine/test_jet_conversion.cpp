// Converting a Jet archive, headless: what the new archive holds, what is
// kept of the Jet file, what a stop, a damaged file or another program's
// database leaves behind, and how a conversion cut off is taken up.
#include "db/ado_database.h"
#include "db/ado_recordset.h"
#include "db/archive_schema.h"
#include "engine/conversion_mark.h"
#include "engine/conversion_recovery.h"
#include "engine/jet_backup_path.h"
#include "engine/jet_conversion.h"
#include "base/file_utils.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

namespace {

std::string Fixture(const char* name = "mail-archive.mdb") {
    return WinePath(std::string(STOWLARK_JET_FIXTURES "/") + name);
}

class RecordingControls : public ConversionControls {
public:
    explicit RecordingControls(int stopAfter = -1) : stopAfter_(stopAfter) {}
    void ShowProgress(int percent, const std::string& status) override {
        lastPercent = percent;
        lastStatus = status;
    }
    bool StopRequested() override { return stopAfter_ >= 0 && ++asked_ > stopAfter_; }
    void LogWritten() override { ++logWrites; }

    int lastPercent = -1;
    std::string lastStatus;
    int logWrites = 0;

private:
    int stopAfter_;
    int asked_ = 0;
};

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (found.cFileName[0] != '.') {
                names.push_back(found.cFileName);
            }
        } while (::FindNextFileA(search, &found));
        ::FindClose(search);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string StoredUtf8(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr);
    std::string text;
    if (sqlite3_step(statement) == SQLITE_ROW) {
        text.assign(static_cast<const char*>(sqlite3_column_blob(statement, 0)),
                    static_cast<size_t>(sqlite3_column_bytes(statement, 0)));
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return text;
}

} // namespace

TEST(JetConversionTest, ConvertsEveryArchiveTableAndKeepsTheJetFileBesideIt) {
    TempFolder folder;
    const std::string archive = folder / "archive.mdb";
    const std::string original = ReadBytes(Fixture());
    WriteBytes(archive, original);
    WriteBytes(folder / "archive-jet.mdb", "an earlier backup");
    RecordingControls controls;
    JetConversionOutcome outcome = JetConversion(archive, folder / "stowlark.log", controls).Run();

    ASSERT_EQ(JetConversionOutcome::Result::Converted, outcome.result) << outcome.problem;
    EXPECT_EQ(folder / "archive-jet-2.mdb", outcome.backupPath);
    EXPECT_EQ(original, ReadBytes(outcome.backupPath));
    EXPECT_EQ("an earlier backup", ReadBytes(folder / "archive-jet.mdb"));
    EXPECT_EQ((std::vector<std::string>{"archive-jet-2.mdb", "archive-jet.mdb", "archive.mdb",
                                        "stowlark.log"}),
              FilesIn(folder.path()));
    // The status line ends with the outcome, not the last row checked.
    EXPECT_EQ("Operation completed. 407 messages converted.", controls.lastStatus);
    EXPECT_EQ(407, outcome.messages);

    CADODatabase database;
    database.Open(ArchiveConnectionString(archive), "", "");
    ArchiveTableList tables = ListArchiveTables(database);
    EXPECT_EQ((std::vector<std::string>{"Mailbox_Big", "Mailbox_Empty", "Mailbox_In"}),
              tables.tables);
    EXPECT_EQ("C:\\Mail\\In.mbx", tables.mailboxPaths["Mailbox_In"]);
    EXPECT_EQ(7, CountArchiveRows(database, "Mailbox_In"));
    EXPECT_EQ(0, CountArchiveRows(database, "Mailbox_Empty"));
    EXPECT_EQ(400, CountArchiveRows(database, "Mailbox_Big"));
    // Read back through the code page, as a restore reads it: the bytes the
    // archive task once turned into text.
    EXPECT_EQ("Subject: Every byte\r\n\r\n" + EveryByteButZero(),
              ArchivedMessageText(database, "Mailbox_In", 1, 1));
    database.Close();
    // Text the code page cannot carry is kept as it was.
    const std::string greek = "\xCE\x95\xCE\xBB\xCE\xBB\xCE\xAC\xCE\xB4\xCE\xB1";
    EXPECT_EQ("\xE4\xBD\xA0\xE5\xA5\xBD " + greek,
              StoredUtf8(archive, "SELECT Subject FROM Mailbox_In WHERE rowid = 6"));
    // Nulls stay null, and an empty text stays text.
    EXPECT_EQ("null null text", StoredUtf8(archive, "SELECT typeof(P) || ' ' || typeof(Date) || "
                                                    "' ' || typeof(Subject) FROM Mailbox_In "
                                                    "WHERE rowid = 4"));

    std::string log = ReadBytes(folder / "stowlark.log");
    for (const char* line : {"Task Type: Convert Archive", "Table Mailbox_In: 7 messages",
                             "Table Mailbox_Big: 400 messages", "Table Notes: not an archive",
                             "Total number of converted messages: 407"}) {
        EXPECT_NE(std::string::npos, log.find(line)) << line;
    }
}

TEST(JetConversionTest, AStopOrADamagedFileLeavesTheJetFileAloneAndNothingBeside) {
    TempFolder folder;
    const std::string archive = folder / "archive.mdb";
    std::string original = ReadBytes(Fixture());
    WriteBytes(archive, original);
    RecordingControls stopping(2);
    JetConversionOutcome stopped = JetConversion(archive, folder / "stowlark.log", stopping).Run();
    EXPECT_EQ(JetConversionOutcome::Result::Stopped, stopped.result);
    EXPECT_EQ("Operation stopped. Nothing was converted.", stopping.lastStatus);
    EXPECT_EQ(original, ReadBytes(archive));
    EXPECT_EQ((std::vector<std::string>{"archive.mdb", "stowlark.log"}), FilesIn(folder.path()));

    // Damage past the catalog: found while the rows are copied.
    for (size_t i = 0; i < 4096; ++i) {
        original[original.size() - 8 * 4096 + i] = static_cast<char>(i * 7);
    }
    WriteBytes(archive, original);
    RecordingControls controls;
    JetConversionOutcome failed = JetConversion(archive, folder / "stowlark.log", controls).Run();
    EXPECT_EQ(JetConversionOutcome::Result::Failed, failed.result);
    EXPECT_FALSE(failed.problem.empty());
    EXPECT_EQ(original, ReadBytes(archive));
    EXPECT_EQ((std::vector<std::string>{"archive.mdb", "stowlark.log"}), FilesIn(folder.path()));
    EXPECT_NE(std::string::npos, ReadBytes(folder / "stowlark.log").find("Task failed"));

    // A folder where the new file cannot be made (as root under Wine no
    // permission refuses it, so a folder stands in the new file's way).
    WriteBytes(archive, ReadBytes(Fixture()));
    ASSERT_TRUE(::CreateDirectoryA(JetConversion::WorkingPath(archive).c_str(), nullptr));
    JetConversionOutcome unwritable =
        JetConversion(archive, folder / "stowlark.log", controls).Run();
    EXPECT_EQ(JetConversionOutcome::Result::Failed, unwritable.result);
    EXPECT_NE(std::string::npos, unwritable.problem.find("cannot be made")) << unwritable.problem;
    EXPECT_EQ(ReadBytes(Fixture()), ReadBytes(archive));
    EXPECT_EQ((std::vector<std::string>{"archive.mdb", "archive.mdb.converting", "stowlark.log"}),
              FilesIn(folder.path()));
}

TEST(JetConversionTest, AJetFileWithoutArchiveTablesIsNoArchiveAndStaysAsItIs) {
    TempFolder folder;
    const std::string archive = folder / "archive.mdb";
    const std::string other = ReadBytes(Fixture("not-an-archive.mdb"));
    WriteBytes(archive, other);
    EXPECT_FALSE(JetConversion::HoldsArchives(archive));
    EXPECT_TRUE(JetConversion::HoldsArchives(Fixture()));

    RecordingControls controls;
    JetConversionOutcome outcome = JetConversion(archive, folder / "stowlark.log", controls).Run();
    EXPECT_EQ(JetConversionOutcome::Result::Failed, outcome.result);
    EXPECT_NE(std::string::npos, outcome.problem.find("holds no archive")) << outcome.problem;
    EXPECT_EQ(other, ReadBytes(archive));
    EXPECT_EQ((std::vector<std::string>{"archive.mdb", "stowlark.log"}), FilesIn(folder.path()));
}

// A damaged length field reads as a short memo, in Jet as here: converted as
// it reads, and named in the log where the row's Size says far more.
TEST(JetConversionTest, AMessageFarShorterThanItsSizeIsNamedInTheLog) {
    TempFolder folder;
    const std::string archive = folder / "archive.mdb";
    WriteBytes(archive, ReadBytes(Fixture("short-memos.mdb")));
    RecordingControls controls;
    JetConversionOutcome outcome = JetConversion(archive, folder / "stowlark.log", controls).Run();
    ASSERT_EQ(JetConversionOutcome::Result::Converted, outcome.result) << outcome.problem;
    EXPECT_EQ(5, outcome.messages);

    const std::string log = ReadBytes(folder / "stowlark.log");
    EXPECT_NE(std::string::npos,
              log.find("Row 1 of Mailbox_In (id 1) may be damaged: its message holds 500 "
                       "characters where its Size says 107 KB."))
        << log;
    EXPECT_NE(std::string::npos, log.find("(id 5) may be damaged"));
    for (const char* whole : {"(id 2)", "(id 3)", "(id 4)"}) {
        EXPECT_EQ(std::string::npos, log.find(whole)) << whole;
    }
}

// The Jet file already renamed to its backup, no archive: a converted file
// marked complete is put in place; anything less is made again from the
// backup, which stays as it is.
TEST(JetConversionTest, AConversionCutOffBetweenItsRenamesIsTakenUp) {
    TempFolder folder;
    const std::string archive = folder / "archive.mdb";
    const std::string working = JetConversion::WorkingPath(archive);
    const std::string log = folder / "stowlark.log";
    const std::string original = ReadBytes(Fixture());
    WriteBytes(archive, original);
    RecordingControls controls;
    ASSERT_EQ(JetConversionOutcome::Result::Converted,
              JetConversion(archive, log, controls).Run().result);
    EXPECT_TRUE(IsCompleteConversion(archive));
    const std::string converted = ReadBytes(archive);

    ASSERT_TRUE(::MoveFileA(archive.c_str(), working.c_str()));
    ConversionLeftover leftover = TakeUpCutOffConversion(archive, log);
    EXPECT_EQ(ConversionLeftover::Kind::Finished, leftover.kind);
    EXPECT_EQ(converted, ReadBytes(archive));
    EXPECT_NE(std::string::npos, ReadBytes(log).find("cut off"));
    EXPECT_EQ((std::vector<std::string>{"archive-jet.mdb", "archive.mdb", "stowlark.log"}),
              FilesIn(folder.path()));

    // A file never marked (an archive made the usual way, or half a
    // conversion) is not taken for the converted one.
    ASSERT_TRUE(::DeleteFileA(archive.c_str()));
    ASSERT_TRUE(CreateArchiveDatabase(ArchiveConnectionString(working)));
    EXPECT_FALSE(IsCompleteConversion(working));
    leftover = TakeUpCutOffConversion(archive, log);
    ASSERT_EQ(ConversionLeftover::Kind::JetBackup, leftover.kind);
    EXPECT_EQ(folder / "archive-jet.mdb", leftover.backupPath);
    EXPECT_FALSE(FileExists(archive));
    JetConversionOutcome again = JetConversion(leftover.backupPath, archive, log, controls).Run();
    ASSERT_EQ(JetConversionOutcome::Result::Converted, again.result) << again.problem;
    EXPECT_EQ(leftover.backupPath, again.backupPath);
    EXPECT_EQ(original, ReadBytes(leftover.backupPath));
    EXPECT_EQ((std::vector<std::string>{"archive-jet.mdb", "archive.mdb", "stowlark.log"}),
              FilesIn(folder.path()));
    CADODatabase database;
    database.Open(ArchiveConnectionString(archive), "", "");
    EXPECT_EQ(400, CountArchiveRows(database, "Mailbox_Big"));
    database.Close();

    // Nothing of a conversion: a missing archive is a new one.
    TempFolder empty;
    EXPECT_EQ(ConversionLeftover::Kind::None,
              TakeUpCutOffConversion(empty / "archive.mdb", empty / "stowlark.log").kind);
}
