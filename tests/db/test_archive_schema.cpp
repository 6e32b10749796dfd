// The archive's layout: table names from mailbox names, the mailbox table,
// the archive list, and mailbox names of every shape end to end.
#include "archive_fixture.h"

#include "db/ado_constants.h"
#include "db/mailbox_table_name.h"
#include "db/moved_mailboxes.h"

namespace {

using SchemaTest = ArchiveTest;

TEST(MailboxTableName, EncodesAndDecodesTheMarkedCharacters) {
    EXPECT_EQ("Mailbox_In", TableNameFromMailboxName("In"));
    EXPECT_EQ("Mailbox_Work_PERIOD_Old", TableNameFromMailboxName("Work.Old"));
    EXPECT_EQ("Mailbox_My_SPACE_Mail", TableNameFromMailboxName(" My Mail "));
    EXPECT_EQ("Mailbox_a_MINUS_b_EXCLAMATION_POINT_c", TableNameFromMailboxName("a-b!c"));
    EXPECT_EQ("Mailbox__LEFT_BRACKET_x_RIGHT_BRACKET__ACCENT_GRAVE_",
              TableNameFromMailboxName("[x]`"));

    EXPECT_EQ("Work.Old", MailboxNameFromTableName("Mailbox_Work_PERIOD_Old"));
    EXPECT_EQ("[x]`", MailboxNameFromTableName(TableNameFromMailboxName("[x]`")));
    EXPECT_EQ("mailbox_In", MailboxNameFromTableName("mailbox_In"));
    EXPECT_EQ("Notes", MailboxNameFromTableName("Notes"));
    EXPECT_FALSE(IsArchiveTableName("mailbox_In"));
    EXPECT_TRUE(IsArchiveTableName("Mailbox_In"));
}

TEST(MailboxTableName, LongNamesAreCutTo64Characters) {
    const std::string first = TableNameFromMailboxName(std::string(60, 'x') + " one");
    const std::string second = TableNameFromMailboxName(std::string(60, 'x') + " two");
    EXPECT_EQ(64u, first.size());
    EXPECT_EQ(first, second) << "long names sharing their start share a table";
    EXPECT_EQ(64u, TableNameFromMailboxName(std::string(56, 'y')).size());
}

TEST(MailboxTableChoice, AMovedMailFolderKeepsItsTablesWhereOnlyOneMailboxFits) {
    ArchiveTableList archives;
    archives.tables = {"Mailbox_Old",   "Mailbox_Old_2", "Mailbox_Notes",
                       "Mailbox_Twice", "Mailbox_Own",   "Mailbox_Own_2"};
    archives.mailboxPaths = {
        {"Mailbox_Old", "C:\\Gone\\Work.fol\\Old.mbx"}, {"Mailbox_Old_2", "C:\\Gone\\Old.mbx"},
        {"Mailbox_Notes", "C:\\Gone\\Renamed.mbx"}, // only the name is left
        {"Mailbox_Twice", "C:\\Gone\\Twice.mbx"},   // two mailboxes of that name
        {"Mailbox_Own", "D:\\Mail\\Own.mbx"},       // the mailbox has its own table
        {"Mailbox_Own_2", "C:\\Gone\\Own.mbx"},
    };
    const std::vector<CurrentMailbox> mailboxes = {
        {"Old", "D:\\Mail\\Work.fol\\Old.mbx"},  {"Old", "D:\\Mail\\Old.mbx"},
        {"Notes", "D:\\Mail\\Notes.mbx"},        {"Twice", "D:\\Mail\\A.fol\\Twice.mbx"},
        {"Twice", "D:\\Mail\\B.fol\\Twice.mbx"}, {"Own", "D:\\Mail\\Own.mbx"},
    };
    NoteMovedMailboxes(archives, mailboxes, "D:\\Mail\\");
    EXPECT_EQ((std::map<std::string, std::string>{
                  {"Mailbox_Old", "D:\\Mail\\Work.fol\\Old.mbx"},
                  {"Mailbox_Old_2", "D:\\Mail\\Old.mbx"},
                  {"Mailbox_Notes", "D:\\Mail\\Notes.mbx"},
              }),
              archives.movedTo);
    EXPECT_EQ("Mailbox_Old", MailboxTableFor(archives, "Old", "D:\\Mail\\Work.fol\\Old.mbx"));
    EXPECT_EQ("Mailbox_Old_2", MailboxTableFor(archives, "Old", "D:\\Mail\\Old.mbx"));
    EXPECT_EQ("Mailbox_Own", MailboxTableFor(archives, "Own", "D:\\Mail\\Own.mbx"));
    EXPECT_EQ("Mailbox_Twice_2", MailboxTableFor(archives, "Twice", "D:\\Mail\\A.fol\\Twice.mbx"));
}

TEST(MailboxTableChoice, EachMailboxFileKeepsATableOfItsOwn) {
    const std::string work = "C:\\Mail\\Work.mbx";
    const std::string other = "C:\\Mail\\Projects.fol\\Work.mbx";
    const std::string longName(70, 'z');
    const std::string longTable = TableNameFromMailboxName(longName);

    ArchiveTableList archives;
    EXPECT_EQ("Mailbox_Work", MailboxTableFor(archives, "Work", work));

    // Taken by a mailbox of the same name elsewhere, in any case of letters.
    archives.tables = {"Mailbox_Work", longTable};
    archives.mailboxPaths = {{"Mailbox_Work", other}, {longTable, other}};
    EXPECT_EQ("Mailbox_Work_2", MailboxTableFor(archives, "Work", work));
    EXPECT_EQ("Mailbox_work_2", MailboxTableFor(archives, "work", work));
    EXPECT_EQ("Mailbox_Work",
              MailboxTableFor(archives, "WORK", "c:\\MAIL\\projects.fol\\work.MBX"));
    EXPECT_EQ(longTable.substr(0, 62) + "_2", MailboxTableFor(archives, longName, work));

    // A mailbox's own table, past another that records no mailbox or one
    // whose file is gone: those are never taken over.
    archives.tables.push_back("Mailbox_Work_2");
    archives.mailboxPaths["Mailbox_Work_2"] = "";
    archives.tables.push_back("Mailbox_Work_3");
    archives.mailboxPaths["Mailbox_Work_3"] = "D:\\Gone\\Work.mbx";
    EXPECT_EQ("Mailbox_Work_4", MailboxTableFor(archives, "Work", work));
    archives.tables.push_back("Mailbox_Work_4");
    archives.mailboxPaths["Mailbox_Work_4"] = work;
    EXPECT_EQ("Mailbox_Work_4", MailboxTableFor(archives, "Work", work));

    // Letters the engine and the file system tell apart stay apart; a
    // change of case alone names the same file and the same table.
    const std::string strasse = "Stra\xDF"
                                "e";
    archives.tables = {"Mailbox_" + strasse};
    archives.mailboxPaths = {{"Mailbox_" + strasse, "C:\\Mail\\" + strasse + ".mbx"}};
    EXPECT_EQ("Mailbox_Strasse", MailboxTableFor(archives, "Strasse", "C:\\Mail\\Strasse.mbx"));
    EXPECT_EQ("Mailbox_" + strasse, MailboxTableFor(archives,
                                                    "STRA\xDF"
                                                    "E",
                                                    "C:\\MAIL\\STRA\xDF"
                                                    "E.MBX"));
}

TEST_F(SchemaTest, MailboxTableHasNineColumnsAndItsMailboxPath) {
    ASSERT_TRUE(CreateMailboxTable(connection_, "Mailbox_In", "C:\\Eudora\\In.mbx"));
    EXPECT_TRUE(TableExists(connection_, "Mailbox_In"));
    EXPECT_FALSE(TableExists(connection_, "Mailbox_in")) << "compared exactly";
    EXPECT_FALSE(CreateMailboxTable(connection_, "", "C:\\x.mbx"));
    // An existing table is left as it is and counts as made.
    EXPECT_TRUE(CreateMailboxTable(connection_, "Mailbox_In", "C:\\Other.mbx"));

    CADODatabase database;
    OpenDatabase(database);
    EXPECT_EQ("C:\\Eudora\\In.mbx", MailboxPathOfTable(database, "Mailbox_In"));
    CADORecordset columns(database);
    ASSERT_TRUE(columns.OpenSchema(adSchemaColumns));
    std::string names;
    for (; !columns.AtEnd(); columns.MoveNext()) {
        std::string name;
        columns.ReadField("COLUMN_NAME", name);
        names += name + " ";
    }
    EXPECT_EQ("id S P From Date Size Subject To message ", names);

    // A table that is not the program's has no path.
    database.Execute("CREATE TABLE Mailbox_Bare (id INTEGER)");
    EXPECT_EQ("", MailboxPathOfTable(database, "Mailbox_Bare"));
    EXPECT_EQ("", MailboxPathOfTable(database, "Mailbox_Missing"));
}

TEST_F(SchemaTest, ArchivesAreTheMailboxTablesWithCountsAndCaptions) {
    MakeMailbox("Mailbox_Work_PERIOD_Old", 3);
    MakeMailbox("Mailbox_In", 0);
    CADODatabase database;
    OpenDatabase(database);
    database.Execute("CREATE TABLE Notes (x INTEGER)");
    database.Execute("CREATE TABLE mailbox_lower (x INTEGER)");

    EXPECT_EQ(std::vector<std::string>({"Mailbox_In", "Mailbox_Work_PERIOD_Old"}),
              ArchiveTables(connection_));
    EXPECT_EQ(3, CountArchiveRows(database, "Mailbox_Work_PERIOD_Old"));
    EXPECT_EQ("Work.Old (3)", ArchiveCaption("Mailbox_Work_PERIOD_Old", 3));

    MessageBoxCapture boxes;
    EXPECT_EQ(0, CountArchiveRows(database, "Mailbox_Missing"));
    ASSERT_EQ(1u, boxes.boxes().size());
    EXPECT_EQ("no such table: Mailbox_Missing", boxes.boxes()[0].text);
    EXPECT_TRUE(ArchiveTables(ArchiveConnectionString(folder_ / "none.mdb")).empty());
}

TEST_F(SchemaTest, AnyMailboxNameWorksEndToEnd) {
    const char* names[] = {"Work (old)", "Bob's",        "a;b",   "x,y",
                           "Caf\xE9",    "50% off",      "\"q\"", "x]; DROP TABLE Mailbox_In; --",
                           "Tab\there",  "Mailbox_In'--"};
    MakeMailbox("Mailbox_In", 1);
    CADODatabase database;
    OpenDatabase(database);
    for (const char* mailbox : names) {
        SCOPED_TRACE(mailbox);
        const std::string table = TableNameFromMailboxName(mailbox);
        ASSERT_FALSE(TableExists(connection_, table));
        ASSERT_TRUE(CreateMailboxTable(connection_, table, std::string("C:\\") + mailbox));
        ASSERT_TRUE(TableExists(connection_, table));

        CADORecordset writer(database);
        ASSERT_TRUE(writer.Open(table, CADORecordset::OpenTable));
        WriteRow(writer, 41, "first");
        WriteRow(writer, 42, "second");
        writer.Close();
        EXPECT_EQ(2, CountArchiveRows(database, table));

        CADORecordset reader(database);
        ASSERT_TRUE(reader.Open(table, CADORecordset::OpenTable));
        std::string message;
        reader.ReadField("message", message);
        EXPECT_EQ("first", message);
        reader.Close();

        ASSERT_TRUE(database.Execute(DeleteRowSql(table, 41)));
        EXPECT_EQ(1, database.GetRecordsAffected());
        EXPECT_EQ(1, CountArchiveRows(database, table));
        EXPECT_EQ(std::string("C:\\") + mailbox, MailboxPathOfTable(database, table));
    }
    EXPECT_EQ(1, CountArchiveRows(database, "Mailbox_In")) << "no name ran SQL of its own";

    // Names written into the file by hand are not encoded: a "]" must not
    // end the name and turn the rest into a comment.
    MakeMailbox("Mailbox_a", 3);
    for (const char* table : {"Mailbox_a] --", "Mailbox_a\" --"}) {
        SCOPED_TRACE(table);
        ASSERT_TRUE(CreateMailboxTable(connection_, table, "C:\\a.mbx"));
        CADORecordset writer(database);
        ASSERT_TRUE(writer.Open(table, CADORecordset::OpenTable));
        WriteRow(writer, 7, "own");
        writer.Close();
        EXPECT_EQ(1, CountArchiveRows(database, table));
        EXPECT_EQ("own", ArchivedMessageText(database, table, std::nullopt, 7));
        ASSERT_TRUE(database.Execute(DeleteRowSql(table, 7)));
        EXPECT_EQ(0, CountArchiveRows(database, table));
    }
    EXPECT_EQ(3, CountArchiveRows(database, "Mailbox_a"));
}

} // namespace
