// The archive task against the test host and a real archive file.
#include "db/archive_schema.h"
#include "engine/archive_index.h"
#include "mailbox/date_formats.h"
#include "base/file_utils.h"
#include "tests/engine/engine_fixture.h"

#include <gmock/gmock.h>

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using ::testing::MatchesRegex;

namespace {

class ArchiveTaskTest : public EngineTest {
protected:
    // `count` plain messages "1".."count" in `mailbox`.
    void AddNumbered(const std::string& mailbox, int count) {
        for (int i = 1; i <= count; ++i) {
            host.AddMessage(mailbox, MakeMessage("n@example.com", std::to_string(i),
                                                 "Wed, 6 Dec 2006 10:00:00 +0000", "text\r\n"));
        }
    }

    std::vector<std::string> StatusLines() { return host.session().statusHistory(); }
};

TEST_F(ArchiveTaskTest, CopiesEachMessageLastFirstWithDefaultsForWhatIsMissing) {
    const std::string full =
        MakeMessage("Anna <anna@example.com>", "Budget", "Wed, 6 Dec 2006 10:00:00 +0100",
                    std::string(2500, 'x') + "\r\n", "X-Priority: 2\r\n");
    const std::string bare = "From: \r\nTo: \r\n\r\nnothing else\r\n";
    host.AddMessage("Work", full, 1);
    host.AddMessage("Work", bare, 3);
    Start();

    EXPECT_EQ(2, Archive({"Work"}, false));
    const std::vector<ArchiveRow> rows = Rows("Mailbox_Work");
    ASSERT_EQ(2u, rows.size());
    EXPECT_EQ(2, rows[0].id);
    EXPECT_EQ(3, rows[0].status);
    EXPECT_EQ("Normal", rows[0].priority);
    EXPECT_EQ("Not Specified", rows[0].from);
    EXPECT_EQ("No Date", rows[0].date);
    EXPECT_EQ("No Subject", rows[0].subject);
    EXPECT_EQ("Not Specified", rows[0].to);
    EXPECT_EQ(bare, rows[0].message);
    EXPECT_EQ(0, rows[0].size);

    EXPECT_EQ(1, rows[1].id);
    EXPECT_EQ(1, rows[1].status);
    EXPECT_EQ("High", rows[1].priority);
    EXPECT_EQ("Anna <anna@example.com>", rows[1].from);
    EXPECT_EQ("Wed 12/06/2006 10:00", rows[1].date);
    EXPECT_EQ("Budget", rows[1].subject);
    EXPECT_EQ("archive@example.com", rows[1].to);
    EXPECT_EQ(full, rows[1].message);
    EXPECT_EQ(static_cast<int>(full.size() / 1000), rows[1].size);

    EXPECT_EQ(host.MailboxPath("Work.mbx"), MailboxPathOfTable(database, "Mailbox_Work"));
    EXPECT_EQ(2u, Messages("Work").size());
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(ArchiveTaskTest, TenMessagesReportTenStepsOfProgress) {
    AddNumbered("Work", 10);
    Start();
    EXPECT_EQ(10, Archive({"Work"}, false));
    EXPECT_THAT(controls.progress, ElementsAre(0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100));
    const std::vector<std::string> status = StatusLines();
    ASSERT_GE(status.size(), 2u);
    EXPECT_EQ("Work - Messages left to archive: 1 / Total number of messages archived: 10",
              status[status.size() - 2]);
    EXPECT_EQ("Operation completed. 10 messages archived.", status.back());
    EXPECT_TRUE(controls.stopEnabled.empty());
}

TEST_F(ArchiveTaskTest, WithDeletionTheOriginalsGoToTrashAfterTheCopy) {
    AddNumbered("Work", 10);
    Start();
    EXPECT_EQ(10, Archive({"Work"}, true));
    EXPECT_THAT(controls.progress, ElementsAre(0, 10, 20, 30, 40, 50, 60, 70, 80, 90,  // copying
                                               90, 91, 92, 93, 94, 95, 96, 97, 98, 99, // moving
                                               100));
    EXPECT_THAT(controls.stopEnabled, ElementsAre(false, true));
    EXPECT_TRUE(Messages("Work").empty());
    // Taken last first, so "Trash" has them the other way round.
    std::vector<std::string> expected;
    for (int i = 10; i >= 1; --i) {
        expected.push_back(MakeMessage("n@example.com", std::to_string(i),
                                       "Wed, 6 Dec 2006 10:00:00 +0000", "text\r\n"));
    }
    EXPECT_THAT(Messages("Trash"), ElementsAreArray(expected));
    EXPECT_EQ("Transferring messages from Work... ", StatusLines()[StatusLines().size() - 2]);
    EXPECT_THAT(LogLines(), ::testing::Contains("Deleted from the Mailbox: Yes"));
}

TEST_F(ArchiveTaskTest, EachFilterSelectsItsMessages) {
    host.AddMessage("Mixed",
                    MakeMessage("anna@example.com", "Report Q1", "Mon, 4 Dec 2006 09:00:00 +0000",
                                "1\r\n", "X-Priority: 1\r\n"),
                    1);
    host.AddMessage("Mixed", MakeMessage("bob@example.com", "lunch", "Wed, 20 Dec 2006 12:00:00",
                                         "2\r\n", "Cc: anna@example.com\r\n"));
    host.AddMessage("Mixed",
                    MakeMessage("carl@example.com", "Report Q2", "Fri, 5 Jan 2007 17:00:00 -0500",
                                "3\r\n", "X-Priority: 2\r\n"),
                    8);
    host.AddMessage("Mixed", "From: anna@example.com\r\n\r\nno subject, no date\r\n", 3);
    Start();

    size_t before = 0;
    const auto archived = [&](const std::function<void(MessageFilter&)>& set) {
        filter = MessageFilter();
        filter.allMessages = false;
        set(filter);
        // Each filter on its own: a message already in the table is not
        // written again.
        if (TableExists(database.GetConnectionString(), "Mailbox_Mixed")) {
            database.Execute("DELETE FROM Mailbox_Mixed");
        }
        before = 0;
        Archive({"Mixed"}, false);
        const std::vector<ArchiveRow> rows = Rows("Mailbox_Mixed");
        const std::vector<std::string> subjects = Column(rows, &ArchiveRow::subject, before);
        before = rows.size();
        return subjects;
    };
    EXPECT_THAT(archived([](MessageFilter& f) {
                    f.statusOn = true;
                    f.statusIndex = 1;
                }),
                ElementsAre("Report Q1"));
    EXPECT_THAT(archived([](MessageFilter& f) {
                    f.priorityOn = true;
                    f.priorityText = "Normal"; // no message says so itself
                }),
                ElementsAre());
    EXPECT_THAT(archived([](MessageFilter& f) {
                    f.priorityOn = true;
                    f.priorityText = "High";
                }),
                ElementsAre("Report Q2"));
    EXPECT_THAT(archived([](MessageFilter& f) {
                    f.fromOn = true;
                    f.fromText = "anna";
                }),
                ElementsAre("No Subject", "Report Q1"));
    EXPECT_THAT(archived([](MessageFilter& f) {
                    f.dateOn = true;
                    f.dateStart = ParseLocaleDate("12/1/2006").value();
                    f.dateEnd = ParseLocaleDate("12/31/2006").value();
                }),
                ElementsAre("lunch", "Report Q1"));
    EXPECT_THAT(archived([](MessageFilter& f) {
                    f.subjectOn = true;
                    f.subjectText = "Report";
                }),
                ElementsAre("Report Q2", "Report Q1"));
    EXPECT_THAT(archived([](MessageFilter& f) {
                    f.toOn = true;
                    f.toText = "archive@";
                }),
                ElementsAre("Report Q2", "lunch", "Report Q1"));
    const auto annaOrReport = [](MessageFilter& f) {
        f.fromOn = f.subjectOn = true;
        f.fromText = "anna";
        f.subjectText = "Report";
    };
    EXPECT_THAT(archived(annaOrReport), ElementsAre("No Subject", "Report Q2", "Report Q1"));
    EXPECT_THAT(archived([&](MessageFilter& f) {
                    annaOrReport(f);
                    f.matchAll = true;
                }),
                ElementsAre("Report Q1"));
}

TEST_F(ArchiveTaskTest, AMessageTheTableHoldsAlreadyGetsNoSecondRowButStillGoesToTrash) {
    AddNumbered("Work", 2);
    Start();
    EXPECT_EQ(2, Archive({"Work"}, false));
    AddNumbered("Work", 1); // a new message, with an id of its own
    EXPECT_EQ(1, Archive({"Work"}, true));
    EXPECT_THAT(Column(Rows("Mailbox_Work"), &ArchiveRow::id), ElementsAre(2, 1, 3));
    EXPECT_TRUE(Messages("Work").empty());
    EXPECT_EQ(3u, Messages("Trash").size());
    const std::vector<std::string> log = LogLines();
    EXPECT_THAT(log, ::testing::Contains("Number of Archived Messages: 1"));
    EXPECT_THAT(log, ::testing::Contains("Number of Messages Already in the Archive: 2"));
    EXPECT_THAT(log, ::testing::Contains("Total number of messages already in the archive: 2"));
    EXPECT_THAT(log, ::testing::Contains("Deleted from the Mailbox: Yes"));
}

TEST_F(ArchiveTaskTest, StopEndsTheMailboxAfterTheMessageAtHand) {
    AddNumbered("Work", 10);
    AddNumbered("In", 1);
    Start();
    controls.stopWhen = [this] { return controls.progress.size() == 3; };
    EXPECT_EQ(3, Archive({"Work", "In"}, true));

    EXPECT_EQ(3u, Messages("Trash").size());
    EXPECT_EQ(7u, Messages("Work").size());
    EXPECT_EQ(1u, Messages("In").size());
    EXPECT_EQ("Operation stopped. 3 messages archived.", StatusLines().back());
    const std::vector<std::string> log = LogLines();
    EXPECT_THAT(log, ::testing::Contains("Percent Completed: 20"));
    EXPECT_THAT(log, ::testing::Not(::testing::Contains("Mailbox: In")));
    EXPECT_THAT(log, ::testing::Contains(MatchesRegex("^Task stopped at .*")));
}

TEST_F(ArchiveTaskTest, StopOnTheFirstMessageReportsUnderOnePercent) {
    AddNumbered("Work", 3);
    Start();
    controls.stopWhen = [] { return true; };
    EXPECT_EQ(1, Archive({"Work"}, false));
    EXPECT_THAT(LogLines(), ::testing::Contains("Percent Completed: < 1"));
}

TEST_F(ArchiveTaskTest, TheLogOfTwoRunsReadsLineByLine) {
    AddNumbered("Work", 2);
    AddNumbered("In", 1);
    Start();
    ASSERT_EQ(3, Archive({"Work", "In"}, false));
    EXPECT_EQ(4, controls.reloads);
    filter.allMessages = false;
    filter.subjectOn = true;
    filter.subjectText = "2";
    ASSERT_TRUE(database.Execute("DELETE FROM Mailbox_Work"));
    ASSERT_EQ(1, Archive({"Work"}, false));

    const std::string today = FormatLocaleDate(Today());
    const std::string time = "^\\d\\d?:\\d\\d:\\d\\d .M$";
    const std::string rule = "=====================================";
    const std::vector<std::string> log = LogLines();
    const std::vector<std::string> expected = {
        today, "Task initialized at ", "Task Type: Archive Messages", "", "Mailbox: Work",
        "Number of Messages: 2", "Number of Archived Messages: 2", "Deleted from the Mailbox: No",
        "Percent Completed: 100", "", "Mailbox: In", "Number of Messages: 1",
        "Number of Archived Messages: 1", "Deleted from the Mailbox: No", "Percent Completed: 100",
        "", "Task completed at ", "Applied Filter(s): None", "Total number of archived messages: 3",
        "Total number of searched messages: 3", rule,
        // The second run follows the rule line directly.
        today, "Task initialized at ", "Task Type: Archive Messages", "", "Mailbox: Work",
        "Number of Messages: 2", "Number of Archived Messages: 1", "Deleted from the Mailbox: No",
        "Percent Completed: 100", "", "Task completed at ",
        "Applied Filter(s): ", "\t'Subject' contains 2", "Match: Any Filter",
        "Total number of archived messages: 1", "Total number of searched messages: 2", rule};
    ASSERT_EQ(expected.size(), log.size());
    for (size_t i = 0; i < log.size(); ++i) {
        const std::string& want = expected[i];
        if (want == "Task initialized at " || want == "Task completed at ") {
            EXPECT_EQ(want, log[i].substr(0, want.size())) << "line " << i;
            EXPECT_THAT(log[i].substr(want.size()), MatchesRegex(time)) << "line " << i;
        } else {
            EXPECT_EQ(want, log[i]) << "line " << i;
        }
    }
}

TEST_F(ArchiveTaskTest, AnUnreachableHostGivesMinusOneAndWritesNothing) {
    ASSERT_TRUE(database.Open());
    ArchiveTask task(database, logPath, controls);
    EXPECT_EQ(-1, task.run({MailboxSelection{host.MailboxPath("In.mbx"), "In", 1}}, filter, true));
    EXPECT_FALSE(FileExists(logPath));
    EXPECT_TRUE(boxes.boxes().empty());
    EXPECT_TRUE(controls.progress.empty());
}

TEST_F(ArchiveTaskTest, HostErrorsSkipTheMessageOrTheMailbox) {
    AddNumbered("Work", 3);
    AddNumbered("In", 2);
    Start();
    const MailboxSelection work = Selection("Work");
    const MailboxSelection in = Selection("In");
    host.session().faults().Arm("RawText", 2);
    host.session().faults().Arm("FolderById", 1);
    ArchiveTask task(database, logPath, controls);
    EXPECT_EQ(1, task.run({work, in}, filter, false));

    // The mailbox the host could not give: its error shown, no record.
    ASSERT_EQ(1u, boxes.boxes().size());
    EXPECT_THAT(LogLines(), ::testing::Not(::testing::Contains("Mailbox: Work")));
    // The message the host could not read: passed over, no box.
    EXPECT_THAT(Column(Rows("Mailbox_In"), &ArchiveRow::subject), ElementsAre("2"));
    EXPECT_THAT(LogLines(), ::testing::Contains("Total number of searched messages: 2"));
}

TEST_F(ArchiveTaskTest, AFileThatRefusesWritesStopsTheTaskWithOneBox) {
    AddNumbered("Work", 3);
    AddNumbered("In", 1);
    Start();
    filter.allMessages = false;
    filter.subjectOn = true;
    filter.subjectText = "nothing matches this";
    ASSERT_EQ(0, Archive({"Work"}, true)); // makes the table
    filter = MessageFilter();

    // Another writer holds the file for longer than this connection waits:
    // the first message fails, and every further one would.
    database.Close();
    database.SetConnectionTimeout(1);
    ASSERT_TRUE(database.Open());
    CADODatabase other;
    other.SetConnection(database.GetConnectionString());
    ASSERT_TRUE(other.Open());
    other.BeginTrans();
    other.Execute("DELETE FROM [Mailbox_Work] WHERE id = -1");
    controls.onProgress = [&](int) {
        if (other.IsOpen()) {
            other.RollbackTrans();
            other.Close();
        }
    };

    EXPECT_EQ(0, Archive({"Work", "In"}, true));
    ASSERT_EQ(1u, boxes.boxes().size());
    EXPECT_THAT(boxes.boxes()[0].text, HasSubstr("locked"));
    EXPECT_THAT(boxes.boxes()[0].text, HasSubstr("0 messages were archived"));
    EXPECT_TRUE(Rows("Mailbox_Work").empty());
    EXPECT_EQ(3u, Messages("Work").size());
    EXPECT_EQ(1u, Messages("In").size());
    EXPECT_TRUE(Messages("Trash").empty());
    EXPECT_THAT(LogLines(), ::testing::Contains(MatchesRegex("^Task failed at .*")));
    EXPECT_EQ("Operation failed. 0 messages archived.", StatusLines().back());
    EXPECT_THAT(LogLines(), ::testing::Not(::testing::Contains("Mailbox: In")));
}

} // namespace

// Find's index learns of the rows as the tasks commit them: after an
// archive and after a restore with deletion it agrees with the archive
// without a catch-up, and finds exactly the rows there.
TEST_F(EngineTest, TheTasksKeepFindsIndexCurrent) {
    host.AddMessage("Work", MakeMessage("ann@example.com", "quarterly figures", "",
                                        "The zeppelin report is attached.\r\n"));
    host.AddMessage("Work", MakeMessage("bob@example.com", "lunch", "", "Zeppelin cafe?\r\n"));
    host.AddMessage("Work", MakeMessage("cy@example.com", "other", "", "Nothing here.\r\n"));
    Start();
    ASSERT_EQ(3, Archive({"Work"}, true));
    {
        ArchiveIndex index(files / "archive.mdb");
        EXPECT_TRUE(index.IsCurrent());
        EXPECT_EQ(2, index.Count("zeppelin"));
        EXPECT_EQ(1, index.Count("quarterly fig"));
    }
    ASSERT_EQ(3, Restore({"Mailbox_Work"}, true));
    ArchiveIndex index(files / "archive.mdb");
    EXPECT_TRUE(index.IsCurrent());
    EXPECT_EQ(0, index.Count("zeppelin"));
}
