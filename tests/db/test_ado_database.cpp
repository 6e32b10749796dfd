// The connection: opening, statements, transactions, several connections to
// one file, and the error texts callers show.
#include "archive_fixture.h"
#include "held_write_lock.h"

#include "db/ado_diagnostic.h"

#include "base/file_utils.h"

namespace {

using DatabaseTest = ArchiveTest;

std::string Diagnostic(const char* code, const std::string& meaning, const std::string& source,
                       const std::string& description) {
    return std::string("CADODataBase Error\n\tCode = ") + code + "\n\tCode meaning = " + meaning +
           "\n\tSource = " + source + "\n\tDescription = " + description + "\n";
}

TEST_F(DatabaseTest, OpensOnlyAnExistingArchiveOfTheJetProvider) {
    CADODatabase database;
    EXPECT_FALSE(database.IsOpen());
    database.SetConnection(connection_);
    EXPECT_TRUE(database.Open());
    EXPECT_TRUE(database.IsOpen());
    EXPECT_TRUE(RefreshJetCache(database.GetActiveConnection()));
    database.Close();
    EXPECT_FALSE(database.IsOpen());
    EXPECT_FALSE(RefreshJetCache(database.GetActiveConnection()));

    const std::string missing = folder_ / "missing.mdb";
    try {
        database.Open(ArchiveConnectionString(missing));
        FAIL() << "a missing file must not be opened";
    } catch (const CADOException& error) {
        EXPECT_EQ("Could not find file '" + missing + "'.", error.GetErrorMessage());
    }
    EXPECT_FALSE(FileExists(missing)) << "opening never creates the file";

    try {
        database.Open("Provider=SQLOLEDB;Data Source=" + path_);
        FAIL() << "only the Jet provider is known";
    } catch (const CADOException& error) {
        EXPECT_EQ(static_cast<long>(0x800A0E7A), error.GetError());
        EXPECT_EQ("Provider cannot be found. It may not be properly installed.",
                  error.GetErrorMessage());
    }

    const std::string notDatabase = folder_ / "notes.mdb";
    WriteBytes(notDatabase, std::string(4096, 'x'));
    EXPECT_THROW(database.Open(ArchiveConnectionString(notDatabase)), CADOException);
    EXPECT_EQ("Unrecognized database format '" + notDatabase + "'.",
              database.GetErrorDescription());
}

TEST_F(DatabaseTest, FailingExecuteStoresTheDiagnosticAndThrows) {
    CADODatabase database;
    OpenDatabase(database);
    try {
        database.Execute("DELETE * FROM [Nope] WHERE id = 1");
        FAIL();
    } catch (const CADOException& error) {
        EXPECT_EQ(static_cast<long>(0x80040E37), error.GetError());
        EXPECT_EQ("no such table: Nope", error.GetErrorMessage());
    }
    EXPECT_EQ(0x80040E37u, database.GetLastError());
    EXPECT_EQ("no such table: Nope", database.GetErrorDescription());
    EXPECT_EQ("Connection String = " + connection_ + "\n" +
                  Diagnostic("80040e37", "IDispatch error #3127", "Microsoft.JET.OLEDB.4.0",
                             "no such table: Nope"),
              database.GetLastErrorString());

    // A second statement after the first is refused, not run.
    MakeMailbox("Mailbox_In", 2);
    EXPECT_THROW(database.Execute("DELETE FROM Mailbox_In WHERE id = 1; DROP TABLE Mailbox_In"),
                 CADOException);
    EXPECT_EQ("Characters found after end of SQL statement.", database.GetErrorDescription());
    EXPECT_EQ(2, CountArchiveRows(database, "Mailbox_In"));
}

TEST(CodeMeaning, FallsBackByCodeRange) {
    EXPECT_EQ("IDispatch error #3127", CodeMeaning(static_cast<HRESULT>(0x80040E37L)));
    EXPECT_EQ("Unknown error 0x800A0E7A", CodeMeaning(static_cast<HRESULT>(0x800A0E7AL)));
}

TEST_F(DatabaseTest, ExecuteCountsTheRowsItChanged) {
    MakeMailbox("Mailbox_In", 3);
    CADODatabase database;
    OpenDatabase(database);
    EXPECT_TRUE(database.Execute("DELETE * FROM Mailbox_In WHERE id = 2"));
    EXPECT_EQ(1, database.GetRecordsAffected());
    EXPECT_TRUE(database.Execute("CREATE TABLE Other (x INTEGER)"));
    EXPECT_EQ(0, database.GetRecordsAffected());
    EXPECT_EQ(2, CountArchiveRows(database, "Mailbox_In"));
}

TEST_F(DatabaseTest, TransactionsCommitRollBackAndNest) {
    MakeMailbox("Mailbox_In", 0);
    CADODatabase database;
    OpenDatabase(database);
    CADORecordset rows(database);
    ASSERT_TRUE(rows.Open("Mailbox_In", CADORecordset::OpenTable));

    database.BeginTrans();
    WriteRow(rows, 1, "kept");
    database.BeginTrans();
    WriteRow(rows, 2, "undone");
    database.RollbackTrans();
    database.CommitTrans();

    database.BeginTrans();
    WriteRow(rows, 3, "undone too");
    database.RollbackTrans();
    EXPECT_THROW(database.CommitTrans(), CADOException) << "nothing left to commit";

    CADODatabase other;
    OpenDatabase(other);
    EXPECT_EQ(1, CountArchiveRows(other, "Mailbox_In"));
}

TEST_F(DatabaseTest, ARowLeftInAFailedTransactionDoesNotSwallowTheNextOnes) {
    // A row whose write fails and whose transaction its writer leaves open,
    // then rows each in a transaction of their own.
    CADODatabase database;
    OpenDatabase(database);
    database.Execute("CREATE TABLE strict (id INTEGER NOT NULL, v TEXT)");
    CADORecordset rows(database);
    ASSERT_TRUE(rows.Open("strict", CADORecordset::OpenTable));
    database.BeginTrans();
    ASSERT_TRUE(rows.AddNew());
    rows.WriteField("v", std::string("no id"));
    EXPECT_THROW(rows.Update(), CADOException);
    for (int id = 1; id <= 3; ++id) {
        database.BeginTrans();
        ASSERT_TRUE(rows.AddNew());
        rows.WriteField("id", id);
        ASSERT_TRUE(rows.Update());
        ASSERT_TRUE(database.CommitTrans());
    }
    // Committed for every reader, and nothing waits to be rolled back.
    CADODatabase other;
    OpenDatabase(other);
    CADORecordset count(other);
    ASSERT_TRUE(count.Open("SELECT * FROM strict"));
    EXPECT_EQ(3, count.CountRows());
    EXPECT_FALSE(FileExists(path_ + "-journal"));
}

TEST_F(DatabaseTest, ConnectionsShareTheFileAndLeaveNothingBesideIt) {
    CADODatabase dialog;
    OpenDatabase(dialog);
    CADODatabase viewer;
    OpenDatabase(viewer);

    // A table made through the catalog's own connection is there at once.
    ASSERT_TRUE(CreateMailboxTable(connection_, "Mailbox_In", "C:\\In.mbx"));
    CADORecordset writer(dialog);
    ASSERT_TRUE(writer.Open("Mailbox_In", CADORecordset::OpenTable));
    dialog.BeginTrans();
    WriteRow(writer, 7, "hello");
    dialog.CommitTrans();
    EXPECT_EQ(1, CountArchiveRows(viewer, "Mailbox_In"));

    writer.Close();
    dialog.Close();
    viewer.Close();
    EXPECT_FALSE(FileExists(path_ + "-journal"));
    EXPECT_FALSE(FileExists(path_ + "-wal"));
}

TEST_F(DatabaseTest, AWriterWaitsItsTurnWhileAnotherHoldsTheFileAndNoLonger) {
    MakeMailbox("Mailbox_In", 0);
    CADODatabase writer;
    writer.SetConnectionTimeout(1);
    OpenDatabase(writer);
    std::vector<bool> told;
    writer.SetLockWaitListener([&](bool waiting) { told.push_back(waiting); });
    CADORecordset rows(writer);
    ASSERT_TRUE(rows.Open("Mailbox_In", CADORecordset::OpenTable));

    // Written as the archive task writes a row, while the other goes on
    // writing for longer than the bound: one of its gaps lets this one in.
    // The wait's end is heard before the connection's next call.
    {
        const HeldWriteLock other(connection_, 350, 3);
        WriteRow(rows, 1, "after the other's turn");
        EXPECT_EQ((std::vector<bool>{true, false}), told);
    }
    EXPECT_EQ(1, CountArchiveRows(writer, "Mailbox_In"));

    told.clear();
    {
        const HeldWriteLock other(connection_, 5000);
        EXPECT_THROW(writer.Execute("DELETE FROM Mailbox_In"), CADOException);
        EXPECT_EQ("database is locked", writer.GetErrorDescription());
        EXPECT_EQ((std::vector<bool>{true, false}), told);
    }
    // Heard no more once removed.
    writer.SetLockWaitListener(nullptr);
    const HeldWriteLock other(connection_, 300);
    EXPECT_TRUE(writer.Execute("DELETE FROM Mailbox_In"));
    EXPECT_EQ(2u, told.size());
}

TEST_F(DatabaseTest, ClosingTheConnectionClosesItsRecordsets) {
    MakeMailbox("Mailbox_In", 2);
    CADODatabase database;
    OpenDatabase(database);
    CADORecordset rows(database);
    ASSERT_TRUE(rows.Open("Mailbox_In", CADORecordset::OpenTable));
    database.Close();
    EXPECT_FALSE(rows.IsOpen());
    EXPECT_THROW(rows.MoveNext(), CADOException);
}

} // namespace
