// Whatever fails during a task, no message is lost: each one is afterwards
// in its mailbox, in the archive, or on its way home in Pending, and one in
// Trash only with its row committed.
#include "db/ado_database.h"
#include "db/ado_recordset.h"
#include "db/archive_schema.h"
#include "host/host_application.h"
#include "base/file_utils.h"
#include "base/unique_resource.h"
#include "tests/engine/engine_fixture.h"
#include "tests/reliability/message_census.h"
#include "tests/reliability/varied_mail.h"

#include <gmock/gmock.h>

#include <functional>

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using ::testing::SizeIs;

namespace {

class TaskFaultTest : public EngineTest {
protected:
    // A handful of the varied messages (not the 2 MB one, which the
    // archive's size limit below has no room for).
    void AddMail(size_t count = 5) {
        for (const VariedMessage& message : VariedMail()) {
            if (originals.size() == count) {
                break;
            }
            if (message.text.size() < 100000) {
                host.AddMessage("Work", message.text, message.status);
                originals.push_back(message.text);
            }
        }
    }

    std::vector<std::string> ArchivedTexts() {
        return Column(Rows("Mailbox_Work"), &ArchiveRow::message);
    }

    MessageCensus Census() {
        MessageCensus census;
        census.mailbox = Messages("Work");
        census.trash = Messages("Trash");
        if (FileExists(host.MailboxPath("Pending.mbx"))) {
            census.pending = Messages("Pending");
        }
        census.archived = ArchivedTexts();
        return census;
    }

    // The mailbox's table, before anything goes wrong.
    void MakeTable() {
        filter.allMessages = false;
        filter.subjectOn = true;
        filter.subjectText = "nothing matches this";
        ASSERT_EQ(0, Archive({"Work"}, false));
        filter = MessageFilter();
    }

    // Nothing lost now, and a clean restore afterwards brings every
    // message home.
    void ExpectEveryMessageKept(const std::vector<std::string>& trashBefore = {}) {
        const MessageCensus census = Census();
        EXPECT_THAT(LostMessages(originals, census), IsEmpty());
        EXPECT_THAT(TrashedWithoutRow(trashBefore, census), IsEmpty());

        host.session().faults() = HostFaults();
        if (!database.IsOpen()) {
            database.Open();
        }
        Restore({"Mailbox_Work"}, true);
        MessageCensus home;
        home.mailbox = Messages("Work");
        EXPECT_THAT(LostMessages(originals, home), IsEmpty());
    }

    std::vector<std::string> originals;
};

TEST_F(TaskFaultTest, TheHostFailingAMoveToTrashLeavesTheMessageInItsMailbox) {
    AddMail();
    Start();
    host.session().faults().Arm("Move", 2);
    EXPECT_EQ(5, Archive({"Work"}, true));
    EXPECT_THAT(Messages("Work"), SizeIs(1));
    EXPECT_THAT(Messages("Trash"), SizeIs(4));
    // Told once, and not as a deletion that happened.
    EXPECT_THAT(BoxTexts(), ElementsAre(HasSubstr("1 archived messages could not be moved")));
    EXPECT_THAT(LogLines(), Contains("Deleted from the Mailbox: No"));
    EXPECT_THAT(LogLines(), Contains("Number of Messages Moved to Trash: 4 of 5"));
    EXPECT_EQ("Operation incomplete. 5 messages archived.", host.session().statusHistory().back());
    ExpectEveryMessageKept();
}

TEST_F(TaskFaultTest, WithoutTrashNothingLeavesItsMailboxAndTheRunSaysSoOnce) {
    AddMail(3);
    host.AddMessage("In", originals[0]);
    Start();
    ASSERT_TRUE(::DeleteFileA(host.MailboxPath("Trash.mbx").c_str()));
    EXPECT_EQ(4, Archive({"Work", "In"}, true));
    EXPECT_THAT(Messages("Work"), SizeIs(3));
    EXPECT_THAT(Messages("In"), SizeIs(1));
    EXPECT_THAT(BoxTexts(), ElementsAre(HasSubstr("There is no mailbox \"Trash\", so 4 archived "
                                                  "messages were not deleted")));
    EXPECT_THAT(LogLines(), Contains("Deleted from the Mailbox: No"));
    EXPECT_THAT(LogLines(), Not(Contains("Deleted from the Mailbox: Yes")));
}

TEST_F(TaskFaultTest, AnArchiveFileRemovedDuringTheTaskKeepsTheMessagesInTheirMailbox) {
    AddMail(5);
    // The archive in a folder of its own, which goes away during the task
    // while the connection is still open.
    const std::string folder = files / "Archives";
    ASSERT_TRUE(::CreateDirectoryA(folder.c_str(), nullptr));
    database.Close();
    const std::string connection = ArchiveConnectionString(folder + "\\archive.mdb");
    ASSERT_TRUE(CreateArchiveDatabase(connection));
    database.SetConnection(connection);
    Start();
    controls.onProgress = [&](int percent) {
        if (percent == 40) {
            ASSERT_TRUE(::MoveFileA(folder.c_str(), (files / "Elsewhere").c_str()));
        }
    };
    Archive({"Work"}, true);
    EXPECT_THAT(Messages("Work"), SizeIs(5));
    EXPECT_THAT(Messages("Trash"), IsEmpty());
    ASSERT_EQ(1u, BoxTexts().size());
    EXPECT_THAT(BoxTexts()[0], HasSubstr("could not be found in the archive file"));
}

TEST_F(TaskFaultTest, TheHostFailingToGiveAMessageOrItsMailboxLeavesThemWhereTheyAre) {
    AddMail();
    Start();
    host.session().faults().Arm("RawText", 3);
    EXPECT_EQ(4, Archive({"Work"}, true));
    EXPECT_THAT(Messages("Work"), SizeIs(1));
    ExpectEveryMessageKept();

    const std::vector<std::string> trash = Messages("Trash");
    host.session().faults().Arm("FolderById", 1);
    EXPECT_EQ(0, Archive({"Work"}, true));
    ExpectEveryMessageKept(trash);
}

TEST_F(TaskFaultTest, AnArchiveLockedByAnotherWriterKeepsEveryMessageInItsMailbox) {
    AddMail(2);
    Start();
    database.Close();
    database.SetConnectionTimeout(1);
    ASSERT_TRUE(database.Open());
    MakeTable();
    CADODatabase other;
    other.SetConnection(database.GetConnectionString());
    ASSERT_TRUE(other.Open());
    ASSERT_TRUE(other.BeginTrans());
    other.Execute("DELETE FROM [Mailbox_Work] WHERE id = -1");

    EXPECT_EQ(0, Archive({"Work"}, true));
    other.RollbackTrans();
    other.Close();
    EXPECT_THAT(Messages("Work"), SizeIs(2));
    EXPECT_THAT(Messages("Trash"), IsEmpty());
    EXPECT_THAT(BoxTexts(), Contains(HasSubstr("locked")));
    ExpectEveryMessageKept();
}

TEST_F(TaskFaultTest, AReadOnlyArchiveKeepsEveryMessageInItsMailbox) {
    AddMail(2);
    Start();
    MakeTable();
    // Wine run as root writes to a file marked read-only, so the engine is
    // told to refuse writes instead: the same refusal a read-only file gives.
    ASSERT_TRUE(database.Execute("PRAGMA query_only = 1"));

    EXPECT_EQ(0, Archive({"Work"}, true));
    EXPECT_THAT(Messages("Work"), SizeIs(2));
    EXPECT_THAT(Messages("Trash"), IsEmpty());
    EXPECT_THAT(BoxTexts(), Contains(HasSubstr("readonly")));
    // A failure, told as one: nothing was archived, nothing deleted.
    EXPECT_EQ("Operation failed. 0 messages archived.", host.session().statusHistory().back());
    EXPECT_THAT(LogLines(), Contains("Deleted from the Mailbox: No"));
    EXPECT_THAT(LogLines(), Not(Contains("Deleted from the Mailbox: Yes")));
    ASSERT_TRUE(database.Execute("PRAGMA query_only = 0"));
    ExpectEveryMessageKept();
}

// Ids repeat: the host numbers a mailbox's messages again when it rebuilds
// its index, and Trash emptied between two archivings frees them. A row of
// the same id holding an older message is no copy of the one at hand.
TEST_F(TaskFaultTest, ACommitTheFileRefusesSendsNothingToTrashOnTheStrengthOfAnOlderRow) {
    AddMail(3);
    Start();
    MakeTable();
    {
        HostMessageList messages = HostApplication::Connect().FolderByName("Work").Messages();
        CADORecordset rows(database);
        ASSERT_TRUE(rows.Open("Mailbox_Work", CADORecordset::OpenTable));
        for (long number = 1; number <= messages.Count(); ++number) {
            ASSERT_TRUE(rows.AddNew());
            rows.WriteField("id", static_cast<int>(messages.Item(number).Id()));
            rows.WriteField("message", MakeMessage("old@example.com", "older", "", "gone\r\n"));
            ASSERT_TRUE(rows.Update());
        }
    }
    database.Close();
    database.SetConnectionTimeout(1);
    ASSERT_TRUE(database.Open());
    // A reader in the midst of a read keeps every commit of the task's out
    // of the file, as a full disk keeps it from the journal.
    CADODatabase reader;
    reader.SetConnection(database.GetConnectionString());
    ASSERT_TRUE(reader.Open());
    ASSERT_TRUE(reader.BeginTrans());
    CADORecordset reading(reader);
    ASSERT_TRUE(reading.Open("SELECT count(*) AS rows FROM [Mailbox_Work]"));

    EXPECT_EQ(0, Archive({"Work"}, true));
    reading.Close();
    reader.RollbackTrans();
    reader.Close();
    EXPECT_THAT(Messages("Work"), SizeIs(3));
    EXPECT_THAT(Messages("Trash"), IsEmpty());
    // The counts are the rows on disk.
    EXPECT_THAT(LogLines(), Contains("Number of Archived Messages: 0"));
    EXPECT_THAT(LogLines(), Contains("Deleted from the Mailbox: No"));
    EXPECT_EQ("Operation failed. 0 messages archived.", host.session().statusHistory().back());
    ASSERT_EQ(1u, BoxTexts().size());
    EXPECT_THAT(BoxTexts()[0], HasSubstr("3 messages were left in their mailboxes"));
    ExpectEveryMessageKept();
}

TEST_F(TaskFaultTest, AFullDiskStopsTheRowsThatDoNotFitAndKeepsTheirMessages) {
    // First in the mailbox, so the last one tried: the rest go before the
    // disk fills.
    originals.push_back(
        MakeMessage("big@example.com", "too big", "", std::string(300000, 'b') + "\r\n"));
    host.AddMessage("Work", originals.back());
    AddMail(6);
    Start();
    MakeTable();
    // The engine's own answer to a full disk: no page beyond this many.
    CADORecordset pages(database);
    ASSERT_TRUE(pages.Open("SELECT page_count AS used FROM pragma_page_count()"));
    int used = 0;
    pages.ReadField("used", used);
    pages.Close();
    ASSERT_TRUE(database.Execute("PRAGMA max_page_count = " + std::to_string(used + 40)));

    // The engine may take the rows before the one that did not fit with it:
    // what counts is what the file holds.
    const int archived = Archive({"Work"}, true);
    EXPECT_LT(archived, 6);
    EXPECT_EQ(static_cast<size_t>(archived), ArchivedTexts().size());
    EXPECT_THAT(Messages("Work"), Contains(originals.front()));
    // One box for the run, not one for each message that would not fit.
    EXPECT_THAT(BoxTexts(), ElementsAre(HasSubstr("full")));
    ASSERT_TRUE(database.Execute("PRAGMA max_page_count = 1000000"));
    ExpectEveryMessageKept();
}

TEST_F(TaskFaultTest, ARestoreTheHostCannotFinishLeavesTheMessagesInPendingWithTheirRows) {
    AddMail();
    Start();
    ASSERT_EQ(5, Archive({"Work"}, true));
    controls = RecordingControls();
    host.session().faults().Arm("Move", 3);
    Restore({"Mailbox_Work"}, true);
    // They wait in Pending, where the user is told to look, and their rows
    // stay until they are home; the rows of those home went with them.
    const MessageCensus census = Census();
    EXPECT_THAT(census.pending, SizeIs(3));
    EXPECT_THAT(census.archived, SizeIs(3));
    EXPECT_THAT(LostMessages(originals, census), IsEmpty());
}

// Without its notes a restore could not tell a message home from one still
// to come: one that removes rows moves nothing before the notes are in.
TEST_F(TaskFaultTest, ARestoreWhoseNotesTheFileRefusesMovesNothing) {
    AddMail(3);
    Start();
    ASSERT_EQ(3, Archive({"Work"}, true));
    controls = RecordingControls();
    ASSERT_TRUE(database.Execute("PRAGMA query_only = 1"));
    EXPECT_EQ(0, Restore({"Mailbox_Work"}, true));
    EXPECT_THAT(Messages("Work"), IsEmpty());
    EXPECT_THAT(Messages("Pending"), IsEmpty());
    EXPECT_THAT(ArchivedTexts(), SizeIs(3));
    EXPECT_THAT(BoxTexts(), ElementsAre(HasSubstr("No message of Work was restored")));
    ASSERT_TRUE(database.Execute("PRAGMA query_only = 0"));
    ExpectEveryMessageKept();
}

// Home, but their rows could not go: the next restores know them, whether
// the file has room again or not.
TEST_F(TaskFaultTest, MessagesHomeWhoseRowsStayedAreNotBroughtHomeAgain) {
    AddMail(3);
    Start();
    ASSERT_EQ(3, Archive({"Work"}, true));
    controls = RecordingControls();
    // The notes are in and the moves under way (Stop is off for them) when
    // the file starts to refuse every removal.
    controls.onProgress = [&](int) {
        if (!controls.stopEnabled.empty() && !controls.stopEnabled.back()) {
            database.Execute("PRAGMA query_only = 1");
        }
    };
    EXPECT_EQ(3, Restore({"Mailbox_Work"}, true));
    controls.onProgress = nullptr;
    EXPECT_THAT(Messages("Work"), SizeIs(3));
    const size_t rowsLeft = ArchivedTexts().size();
    EXPECT_GE(rowsLeft, 1u);
    EXPECT_THAT(BoxTexts(), Contains(HasSubstr("their rows could not be removed")));

    Restore({"Mailbox_Work"}, true);
    EXPECT_THAT(Messages("Work"), SizeIs(3));
    EXPECT_THAT(ArchivedTexts(), SizeIs(rowsLeft));

    ASSERT_TRUE(database.Execute("PRAGMA query_only = 0"));
    Restore({"Mailbox_Work"}, true);
    EXPECT_THAT(Messages("Work"), ::testing::UnorderedElementsAreArray(originals));
    EXPECT_THAT(ArchivedTexts(), IsEmpty());
}

// The notes of a restore whose rows could not go stay behind it; a later
// restore cut off while it wrote "Pending" leaves other rows there. Run
// again, it finishes both.
TEST_F(TaskFaultTest, ARestoreCutOffAfterOneWhoseRowsStayedFinishesBoth) {
    AddMail(4);
    Start();
    ASSERT_EQ(4, Archive({"Work"}, true));
    const std::vector<std::string> archived = ArchivedTexts();
    std::vector<long long> firstTwo;
    {
        CADORecordset rows(database);
        ASSERT_TRUE(rows.Open("Mailbox_Work", CADORecordset::OpenTable));
        for (; firstTwo.size() < 2; rows.MoveNext()) {
            firstTwo.push_back(rows.GetBookmark());
        }
    }
    controls = RecordingControls();
    controls.onProgress = [&](int) {
        if (!controls.stopEnabled.empty() && !controls.stopEnabled.back()) {
            database.Execute("PRAGMA query_only = 1");
        }
    };
    EXPECT_EQ(
        2,
        RestoreTask(database, staging, logPath, controls).runRows("Mailbox_Work", firstTwo, true));
    controls.onProgress = nullptr;
    ASSERT_TRUE(database.Execute("PRAGMA query_only = 0"));
    ASSERT_THAT(Messages("Work"), SizeIs(2));
    // What the cut-off restore had written to "Pending" when it stopped.
    host.AddMessage("Pending", archived[2]);

    Restore({"Mailbox_Work"}, true);
    EXPECT_THAT(Messages("Work"), ::testing::UnorderedElementsAreArray(originals));
    EXPECT_THAT(Messages("Pending"), IsEmpty());
    EXPECT_THAT(ArchivedTexts(), IsEmpty());
}

TEST_F(TaskFaultTest, APendingNobodyMayWriteKeepsEveryRow) {
    AddMail();
    Start();
    ASSERT_EQ(5, Archive({"Work"}, true));
    HostApplication::Connect().Folders().Add("Pending");
    {
        UniqueFile held(::CreateFileA(staging.mbxPath.c_str(), GENERIC_READ, FILE_SHARE_READ,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(held);
        EXPECT_EQ(0, Restore({"Mailbox_Work"}, true));
    }
    EXPECT_THAT(ArchivedTexts(), SizeIs(5));
    ExpectEveryMessageKept();
}

} // namespace
