// The restore task against the test host and a real archive file, and the
// whole way there and back.
#include "db/ado_recordset.h"
#include "db/archive_schema.h"
#include "mailbox/host_mailboxes.h"
#include "host/host_application.h"
#include "mailbox/date_formats.h"
#include "base/unique_resource.h"
#include "testhost/mailstore/mailbox_file.h"
#include "tests/engine/engine_fixture.h"

#include <gmock/gmock.h>

#include <algorithm>

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using ::testing::MatchesRegex;
using ::testing::Not;

namespace {

class RestoreTaskTest : public EngineTest {
protected:
    // Messages "1".."count" in `mailbox` with statuses 1, 2, 3, ...
    std::vector<std::string> AddNumbered(const std::string& mailbox, int count) {
        std::vector<std::string> added;
        for (int i = 1; i <= count; ++i) {
            added.push_back(MakeMessage(mailbox + "@example.com", std::to_string(i),
                                        "Wed, 6 Dec 2006 10:00:00 +0000", "text\r\n"));
            host.AddMessage(mailbox, added.back(), i);
        }
        return added;
    }

    // Archives with deletion, so the mailbox is empty before the restore.
    void ArchiveAway(const std::string& mailbox) {
        ASSERT_GT(Archive({mailbox}, true), 0);
        controls = RecordingControls();
    }

    void OnlyStatus(int status) {
        filter = MessageFilter();
        filter.allMessages = false;
        filter.statusOn = true;
        filter.statusIndex = status;
    }

    std::vector<std::string> StatusLines() { return host.session().statusHistory(); }

    // Each row's bookmark, in table order.
    std::vector<long long> Bookmarks(const std::string& table) {
        CADORecordset rows(database);
        EXPECT_TRUE(rows.Open(table, CADORecordset::OpenTable));
        std::vector<long long> marks;
        for (; !rows.AtEnd(); rows.MoveNext()) {
            marks.push_back(rows.GetBookmark());
        }
        return marks;
    }

    int RestoreRows(const std::vector<long long>& rows, bool remove) {
        RestoreTask task(database, staging, logPath, controls);
        return task.runRows("Mailbox_Work", rows, remove);
    }
};

TEST_F(RestoreTaskTest, ChosenRowsAloneComeHomeAndOnlyThoseRowsGo) {
    const std::vector<std::string> sent = AddNumbered("Work", 5);
    Start();
    ArchiveAway("Work"); // rows "5" to "1", last first
    // A second row of the message "3": same id, same text.
    ASSERT_TRUE(database.Execute("INSERT INTO Mailbox_Work SELECT * FROM Mailbox_Work "
                                 "WHERE Subject = '3'"));
    const std::vector<long long> marks = Bookmarks("Mailbox_Work");
    ASSERT_EQ(6u, marks.size());

    EXPECT_EQ(2, RestoreRows({marks[5], marks[1]}, false));
    EXPECT_THAT(Messages("Work"), ::testing::UnorderedElementsAre(sent[3], sent[2]));
    EXPECT_THAT(Statuses("Work"), ::testing::UnorderedElementsAre(4, 3));
    EXPECT_EQ(6u, Rows("Mailbox_Work").size());

    EXPECT_EQ(2, RestoreRows({marks[2], marks[0]}, true));
    EXPECT_THAT(Column(Rows("Mailbox_Work"), &ArchiveRow::subject),
                ElementsAre("4", "2", "1", "3"));
    EXPECT_THAT(Statuses("Work"), ::testing::UnorderedElementsAre(4, 3, 5, 3));
    const std::vector<std::string> log = LogLines();
    EXPECT_THAT(log, Contains("Task Type: Restore Selected Messages"));
    EXPECT_THAT(log, Contains("Applied Filter(s): The messages selected in the viewer"));
    EXPECT_THAT(log, Contains("Number of Restored Messages: 2"));
    EXPECT_TRUE(BoxTexts().empty());
}

TEST_F(RestoreTaskTest, AChosenRowKeepsItsRowUntilItsMessageArrives) {
    AddNumbered("Work", 4);
    Start();
    ArchiveAway("Work");
    const std::vector<long long> marks = Bookmarks("Mailbox_Work");

    // Stopped after the first of three: that one comes home and its row goes.
    controls.stopWhen = [this] { return controls.stopChecks >= 1; };
    EXPECT_EQ(1, RestoreRows({marks[0], marks[1], marks[2]}, true));
    EXPECT_THAT(Statuses("Work"), ElementsAre(4));
    EXPECT_EQ(3u, Rows("Mailbox_Work").size());

    // The host fails the second move: the message left in Pending keeps
    // its row, and the next restore of the archive brings it home.
    controls = RecordingControls();
    host.session().faults().Arm("Move", 2);
    EXPECT_EQ(2, RestoreRows({marks[1], marks[2]}, true));
    EXPECT_EQ(1u, Messages("Pending").size());
    EXPECT_EQ(2u, Rows("Mailbox_Work").size());
    controls = RecordingControls();
    EXPECT_EQ(1, RestoreRows({}, true));
    EXPECT_THAT(Statuses("Work"), ::testing::UnorderedElementsAre(4, 3, 2));
    EXPECT_THAT(Column(Rows("Mailbox_Work"), &ArchiveRow::subject), ElementsAre("1"));
}

TEST_F(RestoreTaskTest, ARoundTripGivesBackEveryByteAndStatus) {
    const std::vector<std::string> originals = {
        MakeMessage("Bytes <b@example.com>", "8-bit", "Mon, 4 Dec 2006 09:00:00 +0100",
                    EveryByteButZero() + "\r\n"),
        MakeMessage("c@example.com", "Lines", "Tue, 5 Dec 2006 10:00:00 -0500",
                    "From here on, all is well.\r\n>From quoted\r\n\r\n"),
        "From: d@example.com\r\nSubject: only headers",
        MakeMessage("e@example.com", "", "", "no subject, no date\r\n"),
        "Subject: bare line feeds\n\nline one\nline two\n",
    };
    const std::vector<int> statuses = {1, 2, 0, 3, 8};
    for (size_t i = 0; i < originals.size(); ++i) {
        host.AddMessage("Work", originals[i], statuses[i]);
    }
    Start();

    ASSERT_EQ(5, Archive({"Work"}, true));
    EXPECT_TRUE(Messages("Work").empty());
    EXPECT_THAT(Messages("Trash"), ElementsAreArray(originals.rbegin(), originals.rend()));

    EXPECT_EQ(5, Restore({"Mailbox_Work"}, false));
    EXPECT_THAT(Messages("Work"), ElementsAreArray(originals));
    EXPECT_THAT(Statuses("Work"), ElementsAreArray(statuses));
    EXPECT_THAT(Messages("Trash"), ElementsAreArray(originals.rbegin(), originals.rend()));
    EXPECT_TRUE(Messages("Pending").empty());
    EXPECT_EQ(5u, Rows("Mailbox_Work").size());
    EXPECT_THAT(BoxTexts(), ElementsAre());
}

TEST_F(RestoreTaskTest, FourRowsCountDownOnTheBarAndTheStatusLine) {
    AddNumbered("Work", 4);
    Start();
    ArchiveAway("Work");

    EXPECT_EQ(4, Restore({"Mailbox_Work"}, false));
    EXPECT_THAT(controls.progress, ElementsAre(100, 75, 50, 25, 0, // staging
                                               0,                  // rows done
                                               100, 75, 50, 25, 0  // moving
                                               ));
    EXPECT_THAT(controls.stopEnabled, ElementsAre(false, true));
    EXPECT_THAT(StatusLines(),
                Contains("Restoring messages operation in progress. Please wait..."));
    std::vector<std::string> left;
    for (const std::string& line : StatusLines()) {
        if (line.find("Messages left to restore") != std::string::npos) {
            left.push_back(line);
        }
    }
    EXPECT_THAT(left,
                ElementsAre("Mailbox_Work - Messages left to restore: 3 / Total number of messages "
                            "restored: 1",
                            "Mailbox_Work - Messages left to restore: 2 / Total number of messages "
                            "restored: 2",
                            "Mailbox_Work - Messages left to restore: 1 / Total number of messages "
                            "restored: 3",
                            "Mailbox_Work - Messages left to restore: 0 / Total number of messages "
                            "restored: 4"));
    EXPECT_THAT(StatusLines(), Contains("Restoring messages to Work. "));
    EXPECT_EQ("Operation completed. 4 messages restored from the archive.", StatusLines().back());

    const std::string rule = "=====================================";
    const std::vector<std::string> log = LogLines();
    const std::vector<std::string> restoreRecords(log.end() - 15, log.end());
    EXPECT_EQ(FormatLocaleDate(Today()), restoreRecords[0]);
    EXPECT_THAT(restoreRecords[1], MatchesRegex("^Task initialized at \\d\\d?:\\d\\d:\\d\\d .M$"));
    EXPECT_THAT(std::vector<std::string>(restoreRecords.begin() + 2, restoreRecords.begin() + 10),
                ElementsAre("Task Type: Restore Messages", "", "Archive: Mailbox_Work",
                            "Number of Messages: 4", "Number of Restored Messages: 4",
                            "Deleted from the Archive: No", "Percent Completed: 100", ""));
    EXPECT_THAT(restoreRecords[10], MatchesRegex("^Task completed at \\d\\d?:\\d\\d:\\d\\d .M$"));
    EXPECT_THAT(std::vector<std::string>(restoreRecords.begin() + 11, restoreRecords.end()),
                ElementsAre("Applied Filter(s): None", "Total number of restored messages: 4",
                            "Total number of searched messages: 4", rule));
}

TEST_F(RestoreTaskTest, GoesToInWhenTheSourceMailboxIsGone) {
    const std::vector<std::string> sent = AddNumbered("Work", 2);
    Start();
    ArchiveAway("Work");
    ASSERT_TRUE(::DeleteFileA(host.MailboxPath("Work.mbx").c_str()));
    ASSERT_TRUE(::DeleteFileA(host.MailboxPath("Work.toc").c_str()));

    EXPECT_EQ(2, Restore({"Mailbox_Work"}, false));
    EXPECT_THAT(Messages("In"), ElementsAreArray(sent));
}

TEST_F(RestoreTaskTest, DeleteRestoredRemovesExactlyTheRowsThatCameBack) {
    AddNumbered("Work", 3);
    Start();
    ASSERT_EQ(3, Archive({"Work"}, false));
    // The same messages again under another status (a table filled
    // elsewhere): two rows for each id.
    ASSERT_TRUE(database.Execute("INSERT INTO Mailbox_Work SELECT id, 9, P, \"From\", \"Date\", "
                                 "Size, Subject, \"To\", message FROM Mailbox_Work"));
    ASSERT_EQ(0, Archive({"Work"}, true));
    controls = RecordingControls();
    ASSERT_THAT(Column(Rows("Mailbox_Work"), &ArchiveRow::status), ElementsAre(3, 2, 1, 9, 9, 9));

    OnlyStatus(2);
    EXPECT_EQ(1, Restore({"Mailbox_Work"}, true));
    EXPECT_THAT(Column(Rows("Mailbox_Work"), &ArchiveRow::status), ElementsAre(3, 1, 9, 9, 9));
    EXPECT_THAT(Statuses("Work"), ElementsAre(2));
    EXPECT_THAT(LogLines(), Contains("Deleted from the Archive: Yes"));
}

TEST_F(RestoreTaskTest, NothingSelectedLeavesTheHostAloneAndMissingTablesLeaveNoTrace) {
    AddNumbered("Work", 2);
    Start();
    ArchiveAway("Work");
    OnlyStatus(6);
    EXPECT_EQ(0, Restore({"Mailbox_Gone", "Mailbox_Work"}, true));
    EXPECT_THAT(StatusLines(), Not(Contains(HasSubstr("Restoring messages to"))));
    EXPECT_TRUE(Messages("Work").empty());
    EXPECT_EQ(2u, Rows("Mailbox_Work").size());
    const std::vector<std::string> log = LogLines();
    EXPECT_THAT(log, Not(Contains("Archive: Mailbox_Gone")));
    EXPECT_THAT(log, Contains("Number of Restored Messages: 0"));
    EXPECT_THAT(log, Contains("Total number of searched messages: 2"));
}

TEST_F(RestoreTaskTest, TwoArchivesInOneRunEachGoHomeOnce) {
    ::CreateDirectoryA(host.MailboxPath("Projects.fol").c_str(), nullptr);
    const std::vector<std::string> work = AddNumbered("Work", 2);
    const std::vector<std::string> alpha = AddNumbered("Projects.fol\\Alpha", 3);
    Start();
    ASSERT_EQ(5, Archive({"Work", "Alpha"}, true));
    controls = RecordingControls();

    EXPECT_EQ(5, Restore({"Mailbox_Alpha", "Mailbox_Work"}, true));
    EXPECT_THAT(Messages("Work"), ElementsAreArray(work));
    EXPECT_THAT(Messages("Projects.fol\\Alpha"), ElementsAreArray(alpha));
    EXPECT_TRUE(Rows("Mailbox_Work").empty());
    EXPECT_TRUE(Rows("Mailbox_Alpha").empty());
}

TEST_F(RestoreTaskTest, AStopStillBringsTheStagedMessagesHome) {
    const std::vector<std::string> sent = AddNumbered("Work", 4);
    Start();
    ArchiveAway("Work");
    controls.stopWhen = [this] { return controls.progress.size() == 3; }; // 100, 75, 50
    EXPECT_EQ(2, Restore({"Mailbox_Work", "Mailbox_Work"}, true));
    // Rows are read in the order they were written: the last message first.
    EXPECT_THAT(Messages("Work"), ElementsAre(sent[2], sent[3]));
    EXPECT_EQ(2u, Rows("Mailbox_Work").size());
    const std::vector<std::string> log = LogLines();
    EXPECT_THAT(log, Contains("Percent Completed: 50"));
    EXPECT_EQ(1, std::count(log.begin(), log.end(), "Archive: Mailbox_Work"));
    EXPECT_THAT(log, Contains(MatchesRegex("^Task stopped at .*")));
    EXPECT_EQ("Operation stopped. 2 messages restored from the archive.", StatusLines().back());
}

TEST_F(RestoreTaskTest, MessagesAlreadyInPendingAreNeverEmptiedAway) {
    AddNumbered("Work", 2);
    const std::string users = MakeMessage("f@example.com", "mine", "", "keep me\r\n");
    host.AddMessage("Pending", users, 1);
    Start();
    ArchiveAway("Work");

    EXPECT_EQ(0, Restore({"Mailbox_Work"}, true));
    ASSERT_EQ(1u, boxes.boxes().size());
    EXPECT_THAT(boxes.boxes()[0].text, HasSubstr("The mailbox \"Pending\" holds 1 message."));
    EXPECT_THAT(Messages("Pending"), ElementsAre(users));
    EXPECT_TRUE(Messages("Work").empty());
    EXPECT_EQ(2u, Rows("Mailbox_Work").size());
    EXPECT_THAT(LogLines(), Not(Contains("Archive: Mailbox_Work")));
    EXPECT_THAT(LogLines(), Contains(MatchesRegex("^Task stopped at .*")));
}

TEST_F(RestoreTaskTest, AUsersOwnPendingInsideAFolderIsNeverTheStagingMailbox) {
    AddNumbered("Work", 3);
    // "Aside" comes before the top level's own "Pending" when the host
    // looks for a mailbox by name.
    ASSERT_TRUE(::CreateDirectoryA(host.MailboxPath("Aside.fol").c_str(), nullptr));
    const std::string users = MakeMessage("f@example.com", "mine", "", "keep me\r\n");
    host.AddMessage("Aside.fol\\Pending", users, 1);
    Start();
    ArchiveAway("Work");
    ASSERT_EQ(host.MailboxPath("Aside.fol\\Pending.mbx"),
              HostApplication::Connect().FolderByName("Pending").Path());

    for (bool staged : {false, true}) {
        SCOPED_TRACE(staged ? "Pending made before" : "Pending made by the restore");
        if (staged) {
            ArchiveAway("Work");
        }
        EXPECT_EQ(3, Restore({"Mailbox_Work"}, true));
        EXPECT_EQ(3u, Messages("Work").size());
        EXPECT_TRUE(Rows("Mailbox_Work").empty());
        EXPECT_TRUE(Messages("Pending").empty());
        EXPECT_THAT(Messages("Aside.fol\\Pending"), ElementsAre(users));
        EXPECT_TRUE(BoxTexts().empty());
    }
    EXPECT_EQ(host.MailboxPath("Pending.mbx"), staging.mbxPath);
}

TEST_F(RestoreTaskTest, AMailFolderMovedWholeKeepsEachMailboxsArchive) {
    // Archived where the mail folder used to be; the same tree is here now,
    // with a second "Alpha" at the top that only the path tells apart.
    ASSERT_TRUE(::CreateDirectoryA(host.MailboxPath("Projects.fol").c_str(), nullptr));
    AddNumbered("Projects.fol\\Alpha", 2);
    AddNumbered("Alpha", 1);
    const std::string oldPath = "C:\\Gone\\Mail\\Projects.fol\\Alpha.mbx";
    ASSERT_TRUE(CreateMailboxTable(database.GetConnectionString(), "Mailbox_Alpha", oldPath));
    Start();
    long nestedId = -1;
    FindHostMailboxByPath(HostApplication::Connect().Folders(),
                          host.MailboxPath("Projects.fol\\Alpha.mbx"), nestedId);
    ArchiveTask archive(database, logPath, controls);
    ASSERT_EQ(3, archive.run({MailboxSelection{host.MailboxPath("Projects.fol\\Alpha.mbx"), "Alpha",
                                               nestedId},
                              Selection("Alpha")},
                             filter, true));

    EXPECT_EQ(2u, Rows("Mailbox_Alpha").size());
    EXPECT_EQ(1u, Rows("Mailbox_Alpha_2").size());
    EXPECT_EQ(oldPath, MailboxPathOfTable(database, "Mailbox_Alpha")) << "never rewritten";

    EXPECT_EQ(2, Restore({"Mailbox_Alpha"}, true));
    EXPECT_EQ(2u, Messages("Projects.fol\\Alpha").size());
    EXPECT_TRUE(Messages("Alpha").empty());
    EXPECT_TRUE(Messages("In").empty());
    EXPECT_TRUE(BoxTexts().empty());
}

TEST_F(RestoreTaskTest, RowsStayWhenTheirMessagesDidNotReachTheirMailbox) {
    AddNumbered("Work", 4);
    Start();
    ArchiveAway("Work");
    host.session().faults().Arm("Move", 2);

    EXPECT_EQ(4, Restore({"Mailbox_Work"}, true));
    EXPECT_EQ(1u, Messages("Work").size());
    EXPECT_EQ(3u, Messages("Pending").size());
    // The row of the one that arrived went with its arrival.
    EXPECT_EQ(3u, Rows("Mailbox_Work").size());
    EXPECT_THAT(BoxTexts(),
                ElementsAre(HasSubstr("Of the 4 messages restored from Work, 1 reached their "
                                      "mailbox; the others are still in \"Pending\" (" +
                                      staging.mbxPath + "). Their rows stay in the archive")));
    EXPECT_THAT(LogLines(), Contains("Deleted from the Archive: No"));
    EXPECT_EQ("Operation incomplete. 4 messages restored from the archive.", StatusLines().back());

    // The next restore finishes the job: each message home once, no row left.
    EXPECT_EQ(3, Restore({"Mailbox_Work"}, true));
    EXPECT_TRUE(Messages("Pending").empty());
    EXPECT_THAT(Statuses("Work"), ::testing::UnorderedElementsAre(1, 2, 3, 4));
    EXPECT_TRUE(Rows("Mailbox_Work").empty());
    EXPECT_EQ(1u, BoxTexts().size());
    EXPECT_THAT(LogLines(),
                Contains("Number of Messages Brought Home from an Interrupted Restore: 3"));
}

TEST_F(RestoreTaskTest, WithoutDeletionFailedMovesAreToldAndNotCompleted) {
    AddNumbered("Work", 4);
    Start();
    ArchiveAway("Work");
    host.session().faults().Arm("Move", 3);

    EXPECT_EQ(4, Restore({"Mailbox_Work"}, false));
    EXPECT_EQ(2u, Messages("Work").size());
    EXPECT_THAT(BoxTexts(), ElementsAre(HasSubstr("Of the 4 messages restored from Work, 2 "
                                                  "reached their mailbox; the others are still "
                                                  "in \"Pending\"")));
    EXPECT_THAT(BoxTexts()[0], Not(HasSubstr("deleted")));
    EXPECT_EQ("Operation incomplete. 4 messages restored from the archive.", StatusLines().back());
    const std::vector<std::string> log = LogLines();
    EXPECT_THAT(log, Contains("Number of Restored Messages: 4"));
    EXPECT_THAT(log, Contains("Number of Messages That Reached the Mailbox: 2"));
    EXPECT_THAT(log, Contains("Total number of messages left in \"Pending\": 2"));

    // Run again, it finishes the cut-off restore: the two that had come home
    // do not come a second time.
    EXPECT_EQ(2, Restore({"Mailbox_Work"}, false));
    EXPECT_THAT(Statuses("Work"), ::testing::UnorderedElementsAre(1, 2, 3, 4));
    EXPECT_EQ(4u, Rows("Mailbox_Work").size());
    // Once finished, a restore run again is the copy the user asks for.
    EXPECT_EQ(4, Restore({"Mailbox_Work"}, false));
    EXPECT_EQ(8u, Messages("Work").size());
}

TEST_F(RestoreTaskTest, AMessageOutsideTheCodePageStaysInTheArchive) {
    AddNumbered("Work", 2);
    Start();
    ArchiveAway("Work");
    // Greek, as a converted Jet archive may hold: a "?" in its place would
    // change the message for good.
    ASSERT_TRUE(database.Execute("UPDATE [Mailbox_Work] SET message = replace(message, 'text', "
                                 "char(945, 946)) WHERE S = 2"));

    EXPECT_EQ(1, Restore({"Mailbox_Work"}, true));
    EXPECT_THAT(Statuses("Work"), ElementsAre(1));
    ASSERT_EQ(1u, Rows("Mailbox_Work").size());
    EXPECT_EQ(2, Rows("Mailbox_Work")[0].status);
    EXPECT_THAT(BoxTexts(), ElementsAre(HasSubstr("1 selected messages of Work hold characters "
                                                  "that this system's code page cannot write")));
    EXPECT_THAT(LogLines(),
                Contains("Number of Messages Kept for Characters Outside the Code Page: 1"));
}

TEST_F(RestoreTaskTest, AMessageThatCannotBeStagedKeepsItsRow) {
    AddNumbered("Work", 2);
    Start();
    ArchiveAway("Work");
    // The host would read this one back as two messages.
    CADORecordset rows(database);
    ASSERT_TRUE(rows.Open("Mailbox_Work", CADORecordset::OpenTable));
    rows.WriteField("message", std::string("Subject: 2\r\n\r\nFrom ???@??? Mon Jan 8 "
                                           "12:00:00 2007\r\nquoted mail\r\n"));
    ASSERT_TRUE(rows.Update());
    rows.Close();

    EXPECT_EQ(1, Restore({"Mailbox_Work"}, true));
    const std::vector<ArchiveRow> left = Rows("Mailbox_Work");
    ASSERT_EQ(1u, left.size());
    EXPECT_THAT(left[0].message, HasSubstr("quoted mail"));
    EXPECT_EQ(1u, Messages("Work").size());
    EXPECT_THAT(BoxTexts(), ElementsAre(HasSubstr("1 selected messages of Work could not be "
                                                  "written")));
    EXPECT_THAT(LogLines(), Contains("Number of Restored Messages: 1"));
}

TEST_F(RestoreTaskTest, APendingFileThatCannotBeEmptiedStopsTheRestore) {
    AddNumbered("Work", 2);
    Start();
    ArchiveAway("Work");
    HostApplication::Connect().Folders().Add("Pending");
    {
        // Someone else holds the file and lets nobody write to it.
        UniqueFile held(::CreateFileA(staging.mbxPath.c_str(), GENERIC_READ, 0, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(held);
        EXPECT_EQ(0, Restore({"Mailbox_Work"}, true));
    }
    EXPECT_EQ(2u, Rows("Mailbox_Work").size());
    EXPECT_THAT(BoxTexts(), Contains(HasSubstr("could not be emptied")));
    EXPECT_THAT(LogLines(), Contains(MatchesRegex("^Task stopped at .*")));

    // Without its index deleted the host would not read the file anew.
    ASSERT_TRUE(::SetFileAttributesA(staging.tocPath.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(0, Restore({"Mailbox_Work"}, true));
    ::SetFileAttributesA(staging.tocPath.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_THAT(BoxTexts(), Contains(HasSubstr("could not be deleted")));
    EXPECT_EQ(2u, Rows("Mailbox_Work").size());
    EXPECT_TRUE(Messages("Work").empty());
}

TEST_F(RestoreTaskTest, APendingInAFolderDoesNotVouchForTheOneThatIsUsed) {
    AddNumbered("Work", 1);
    // Found first by name, and empty.
    ::CreateDirectoryA(host.MailboxPath("Archive.fol").c_str(), nullptr);
    MailboxFile::CreateEmpty(host.MailboxPath("Archive.fol\\Pending.mbx"));
    const std::string users = MakeMessage("f@example.com", "mine", "", "keep me\r\n");
    host.AddMessage("Pending", users, 1);
    Start();
    ArchiveAway("Work");
    ASSERT_EQ(host.MailboxPath("Archive.fol\\Pending.mbx"),
              HostApplication::Connect().FolderByName("Pending").Path());

    EXPECT_EQ(0, Restore({"Mailbox_Work"}, true));
    EXPECT_THAT(Messages("Pending"), ElementsAre(users));
    EXPECT_THAT(BoxTexts(), ElementsAre(HasSubstr("holds 1 message.")));
}

TEST_F(RestoreTaskTest, AMessageThatBeginsLikeTheStatusLineComesBackWithItsOwnStatus) {
    const std::string lookalike =
        "X-Status: 5\r\n" + MakeMessage("h@example.com", "lookalike", "", "body\r\n");
    host.AddMessage("Work", lookalike, 3);
    Start();
    ArchiveAway("Work");
    EXPECT_EQ(1, Restore({"Mailbox_Work"}, true));
    EXPECT_THAT(Messages("Work"), ElementsAre(lookalike));
    EXPECT_THAT(Statuses("Work"), ElementsAre(3));
}

TEST_F(RestoreTaskTest, APendingTheHostCannotMakeLeavesTheStagingPathAsItWas) {
    AddNumbered("Work", 1);
    Start();
    ArchiveAway("Work");
    const std::string nowhere = files / "nowhere\\Pending.mbx";
    staging.mbxPath = nowhere;
    host.session().faults().Arm("Add");
    EXPECT_EQ(0, Restore({"Mailbox_Work"}, true));
    EXPECT_EQ(nowhere, staging.mbxPath);
    EXPECT_EQ(1u, Rows("Mailbox_Work").size());
}

TEST_F(RestoreTaskTest, MakesPendingThroughTheHostAndKeepsTheHostsPath) {
    AddNumbered("Work", 1);
    Start();
    ArchiveAway("Work");
    staging.mbxPath = files / "nowhere\\Pending.mbx";
    EXPECT_EQ(1, Restore({"Mailbox_Work"}, false));
    EXPECT_EQ(host.MailboxPath("Pending.mbx"), staging.mbxPath);
    EXPECT_EQ(1u, Messages("Work").size());
}

} // namespace
