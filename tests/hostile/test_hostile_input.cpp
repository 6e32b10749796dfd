// Names, messages, settings and files an attacker or an accident may hand the plug-in.
#include "db/ado_recordset.h"
#include "db/archive_schema.h"
#include "engine/message_filter.h"
#include "mailbox/date_formats.h"
#include "testhost/lower_case.h"
#include "testhost/mailstore/mailbox_file.h"
#include "tests/engine/engine_fixture.h"
#include "tests/hostile/hostile_support.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <map>

using ::testing::AllOf;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::Ge;
using ::testing::HasSubstr;
using ::testing::Lt;
using ::testing::Not;
using ::testing::UnorderedElementsAre;
using ::testing::UnorderedElementsAreArray;

namespace {

class HostileInput : public EngineTest {
protected:
    // The mailbox whose file is `relative` + ".mbx", as the mailbox tree hands it over.
    // Found by its file, since two folders may hold mailboxes of the same name.
    MailboxSelection At(const std::string& relative) {
        const std::string path = host.MailboxPath(relative + ".mbx");
        const std::string directory = path.substr(0, path.find_last_of('\\'));
        for (const FolderEntry& entry : host.session().store().Children(directory)) {
            if (entry.isMailbox && LowerCase(entry.path) == LowerCase(path)) {
                return MailboxSelection{entry.path, entry.name, entry.id};
            }
        }
        ADD_FAILURE() << "the host lists no mailbox " << relative;
        return MailboxSelection();
    }

    int ArchiveAt(const std::vector<std::string>& relatives, bool deleteArchived) {
        std::vector<MailboxSelection> selected;
        for (const std::string& relative : relatives) {
            selected.push_back(At(relative));
        }
        ArchiveTask task(database, logPath, controls);
        return task.run(selected, filter, deleteArchived);
    }

    // Every archive the file lists, as when the user ticks the whole archive tree.
    int RestoreEverything(bool deleteRestored) {
        return Restore(ArchiveTables(database.GetConnectionString()), deleteRestored);
    }

    // Rows of `table` whose message column holds exactly `bytes`, whatever
    // type the engine keeps them as.
    int RowsHolding(const std::string& table, const std::string& bytes) {
        std::string hex;
        for (unsigned char c : bytes) {
            static const char digits[] = "0123456789ABCDEF";
            hex += digits[c >> 4];
            hex += digits[c & 15];
        }
        try {
            CADORecordset rows(database);
            rows.Open("SELECT id FROM [" + table + "] WHERE CAST(message AS BLOB) = x'" + hex + "'",
                      CADORecordset::OpenQuery);
            return static_cast<int>(rows.CountRows());
        } catch (const CADOException&) {
            return 0; // a table without messages holds none of them
        }
    }

    // `count` messages for `mailbox` that say whose they are, added to the host.
    std::vector<std::string> AddOwn(const std::string& mailbox, int count, int status) {
        std::vector<std::string> added;
        for (int i = 1; i <= count; ++i) {
            added.push_back(MakeMessage(
                "owner@example.com", "of " + mailbox + " #" + std::to_string(i),
                "Tue, 2 Jan 2007 08:00:00 +0000", "This belongs to " + mailbox + ".\r\n"));
            host.AddMessage(mailbox, added.back(), status);
        }
        return added;
    }
};

TEST_F(HostileInput, MailboxNamesThatNeedQuotingComeBackWholeToTheirOwnMailbox) {
    // Every name here is one the host can make a file of; the host refuses
    // double quotes, tabs and names over 200 characters.
    const std::vector<std::string> names = {
        "Bob's [Old]; mail",
        "x]; DROP TABLE [Mailbox_In]; --'",
        "Gr\xFC\xDF"
        "e \xC9t\xE9",
        "a-b!c`d.e 100% _done_",
        "Long " + std::string(195, 'n'),
    };
    Start();
    std::map<std::string, std::vector<std::string>> sent;
    // "In" holds rows of its own, so a name that broke out of its statement
    // would find something to destroy.
    sent["In"] = AddOwn("In", 2, 1);
    std::vector<std::string> all = {"In"};
    for (size_t i = 0; i < names.size(); ++i) {
        ASSERT_NO_THROW(host.session().store().AddMailbox(host.dataDir(), names[i])) << names[i];
        sent[names[i]] = AddOwn(names[i], 2, static_cast<int>(i % 10));
        all.push_back(names[i]);
    }

    ASSERT_EQ(static_cast<int>(2 * all.size()), ArchiveAt(all, true));
    for (const std::string& name : all) {
        EXPECT_THAT(Messages(name), ElementsAre()) << name;
    }
    EXPECT_EQ(all.size(), ArchiveTables(database.GetConnectionString()).size());

    EXPECT_EQ(static_cast<int>(2 * all.size()), RestoreEverything(true));
    for (size_t i = 0; i < all.size(); ++i) {
        SCOPED_TRACE(all[i]);
        EXPECT_THAT(Messages(all[i]), ElementsAreArray(sent[all[i]]));
        const int status = i == 0 ? 1 : static_cast<int>((i - 1) % 10);
        EXPECT_THAT(Statuses(all[i]), ElementsAre(status, status));
    }
    EXPECT_THAT(Messages("Pending"), ElementsAre());
    for (const std::string& table : ArchiveTables(database.GetConnectionString())) {
        EXPECT_THAT(Rows(table), ElementsAre()) << table;
    }
    EXPECT_THAT(BoxTexts(), ElementsAre());
}

TEST_F(HostileInput, MailboxesWhoseNamesEncodeAlikeKeepTheirMessagesApart) {
    ASSERT_TRUE(::CreateDirectoryA(host.MailboxPath("Family.fol").c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryA(host.MailboxPath("Work.fol").c_str(), nullptr));
    const std::string longStart(60, 'q');
    // Pairs the table name cannot tell apart: a marker word spelled out, the
    // same name in two folders, a leading blank, and names that differ only
    // past the table name's length.
    const std::vector<std::string> mailboxes = {
        "Work.Old", "Work_PERIOD_Old", "Family.fol\\2006",   "Work.fol\\2006",
        " Notes",   "Notes",           longStart + " north", longStart + " south",
    };
    std::map<std::string, std::vector<std::string>> sent;
    for (const std::string& mailbox : mailboxes) {
        sent[mailbox] = AddOwn(mailbox, 2, 1);
    }
    Start();

    ASSERT_EQ(16, ArchiveAt(mailboxes, true));
    EXPECT_EQ(16, RestoreEverything(true));
    for (const std::string& mailbox : mailboxes) {
        EXPECT_THAT(Messages(mailbox), UnorderedElementsAreArray(sent[mailbox])) << mailbox;
    }
    EXPECT_THAT(Messages("In"), ElementsAre());
}

TEST_F(HostileInput, HeadersOfEveryByteAndNoHeadersAtAllComeBackByteForByte) {
    std::string everyByte;
    for (int byte = 1; byte <= 0xFF; ++byte) {
        if (byte != '\r' && byte != '\n') {
            everyByte += static_cast<char>(byte);
        }
    }
    const std::string sender = "\x1b[2J\x07\x08\xE9\xFF\x80 <odd@example.com>";
    const std::string longSubject = "long " + std::string(10000, 's');
    const std::vector<std::string> originals = {
        "From: " + sender + "\r\nSubject: " + everyByte + "\r\n\r\n\x1b]0;title\x07\x7f\r\n",
        "From: a@example.com\r\nSubject: " + longSubject + "\r\n\r\nbody\r\n",
        "From: h@example.com\r\nSubject: headers and a blank line\r\n\r\n",
        "\r\n\r\nno headers at all, and two line ends in front",
    };
    const std::vector<int> statuses = {1, 2, 3, 10};
    for (size_t i = 0; i < originals.size(); ++i) {
        host.AddMessage("Work", originals[i], statuses[i]);
    }
    Start();

    ASSERT_EQ(static_cast<int>(originals.size()), Archive({"Work"}, true));
    const std::vector<ArchiveRow> rows = Rows("Mailbox_Work");
    EXPECT_THAT(Column(rows, &ArchiveRow::message),
                ElementsAreArray(originals.rbegin(), originals.rend()));
    // The columns the viewer and the filter read keep the header's bytes too.
    EXPECT_THAT(Column(rows, &ArchiveRow::subject),
                ElementsAre("No Subject", "headers and a blank line", longSubject, everyByte));
    EXPECT_THAT(Column(rows, &ArchiveRow::from),
                ElementsAre("Not Specified", "h@example.com", "a@example.com", sender));

    EXPECT_EQ(static_cast<int>(originals.size()), Restore({"Mailbox_Work"}, true));
    EXPECT_THAT(Messages("Work"), ElementsAreArray(originals));
    EXPECT_THAT(Statuses("Work"), ElementsAreArray(statuses));
    EXPECT_THAT(Messages("Pending"), ElementsAre());
    EXPECT_THAT(Rows("Mailbox_Work"), ElementsAre());
    EXPECT_THAT(BoxTexts(), ElementsAre());
}

TEST_F(HostileInput, AnEmptyMessageAndOneThatCannotGoBackThroughPendingStayInTheirMailbox) {
    // The host keeps both: an empty message, and one with a line that starts
    // as a record does, with a weekday and a month (the host itself would
    // read it as text, lacking a time and a year; the restore leaves it that
    // margin). The empty one has nothing to archive. The other is taken not
    // to come back through Pending whole, so with deletion it stays where it
    // is, and is not archived again and again. A line that only begins
    // "From ???@???" goes and comes back as any other.
    const std::string empty;
    const std::string lookalike =
        MakeMessage("fwd@example.com", "forwarded mailbox", "",
                    "From ???@??? Mon Jan 8 at noon, said the old record.\r\n");
    const std::string plain = MakeMessage("plain@example.com", "plain", "",
                                          "From ???@??? is how each record starts.\r\n");
    host.AddMessage("Work", empty, 1);
    host.AddMessage("Work", lookalike, 2);
    host.AddMessage("Work", plain, 3);
    Start();

    EXPECT_EQ(1, Archive({"Work"}, true));
    EXPECT_EQ(0, Archive({"Work"}, true));
    EXPECT_THAT(Column(Rows("Mailbox_Work"), &ArchiveRow::message), ElementsAre(plain));
    EXPECT_THAT(Messages("Work"), ElementsAre(empty, lookalike));
    EXPECT_THAT(Messages("Trash"), ElementsAre(plain));
    EXPECT_THAT(BoxTexts(), ElementsAre(HasSubstr("1 messages of Work were left in the mailbox"),
                                        HasSubstr("1 messages of Work were left in the mailbox")));
    EXPECT_THAT(LogLines(), Not(Contains("Deleted from the Mailbox: Yes")));

    // Without deletion it is copied like any other, and the restore says
    // why its row stays.
    EXPECT_EQ(1, Archive({"Work"}, false));
    EXPECT_EQ(1, Restore({"Mailbox_Work"}, true));
    EXPECT_THAT(Messages("Work"), UnorderedElementsAre(empty, lookalike, plain));
    EXPECT_THAT(Column(Rows("Mailbox_Work"), &ArchiveRow::message), ElementsAre(lookalike));
    EXPECT_THAT(BoxTexts().back(), HasSubstr("They stay in the archive."));
}

TEST_F(HostileInput, AFileThatIsNoArchiveIsNeitherUsedNorTouched) {
    // A real archive with rows, to cut short below.
    const std::vector<std::string> work = AddOwn("Work", 2, 1);
    for (int i = 0; i < 12; ++i) {
        host.AddMessage("Old", MakeMessage("o@example.com", "old", "",
                                           std::string(3000, static_cast<char>('a' + i)) + "\r\n"));
    }
    Start();
    ASSERT_EQ(12, Archive({"Old"}, false));
    database.Close();
    const std::string path = files / "archive.mdb";
    const std::string real = ReadBytes(path);
    ASSERT_GT(real.size(), 20000u);

    const std::vector<std::pair<std::string, std::string>> impostors = {
        {"random bytes", PseudoRandomBytes(65536, 7)},
        {"text", "This is not a database.\r\nIt only has a name like one.\r\n"},
        {"a database header over random bytes",
         std::string("SQLite format 3\0", 16) + PseudoRandomBytes(8176, 11)},
        {"an archive cut in half", real.substr(0, real.size() / 2)},
        {"an archive missing its last page", real.substr(0, real.size() - 4096)},
        {"the first bytes of an archive", real.substr(0, 100)},
    };
    for (const auto& [kind, bytes] : impostors) {
        SCOPED_TRACE(kind);
        WriteBytes(path, bytes);
        const size_t boxesBefore = boxes.boxes().size();
        std::string failure;
        try {
            database.Open();
        } catch (const CADOException& error) {
            failure = error.GetErrorMessage();
        }
        EXPECT_FALSE(database.IsOpen());
        EXPECT_THAT(failure, Not(::testing::IsEmpty()));

        EXPECT_EQ(0, Archive({"Work"}, true));
        EXPECT_EQ(0, Restore({"Mailbox_Work", "Mailbox_Old"}, true));
        EXPECT_THAT(Messages("Work"), ElementsAreArray(work));
        EXPECT_THAT(Messages("Old"), ::testing::SizeIs(12));
        EXPECT_THAT(Messages("Trash"), ElementsAre());
        EXPECT_THAT(Messages("In"), ElementsAre());
        EXPECT_EQ(bytes, ReadBytes(path));
        // The archive task says it could not write.
        EXPECT_GT(boxes.boxes().size(), boxesBefore);
        database.Close();
    }

    // An empty file holds nothing that could be lost: it serves as a new archive.
    WriteBytes(path, "");
    ASSERT_NO_THROW(database.Open());
    EXPECT_EQ(2, Archive({"Work"}, true));
    EXPECT_EQ(2, Restore({"Mailbox_Work"}, true));
    EXPECT_THAT(Messages("Work"), ElementsAreArray(work));
}

TEST_F(HostileInput, AnArchiveTableOfTheWrongShapeLosesNoMessageOnRestore) {
    Start();
    ASSERT_TRUE(database.Execute(
        "CREATE TABLE Mailbox_Odd (id INTEGER, S TEXT, P, [From], [Date] INTEGER, Size TEXT, "
        "Subject BLOB, [To], message BLOB)"));
    const std::string text = "Subject: text\r\n\r\nkept as text\r\n";
    const std::string blob = "Subject: blob\r\n\r\nkept as bytes\r\n";
    ASSERT_TRUE(database.Execute("INSERT INTO Mailbox_Odd VALUES (1, 'read', NULL, NULL, NULL, "
                                 "'big', NULL, NULL, '" +
                                 text + "')"));
    ASSERT_TRUE(database.Execute(
        "INSERT INTO Mailbox_Odd VALUES (2, 1, 'High', 5, 20070101, 5, x'41', 'y', CAST('" + blob +
        "' AS BLOB))"));
    ASSERT_TRUE(database.Execute("INSERT INTO Mailbox_Odd (id) VALUES (NULL)"));
    ASSERT_TRUE(database.Execute("CREATE TABLE Mailbox_Bare (x INTEGER)"));
    ASSERT_TRUE(database.Execute("INSERT INTO Mailbox_Bare VALUES (1)"));
    ASSERT_TRUE(database.Execute(
        "CREATE TABLE Mailbox_NoText (id INTEGER, S INTEGER, P TEXT, [From] TEXT, [Date] TEXT, "
        "Size INTEGER, Subject TEXT, [To] TEXT)"));
    ASSERT_TRUE(database.Execute(
        "INSERT INTO Mailbox_NoText VALUES (1, 1, 'Normal', 'a', 'b', 1, 'c', 'd')"));
    const std::string user = AddOwn("In", 1, 1)[0];
    EXPECT_THAT(ArchiveTables(database.GetConnectionString()),
                ElementsAre("Mailbox_Bare", "Mailbox_NoText", "Mailbox_Odd"));

    Restore({"Mailbox_Bare", "Mailbox_NoText", "Mailbox_Odd"}, true);

    // The tables the restore cannot read keep their rows and give nothing.
    EXPECT_EQ(1, CountArchiveRows(database, "Mailbox_Bare"));
    EXPECT_EQ(1, CountArchiveRows(database, "Mailbox_NoText"));
    EXPECT_THAT(BoxTexts(), Contains(Not(::testing::IsEmpty())));
    // Each message is in the archive still or in "In" (the table names no
    // mailbox), exactly as it was stored.
    const std::vector<std::string> in = Messages("In");
    EXPECT_THAT(in, Contains(user));
    for (const std::string& message : {text, blob}) {
        SCOPED_TRACE(message);
        const auto arrived = std::count(in.begin(), in.end(), message);
        EXPECT_EQ(1, arrived + RowsHolding("Mailbox_Odd", message));
    }
    EXPECT_THAT(Messages("Pending"), ElementsAre());
}

TEST_F(HostileInput, ATableOfTheWrongShapeTakesNoMessageAwayFromItsMailbox) {
    const char* const kColumns =
        "(id INTEGER, S INTEGER, P TEXT, [From] TEXT, [Date] TEXT, Size INTEGER, Subject TEXT, "
        "[To] TEXT";
    const std::vector<std::pair<std::string, std::vector<std::string>>> tables = {
        {"NoText", {std::string("CREATE TABLE Mailbox_NoText ") + kColumns + ")"}},
        {"Numbers",
         {std::string("CREATE TABLE Mailbox_Numbers ") + kColumns + ", message INTEGER)"}},
        {"Refusing",
         {std::string("CREATE TABLE Mailbox_Refusing ") + kColumns +
          ", message TEXT, Extra TEXT NOT NULL)"}},
        {"Ignoring",
         {std::string("CREATE TABLE Mailbox_Ignoring ") + kColumns + ", message TEXT)",
          "CREATE TRIGGER ignore_rows BEFORE INSERT ON Mailbox_Ignoring BEGIN "
          "SELECT RAISE(IGNORE); END"}},
        {"Dropping",
         {std::string("CREATE TABLE Mailbox_Dropping ") + kColumns + ", message TEXT)",
          "CREATE TRIGGER drop_rows AFTER INSERT ON Mailbox_Dropping BEGIN "
          "DELETE FROM Mailbox_Dropping WHERE rowid = new.rowid; END"}},
        {"Viewed",
         {std::string("CREATE TABLE Elsewhere ") + kColumns + ", message TEXT)",
          "CREATE VIEW Mailbox_Viewed AS SELECT * FROM Elsewhere"}},
    };
    std::map<std::string, std::vector<std::string>> sent;
    for (const auto& table : tables) {
        sent[table.first] = AddOwn(table.first, 2, 1);
    }
    Start();
    for (const auto& table : tables) {
        for (const std::string& statement : table.second) {
            ASSERT_TRUE(database.Execute(statement)) << statement;
        }
        // Each records its mailbox, as a table the plug-in made does, so
        // the task takes it as that mailbox's own.
        ASSERT_TRUE(database.Execute(
            "INSERT INTO MSysColumnProperties (TableName, ColumnName, Property, Type, Value) "
            "VALUES ('Mailbox_" +
            table.first + "', 'id', 'Description', 203, '" +
            host.MailboxPath(table.first + ".mbx") + "')"));
    }

    for (const auto& table : tables) {
        SCOPED_TRACE(table.first);
        Archive({table.first}, true);
        // A message leaves its mailbox only for a row that holds it.
        for (const std::string& message : sent[table.first]) {
            const std::vector<std::string> left = Messages(table.first);
            const bool stayed = std::count(left.begin(), left.end(), message) == 1;
            EXPECT_TRUE(stayed || RowsHolding("Mailbox_" + table.first, message) == 1)
                << "gone from its mailbox and not in the archive:\n"
                << message;
        }
    }
}

TEST(HostileSettings, AFilterReadFromAGarbledFileSelectsOnlyWhatItShows) {
    TempFolder folder;
    const std::string file = folder / "stowlark.ini";
    WriteBytes(file, GarbledSettings());
    MessageFilter filter;
    filter.loadFromSettings(file);

    EXPECT_THAT(filter.statusIndex, AllOf(Ge(0), Lt(kStatusCount)));
    if (filter.statusIndex >= 0 && filter.statusIndex < kStatusCount) {
        EXPECT_EQ(kStatusTexts[filter.statusIndex], filter.statusText);
    }
    EXPECT_THAT(filter.priorityIndex, AllOf(Ge(0), Lt(kPriorityCount)));
    if (filter.priorityIndex >= 0 && filter.priorityIndex < kPriorityCount) {
        EXPECT_EQ(kPriorityTexts[filter.priorityIndex], filter.priorityText);
    }
    EXPECT_EQ(Today(), filter.dateStart);
    EXPECT_EQ(Today(), filter.dateEnd);
    EXPECT_THAT(filter.describe(), Not(HasSubstr(" - \n")));

    // A message with no priority of its own passes no priority test: the
    // list shows no priority, and a blank one would select every such message.
    FilterCandidate plain;
    plain.status = 0;
    MessageFilter priorityOnly = filter;
    priorityOnly.statusOn = priorityOnly.fromOn = priorityOnly.dateOn = false;
    priorityOnly.subjectOn = priorityOnly.toOn = false;
    priorityOnly.priorityOn = true;
    priorityOnly.allMessages = false;
    EXPECT_FALSE(priorityOnly.matches(plain));
}

} // namespace
