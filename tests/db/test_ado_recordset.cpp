// Recordsets: how they open, what the getters and setters store and read,
// and walks that outlast changes to their table.
#include "archive_fixture.h"

#include "db/ado_constants.h"

#include <psapi.h>
#include <sqlite3.h>

namespace {

using RecordsetTest = ArchiveTest;

std::string ReadText(CADORecordset& rows, const char* field) {
    std::string text;
    EXPECT_TRUE(rows.ReadField(field, text));
    return text;
}

int ReadInt(CADORecordset& rows, const char* field) {
    int value = -12345;
    EXPECT_TRUE(rows.ReadField(field, value));
    return value;
}

std::vector<int> Ids(CADORecordset& rows) {
    std::vector<int> ids;
    for (; !rows.AtEnd(); rows.MoveNext()) {
        ids.push_back(ReadInt(rows, "id"));
    }
    return ids;
}

TEST_F(RecordsetTest, OpenOptionsDecideHowTheSourceIsRead) {
    MakeMailbox("Mailbox_In", 3);
    CADODatabase database;
    OpenDatabase(database);

    CADORecordset query(database);
    EXPECT_TRUE(query.Open("  SELECT * FROM Mailbox_In", CADORecordset::OpenAuto));
    EXPECT_EQ("SELECT * FROM Mailbox_In", query.GetQuery());
    EXPECT_EQ(adOpenStatic, query.GetCursorType());
    EXPECT_EQ(adCmdUnknown, query.GetCommandType());
    EXPECT_EQ(3, query.CountRows());
    EXPECT_EQ(3, query.CountRows()) << "counting does not move the cursor";
    EXPECT_EQ(1, ReadInt(query, "id"));

    // The same text as a table name names no table.
    CADORecordset table(database);
    EXPECT_THROW(table.Open("  SELECT * FROM Mailbox_In", CADORecordset::OpenTable), CADOException);
    EXPECT_EQ(adOpenKeyset, table.GetCursorType());
    EXPECT_EQ(adCmdTable, table.GetCommandType());
    EXPECT_FALSE(table.IsOpen());

    CADORecordset unknown(database);
    EXPECT_FALSE(unknown.Open("Mailbox_In", 7));
    EXPECT_FALSE(unknown.IsOpen());

    // Any other query, and a bare table name with the automatic option.
    CADORecordset other(database);
    ASSERT_TRUE(other.Open("SELECT count(*) AS n, max(id) AS top FROM Mailbox_In"));
    EXPECT_EQ(3, ReadInt(other, "N"));
    EXPECT_EQ(3, ReadInt(other, "top"));
    ASSERT_TRUE(other.Open("Mailbox_In", CADORecordset::OpenAuto));
    EXPECT_EQ(3, other.CountRows());
}

TEST_F(RecordsetTest, ValuesComeBackAsWritten) {
    MakeMailbox("Mailbox_In", 0);
    CADODatabase database;
    OpenDatabase(database);
    CADORecordset rows(database);
    ASSERT_TRUE(rows.Open("Mailbox_In", CADORecordset::OpenTable));

    const std::string everyByte = EveryByteButZero();
    ASSERT_TRUE(rows.AddNew());
    EXPECT_EQ(CADORecordset::EditNew, rows.GetEditStatus());
    rows.BeginEdit();
    EXPECT_EQ(CADORecordset::EditExisting, rows.GetEditStatus());
    rows.WriteField("id", 70000);
    rows.WriteField("S", -5);
    rows.WriteField("P", std::string());
    rows.WriteField("message", everyByte);
    ASSERT_TRUE(rows.Update());
    EXPECT_EQ(CADORecordset::EditNone, rows.GetEditStatus());
    EXPECT_TRUE(rows.Update()) << "nothing pending";

    CADORecordset again(database);
    ASSERT_TRUE(again.Open("Mailbox_In", CADORecordset::OpenTable));
    EXPECT_EQ(70000, ReadInt(again, "id"));
    EXPECT_EQ(-5, ReadInt(again, "S"));
    EXPECT_EQ(0, ReadInt(again, "Size")) << "never written: null";
    EXPECT_EQ("", ReadText(again, "P"));
    EXPECT_EQ(everyByte, ReadText(again, "message"));
    EXPECT_EQ("70000", ReadText(again, "ID")) << "field names ignore case";

    // An empty text is stored as null; the file holds UTF-8.
    sqlite3* raw = nullptr;
    ASSERT_EQ(SQLITE_OK, sqlite3_open(path_.c_str(), &raw));
    sqlite3_stmt* statement = nullptr;
    ASSERT_EQ(SQLITE_OK, sqlite3_prepare_v2(raw,
                                            "SELECT typeof(P), substr(message, 233, 1) FROM "
                                            "Mailbox_In",
                                            -1, &statement, nullptr));
    ASSERT_EQ(SQLITE_ROW, sqlite3_step(statement));
    EXPECT_STREQ("null", reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
    EXPECT_STREQ("\xC3\xA9", reinterpret_cast<const char*>(sqlite3_column_text(statement, 1)));
    sqlite3_finalize(statement);
    sqlite3_close(raw);
}

TEST_F(RecordsetTest, TypedColumnsReadAsTheirVariantTypes) {
    CADODatabase database;
    OpenDatabase(database);
    database.Execute("CREATE TABLE Typed (flag BIT, stamp DATETIME, ratio DOUBLE)");
    database.Execute("INSERT INTO Typed VALUES (1, '2007-02-05 09:04:03', 0.5)");
    database.Execute("INSERT INTO Typed VALUES (0, NULL, NULL)");
    CADORecordset rows(database);
    ASSERT_TRUE(rows.Open("SELECT * FROM Typed"));
    EXPECT_EQ("T", ReadText(rows, "flag"));
    EXPECT_EQ(-1, ReadInt(rows, "flag"));
    EXPECT_EQ("2007-02-05 09:04:03", ReadText(rows, "stamp"));
    std::string day;
    EXPECT_TRUE(rows.ReadField("stamp", day, "%Y/%m/%d"));
    EXPECT_EQ("2007/02/05", day);
    EXPECT_EQ("0.5", ReadText(rows, "ratio"));
    rows.MoveNext();
    EXPECT_EQ("F", ReadText(rows, "flag"));
    EXPECT_EQ("", ReadText(rows, "stamp"));
}

TEST_F(RecordsetTest, ErrorsCarryTheQueryAndTheDiagnostic) {
    MakeMailbox("Mailbox_In", 1);
    CADODatabase database;
    OpenDatabase(database);
    CADORecordset rows(database);
    ASSERT_TRUE(rows.Open("Mailbox_In", CADORecordset::OpenTable));
    int value = 0;
    EXPECT_THROW(rows.ReadField("Nope", value), CADOException);
    EXPECT_EQ(0x800A0CC1u, rows.GetLastError());
    EXPECT_EQ(0u,
              rows.GetLastErrorString().find("Query = Mailbox_In\nCADORecordset Error\n\tCode = "
                                             "800a0cc1\n\tCode meaning = "))
        << rows.GetLastErrorString();

    rows.MoveNext();
    EXPECT_TRUE(rows.AtEnd());
    EXPECT_THROW(rows.ReadField("id", value), CADOException);
    EXPECT_THROW(rows.MoveNext(), CADOException);

    CADORecordset schema(database);
    EXPECT_THROW(schema.OpenSchema(adSchemaTables, "{some-guid}"), CADOException);
}

TEST_F(RecordsetTest, WalkReadsRowsDeletedBehindIt) {
    // Archiving a message twice gives two rows with one id; restoring the
    // first deletes both while the walk stands on the second.
    MakeMailbox("Mailbox_In", 300);
    CADODatabase database;
    OpenDatabase(database);
    {
        CADORecordset writer(database);
        ASSERT_TRUE(writer.Open("Mailbox_In", CADORecordset::OpenTable));
        WriteRow(writer, 150, "text 150 again");
    }
    CADORecordset rows(database);
    ASSERT_TRUE(rows.Open("Mailbox_In", CADORecordset::OpenTable));
    ASSERT_EQ(301, rows.CountRows());
    std::vector<std::string> messages;
    while (!rows.AtEnd()) {
        const int id = ReadInt(rows, "id");
        messages.push_back(ReadText(rows, "message"));
        rows.MoveNext();
        database.Execute(DeleteRowSql("Mailbox_In", id));
    }
    ASSERT_EQ(301u, messages.size());
    EXPECT_EQ("text 1", messages.front());
    EXPECT_EQ("text 150 again", messages.back());
    EXPECT_EQ(0, CountArchiveRows(database, "Mailbox_In"));
}

TEST_F(RecordsetTest, ABookmarkDeletesExactlyItsRowAmongTwins) {
    MakeMailbox("Mailbox_In", 3);
    CADODatabase database;
    OpenDatabase(database);
    {
        CADORecordset writer(database);
        ASSERT_TRUE(writer.Open("Mailbox_In", CADORecordset::OpenTable));
        WriteRow(writer, 2, "text 2");
    }
    CADORecordset rows(database);
    ASSERT_TRUE(rows.Open("Mailbox_In", CADORecordset::OpenTable));
    CADORecordset reader(database);
    ASSERT_TRUE(reader.Open("Mailbox_In", CADORecordset::OpenTable));
    rows.MoveNext();
    const long long firstTwin = rows.GetBookmark();
    rows.MoveNext();
    rows.MoveNext();
    const long long secondTwin = rows.GetBookmark();
    EXPECT_NE(firstTwin, secondTwin);

    database.BeginTrans();
    rows.SetBookmark(secondTwin);
    EXPECT_EQ(2, ReadInt(rows, "id"));
    ASSERT_TRUE(rows.Delete());
    EXPECT_THROW(ReadText(rows, "message"), CADOException);
    database.CommitTrans();
    rows.MoveNext();
    EXPECT_TRUE(rows.AtEnd());

    // Another recordset of the connection still walks the snapshot it took.
    EXPECT_EQ(std::vector<int>({1, 2, 3, 2}), Ids(reader));
    CADORecordset after(database);
    ASSERT_TRUE(after.Open("Mailbox_In", CADORecordset::OpenTable));
    EXPECT_EQ(std::vector<int>({1, 2, 3}), Ids(after));

    // A row that is gone cannot be deleted again, nor one of a query result.
    rows.SetBookmark(secondTwin);
    EXPECT_THROW(rows.Delete(), CADOException);
    CADORecordset query(database);
    ASSERT_TRUE(query.Open("SELECT id FROM Mailbox_In WHERE id > 1"));
    EXPECT_THROW(query.GetBookmark(), CADOException);
}

TEST_F(RecordsetTest, WalkPassesOverRowsAnotherConnectionDeleted) {
    MakeMailbox("Mailbox_In", 5);
    CADODatabase database;
    OpenDatabase(database);
    CADORecordset rows(database);
    ASSERT_TRUE(rows.Open("Mailbox_In", CADORecordset::OpenTable));
    CADODatabase other;
    OpenDatabase(other);
    other.Execute("DELETE FROM Mailbox_In WHERE id IN (2, 3, 5)");
    EXPECT_EQ(std::vector<int>({1, 4}), Ids(rows));
}

TEST_F(RecordsetTest, LongAndShortValuesAcrossManyRows) {
    // Short columns are read in runs of rows, long ones singly; a column
    // that turns long part-way must still give every value.
    MakeMailbox("Mailbox_In", 0);
    CADODatabase database;
    OpenDatabase(database);
    CADORecordset writer(database);
    ASSERT_TRUE(writer.Open("Mailbox_In", CADORecordset::OpenTable));
    database.BeginTrans();
    for (int id = 1; id <= 400; ++id) {
        WriteRow(writer, id, std::string(id < 10 ? 10 : 3000, static_cast<char>('a' + id % 26)));
    }
    database.CommitTrans();

    CADORecordset rows(database);
    ASSERT_TRUE(rows.Open("SELECT * FROM Mailbox_In WHERE id > 1 ORDER BY id DESC"));
    EXPECT_EQ(399, rows.CountRows());
    int expected = 400;
    for (; !rows.AtEnd(); rows.MoveNext(), --expected) {
        ASSERT_EQ(expected, ReadInt(rows, "id"));
        const std::string message = ReadText(rows, "message");
        ASSERT_EQ(expected < 10 ? 10u : 3000u, message.size());
        ASSERT_EQ(static_cast<char>('a' + expected % 26), message[0]);
    }
    EXPECT_EQ(1, expected);
}

// Also run under a multi-byte code page, where many byte sequences are no
// characters at all.
TEST_F(RecordsetTest, MessageBytesSurviveInAnyCodePage) {
    MakeMailbox("Mailbox_In", 0);
    CADODatabase database;
    OpenDatabase(database);
    CADORecordset rows(database);
    ASSERT_TRUE(rows.Open("Mailbox_In", CADORecordset::OpenTable));
    const std::string everyByte = EveryByteButZero();
    const std::vector<std::string> messages = {everyByte, "lone lead byte \x81", "\x82\x20\xFF",
                                               "plain text", "caf\xE9"};
    for (size_t i = 0; i < messages.size(); ++i) {
        WriteRow(rows, static_cast<int>(i), messages[i]);
    }
    CADORecordset again(database);
    ASSERT_TRUE(again.Open("Mailbox_In", CADORecordset::OpenTable));
    for (const std::string& message : messages) {
        ASSERT_FALSE(again.AtEnd());
        EXPECT_EQ(message, ReadText(again, "message")) << "code page " << ::GetACP();
        again.MoveNext();
    }
}

// A converted Jet archive may hold Greek beside a text of the code page: the
// getters say which text lost characters, and give the stored one whole.
TEST_F(RecordsetTest, TextOutsideTheCodePageIsToldAndKeptWhole) {
    MakeMailbox("Mailbox_In", 2);
    sqlite3* raw = nullptr;
    ASSERT_EQ(SQLITE_OK, sqlite3_open(path_.c_str(), &raw));
    ASSERT_EQ(SQLITE_OK, sqlite3_exec(raw,
                                      "UPDATE Mailbox_In SET message = CASE id WHEN 1 THEN "
                                      "'\xCE\xB1\xCE\xB2 caf\xC3\xA9' ELSE 'caf\xC3\xA9' END",
                                      nullptr, nullptr, nullptr));
    sqlite3_close(raw);

    CADODatabase database;
    OpenDatabase(database);
    CADORecordset rows(database);
    ASSERT_TRUE(rows.Open("Mailbox_In", CADORecordset::OpenTable));
    std::string text, utf8;
    bool exact = true;
    ASSERT_TRUE(rows.ReadField("message", text, exact));
    EXPECT_FALSE(exact);
    EXPECT_EQ("?? caf\xE9", text);
    ASSERT_TRUE(rows.ReadFieldUtf8("message", utf8));
    EXPECT_EQ("\xCE\xB1\xCE\xB2 caf\xC3\xA9", utf8);
    rows.MoveNext();
    ASSERT_TRUE(rows.ReadField("message", text, exact));
    EXPECT_TRUE(exact);
    EXPECT_EQ("caf\xE9", text);
    ASSERT_TRUE(rows.ReadFieldUtf8("message", utf8));
    EXPECT_EQ("caf\xC3\xA9", utf8);
}

TEST_F(RecordsetTest, AShortFirstValueDoesNotLoadTheLongOnesAfterIt) {
    MakeMailbox("Mailbox_In", 0);
    CADODatabase database;
    OpenDatabase(database);
    CADORecordset writer(database);
    ASSERT_TRUE(writer.Open("Mailbox_In", CADORecordset::OpenTable));
    database.BeginTrans();
    WriteRow(writer, 1, "short");
    for (int id = 2; id <= 128; ++id) {
        WriteRow(writer, id, std::string(256 * 1024, static_cast<char>('a' + id % 26)));
    }
    database.CommitTrans();

    CADORecordset rows(database);
    ASSERT_TRUE(rows.Open("Mailbox_In", CADORecordset::OpenTable));
    EXPECT_EQ("short", ReadText(rows, "message"));
    rows.MoveNext();
    PROCESS_MEMORY_COUNTERS before = {};
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &before, sizeof before);
    EXPECT_EQ(256u * 1024, ReadText(rows, "message").size());
    PROCESS_MEMORY_COUNTERS after = {};
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &after, sizeof after);
    // One message, not the 127 that follow the short one (32 MB).
    EXPECT_LT(after.PagefileUsage, before.PagefileUsage + 8u * 1024 * 1024);
}

TEST_F(RecordsetTest, NoWrittenValueIsDroppedWithoutAWord) {
    MakeMailbox("Mailbox_In", 2);
    CADODatabase database;
    OpenDatabase(database);
    CADORecordset rows(database);
    ASSERT_TRUE(rows.Open("Mailbox_In", CADORecordset::OpenTable));

    // Moving on from a new row saves it, as ADO does.
    ASSERT_TRUE(rows.AddNew());
    rows.WriteField("id", 3);
    rows.MoveFirst();
    EXPECT_EQ(3, CountArchiveRows(database, "Mailbox_In"));

    // A value written without AddNew or BeginEdit changes the current row.
    rows.WriteField("message", std::string("changed"));
    ASSERT_TRUE(rows.Update());
    CADORecordset check(database);
    ASSERT_TRUE(check.Open("Mailbox_In", CADORecordset::OpenTable));
    EXPECT_EQ("changed", ReadText(check, "message"));

    // A row another connection deleted cannot take a change.
    CADODatabase other;
    OpenDatabase(other);
    other.Execute("DELETE FROM Mailbox_In WHERE id = 1");
    rows.BeginEdit();
    rows.WriteField("message", std::string("lost"));
    EXPECT_THROW(rows.Update(), CADOException);
}

TEST_F(RecordsetTest, QueriesWithClausesGiveTheEnginesAnswer) {
    MakeMailbox("Mailbox_In", 3);
    MakeMailbox("Mailbox_Out", 2);
    CADODatabase database;
    OpenDatabase(database);
    CADORecordset rows(database);
    ASSERT_TRUE(rows.Open("SELECT * FROM Mailbox_In ORDER BY 1 DESC"));
    EXPECT_EQ(std::vector<int>({3, 2, 1}), Ids(rows));
    ASSERT_TRUE(rows.Open("SELECT * FROM Mailbox_In WHERE id >= 2"));
    EXPECT_EQ(std::vector<int>({2, 3}), Ids(rows));
    ASSERT_TRUE(rows.Open("SELECT * FROM Mailbox_In UNION ALL SELECT * FROM Mailbox_Out"));
    EXPECT_EQ(5, rows.CountRows());
    ASSERT_TRUE(rows.Open("SELECT * FROM Mailbox_In i JOIN Mailbox_Out o ON i.id = o.id"));
    EXPECT_EQ(2, rows.CountRows());
}

TEST_F(RecordsetTest, SchemaRowsetsListTablesAndColumns) {
    MakeMailbox("Mailbox_In", 0);
    CADODatabase database;
    OpenDatabase(database);
    CADORecordset tables(database);
    ASSERT_TRUE(tables.OpenSchema(adSchemaTables));
    std::vector<std::string> names;
    for (; !tables.AtEnd(); tables.MoveNext()) {
        names.push_back(ReadText(tables, "TABLE_NAME"));
        EXPECT_EQ("TABLE", ReadText(tables, "TABLE_TYPE"));
    }
    EXPECT_EQ(std::vector<std::string>{"Mailbox_In"}, names) << "the property table stays hidden";

    CADORecordset columns(database);
    ASSERT_TRUE(columns.OpenSchema(adSchemaColumns));
    ASSERT_EQ(9, columns.CountRows());
    EXPECT_EQ("id", ReadText(columns, "COLUMN_NAME"));
    EXPECT_EQ(1, ReadInt(columns, "ORDINAL_POSITION"));
    EXPECT_EQ(adInteger, ReadInt(columns, "DATA_TYPE"));
    EXPECT_EQ("C:\\mail\\Mailbox_In.mbx", ReadText(columns, "DESCRIPTION"));
    columns.MoveNext();
    EXPECT_EQ("", ReadText(columns, "DESCRIPTION"));
}

} // namespace
