// The record written to "Pending", the header reading and the transfer out
// of "Pending" into the messages' own mailbox.
#include "host/host_application.h"
#include "mailbox/date_formats.h"
#include "mailbox/header_value.h"
#include "mailbox/host_mailboxes.h"
#include "mailbox/message_date.h"
#include "mailbox/pending_mailbox.h"
#include "mailbox/pending_transfer.h"
#include "mailbox/separator_line.h"
#include "base/file_utils.h"
#include "testhost/mailstore/mbox_format.h"
#include "tests/engine/engine_fixture.h"

#include <gmock/gmock.h>

using ::testing::ElementsAre;

namespace {

std::string TodaysLine() {
    const CalendarDay today = CalendarDayOf(CurrentDateTime()).value();
    const char* const days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                  "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    return std::string("From ???@??? ") + days[today.weekday] + " " + months[today.month - 1] +
           " " + std::to_string(today.day) + " 12:00:00 " + std::to_string(today.year);
}

TEST(SeparatorLine, TakesTheDayOfEveryDateFormAMessageMayCarry) {
    // The user's locale, as the platform reads it.
    EXPECT_EQ("From ???@??? Wed Jan 10 12:00:00 2007", MakeSeparatorLine("1/10/2007 1:05:00 PM"));
    // The host's display form; the weekday comes from the date, not the text.
    EXPECT_EQ("From ???@??? Wed Dec 6 12:00:00 2006", MakeSeparatorLine("Mon 12/06/2006 10:00"));
    // Internet dates with a zone, which the platform refuses.
    EXPECT_EQ("From ???@??? Wed Jan 10 12:00:00 2007",
              MakeSeparatorLine("Wed, 10 Jan 2007 13:05:00 +0100"));
    EXPECT_EQ("From ???@??? Sun Jan 7 12:00:00 2007",
              MakeSeparatorLine("7 Jan 07 23:59:59 -0800 (PST)"));
    EXPECT_EQ("From ???@??? Fri Feb 29 12:00:00 2008", MakeSeparatorLine("Fri, 29 Feb 2008"));
}

TEST(SeparatorLine, FallsBackToTodayForWhatNamesNoDay) {
    EXPECT_EQ(TodaysLine(), MakeSeparatorLine(""));
    EXPECT_EQ(TodaysLine(), MakeSeparatorLine("No Date"));
    EXPECT_EQ(TodaysLine(), MakeSeparatorLine("Thu, 29 Feb 2007 10:00:00 +0000"));
}

TEST(SeparatorLine, IsALineTheHostTakesForARecordStartWhateverTheDateGives) {
    // Years the host cannot show in four digits fall back as an unreadable
    // date does; the others keep their own day.
    const struct {
        const char* date;
        const char* line; // null: today's
    } cases[] = {
        {"Fri, 1 Jan 0100 00:00:00 +0000", nullptr},
        {"12/31/999 11:59:59 PM", nullptr},
        {"31 Dec 0999", nullptr},
        {"1/1/1000", "From ???@??? Wed Jan 1 12:00:00 1000"},
        {"Mon, 1 Jan 1601 00:00:00 +0000", "From ???@??? Mon Jan 1 12:00:00 1601"},
        {"12/31/9999 11:59:59 PM", "From ???@??? Fri Dec 31 12:00:00 9999"},
        {"31 Dec 9999", "From ???@??? Fri Dec 31 12:00:00 9999"},
        {"1/1/10000", nullptr},
        {"0/1/2007", nullptr},
        {"2/30/2007", nullptr},
        {"32 Jan 2007", nullptr},
        {"0 Jan 2007", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.date);
        const std::string line = MakeSeparatorLine(c.date);
        EXPECT_EQ(c.line ? std::string(c.line) : TodaysLine(), line);
        EXPECT_TRUE(IsSeparatorLine(line));
    }
    // No date value holds the year 1; how the platform reads these is its
    // own affair, but the line is one the host takes.
    for (const char* date : {"Mon, 1 Jan 0001 00:00:00 +0000", "1/1/1", "1/1/0001"}) {
        EXPECT_TRUE(IsSeparatorLine(MakeSeparatorLine(date))) << date;
    }
}

TEST(HeaderReading, SplitsAtEveryDelimiterAndKeepsTheRest) {
    std::vector<std::string> parts{"already"};
    EXPECT_EQ(4, SplitAtText("a\r\nb\r\n", "\r\n", parts));
    EXPECT_THAT(parts, ElementsAre("already", "a", "b", ""));
    EXPECT_EQ(0, SplitAtText("a\r\nb", "", parts));
    EXPECT_EQ(4u, parts.size());
}

TEST(HeaderReading, FindsAFieldInAnyCaseWithItsContinuations) {
    EXPECT_EQ("2", HeaderValue("Subject: a\r\nx-status: 2\r\nFrom: b", "X-Status: "));
    EXPECT_EQ("", HeaderValue("Subject: a\r\nFrom: b", "X-Status: "));
    // The line after a taken one ends the value when it is a field, even the
    // same one.
    EXPECT_EQ("1", HeaderValue("X-Status: 1\r\nX-Status: 2", "X-Status: "));
    EXPECT_EQ("first second",
              HeaderValue("Subject: first\r\n          second\r\nTo: c", "Subject: "));
    EXPECT_EQ(std::nullopt, FindHeaderValue("Subject: a", "X-Status: "));
    EXPECT_EQ(std::optional<std::string>(""), FindHeaderValue("X-Status: \r\nTo: c", "X-Status: "));
    // A message without a blank line is all header.
    EXPECT_EQ("Subject: a\r\nX-Status: 1", HeaderBlock("Subject: a\r\nX-Status: 1"));
    EXPECT_EQ("Subject: a", HeaderBlock("Subject: a\r\n\r\nX-Status: 1\r\n"));
}

TEST(PendingFile, AppendsOneWholeRecordToAnExistingFileOnly) {
    TempFolder folder;
    const std::string path = folder / "Pending.mbx";
    EXPECT_FALSE(AppendPendingMessage(path, "1/10/2007", 3, "Subject: a\r\n\r\nbody\r\n"));
    EXPECT_FALSE(FileExists(path));

    WriteBytes(path, "");
    EXPECT_TRUE(AppendPendingMessage(path, "1/10/2007", 3, "Subject: a\r\n\r\nbody\r\n"));
    EXPECT_TRUE(AppendPendingMessage(path, "12/25/2006", 0, "no blank line"));
    EXPECT_EQ("From ???@??? Wed Jan 10 12:00:00 2007\r\nX-Status: 3\r\n"
              "Subject: a\r\n\r\nbody\r\n\r\n"
              "From ???@??? Mon Dec 25 12:00:00 2006\r\nX-Status: 0\r\nno blank line\r\n",
              ReadBytes(path));
}

TEST(PendingFile, RefusesAMessageTheHostWouldSplitInTwo) {
    TempFolder folder;
    const std::string path = folder / "Pending.mbx";
    WriteBytes(path, "");
    const std::string forwarded =
        "Subject: old mail\r\n\r\nFrom ???@??? Mon Jan 8 12:00:00 2007\r\n";
    EXPECT_TRUE(HoldsSeparatorLikeLine(forwarded));
    EXPECT_TRUE(HoldsSeparatorLikeLine("From ???@??? mon JAN 8 at the start"));
    // Only text to the host: no weekday and month follow.
    EXPECT_FALSE(HoldsSeparatorLikeLine("From ???@??? is not a separator here.\r\n"));
    EXPECT_FALSE(HoldsSeparatorLikeLine("x\r\nFrom ???@??? Mon, Jan 8\r\n"));
    EXPECT_TRUE(HoldsSeparatorLikeLine("Subject: lf\n\nFrom ???@??? Mon Jan 8 12:00:00 2007\n"));
    EXPECT_FALSE(
        HoldsSeparatorLikeLine("Subject: x\r\n\r\nFrom here on\r\n >From ???@??? quoted\n"));
    EXPECT_FALSE(AppendPendingMessage(path, "1/10/2007", 1, forwarded));
    EXPECT_EQ("", ReadBytes(path));
}

class PendingTransfer : public EngineTest {
protected:
    void SetUp() override {
        ::CreateDirectoryA(host.MailboxPath("Projects.fol").c_str(), nullptr);
        host.AddMessage("Projects.fol\\Alpha", MakeMessage("a@example.com", "kept", "", "k\r\n"));
        Start();
        HostApplication::Connect().Folders().Add("Pending");
    }

    // Four messages staged as the restore stages them, statuses 0..3.
    void StageFour() {
        for (int i = 0; i < 4; ++i) {
            ASSERT_TRUE(AppendPendingMessage(
                staging.mbxPath, "1/10/2007", i,
                MakeMessage("s@example.com", "m" + std::to_string(i), "", "body\r\n")));
        }
        ASSERT_TRUE(::DeleteFileA(staging.tocPath.c_str()));
    }

    int Move(const std::string& target) {
        return MovePendingMessages(staging.mbxPath, target, "In",
                                   [this](int p) { controls.SetProgress(p); });
    }
};

TEST_F(PendingTransfer, MovesLastFirstIntoTheMailboxFoundByItsPath) {
    StageFour();
    const std::string target = host.MailboxPath("PROJECTS.FOL\\alpha.mbx");
    EXPECT_EQ(4, Move(target));
    EXPECT_THAT(controls.progress, ElementsAre(100, 75, 50, 25, 0));
    EXPECT_THAT(Statuses("Projects.fol\\Alpha"), ElementsAre(0, 3, 2, 1, 0));
    EXPECT_EQ(MakeMessage("s@example.com", "m3", "", "body\r\n"),
              Messages("Projects.fol\\Alpha")[1]);
    EXPECT_TRUE(Messages("Pending").empty());
    EXPECT_EQ("Restoring messages to Alpha. ", host.session().statusText());
}

TEST_F(PendingTransfer, WithoutTheWrittenStatusesTheFirstLinesNumberAloneCounts) {
    // Records the host keeps whole (the test host takes a strict status line
    // itself), so the status must come from the transfer.
    const std::vector<std::string> records = {
        "X-Status:  7\r\n" + MakeMessage("a@example.com", "spaced", "", "1\r\n"),
        "X-Status: x\r\n" + MakeMessage("b@example.com", "lettered", "", "2\r\n"),
        MakeMessage("c@example.com", "own header", "", "3\r\n", "X-Status: 4\r\n"),
        "X-Status:  1\r\nInvoice 12345 attached\r\n\r\nno header lines\r\n",
        "x-status:  9\r\n" + MakeMessage("d@example.com", "refused", "", "4\r\n"),
    };
    std::string file;
    for (const std::string& record : records) {
        file += "From ???@??? Wed Jan 10 12:00:00 2007\r\n" + record + "\r\n";
    }
    WriteBytes(staging.mbxPath, file);
    ASSERT_TRUE(::DeleteFileA(staging.tocPath.c_str()));
    // The host refuses the first status it is given; the moves go on.
    host.session().faults().Arm("Status", 1);

    EXPECT_EQ(5, Move(host.MailboxPath("In.mbx")));
    EXPECT_THAT(Messages("In"),
                ElementsAre(records[4], records[3], records[2], records[1], records[0]));
    EXPECT_THAT(Statuses("In"), ElementsAre(0, 1, 0, 0, 7));
}

TEST_F(PendingTransfer, TheWrittenStatusesGoByPlaceWhenTheCountsAgree) {
    StageFour();
    const std::vector<int> written = {8, 6, 1, 9};
    EXPECT_EQ(4, MovePendingMessages(
                     staging.mbxPath, host.MailboxPath("In.mbx"), "In", [](int) {}, written));
    EXPECT_THAT(Statuses("In"), ElementsAre(9, 1, 6, 8));
}

TEST_F(PendingTransfer, SendsToTheFallbackWhenNoMailboxHasThePath) {
    StageFour();
    EXPECT_EQ(4, Move(host.MailboxPath("Deleted long ago.mbx")));
    EXPECT_EQ(4u, Messages("In").size());
}

TEST_F(PendingTransfer, AHostFailureEndsTheMovesAndKeepsWhatWasMoved) {
    StageFour();
    host.session().faults().Arm("Move", 3);
    EXPECT_EQ(2, Move(host.MailboxPath("In.mbx")));
    EXPECT_EQ(2u, Messages("In").size());
    EXPECT_EQ(2u, Messages("Pending").size());
    EXPECT_EQ(0, controls.progress.back());
}

TEST_F(PendingTransfer, FindsMailboxesDepthFirstAndLeavesTheIdAloneOtherwise) {
    const HostApplication app = HostApplication::Connect();
    long id = -1;
    FindHostMailboxByPath(app.Folders(), host.MailboxPath("Projects.fol\\Alpha.mbx"), id);
    EXPECT_EQ(app.FolderByName("Alpha").Id(), id);
    id = -1;
    FindHostMailboxByPath(app.Folders(), host.MailboxPath("Projects.fol"), id);
    EXPECT_EQ(-1, id);
}

TEST_F(PendingTransfer, HostMailboxOperationsReportWhatTheHostDid) {
    EXPECT_TRUE(SetHostStatus("Working"));
    EXPECT_EQ("Working", host.session().statusText());
    EXPECT_EQ("", CreateHostMailbox("   "));
    EXPECT_EQ(host.MailboxPath("Later.mbx"), CreateHostMailbox("  Later "));
    // A folder's mailbox of the same name is found first by name; the new
    // one is what the caller gets.
    EXPECT_EQ(host.MailboxPath("alpha.mbx"), CreateHostMailbox("alpha"));
    EXPECT_EQ(std::optional<long>(0), CountHostMailboxMessages(host.MailboxPath("Later.mbx")));
    EXPECT_EQ(std::nullopt, CountHostMailboxMessages(host.MailboxPath("Projects.fol")));
    EXPECT_EQ(std::optional<long>(1),
              CountHostMailboxMessages(host.MailboxPath("projects.fol\\ALPHA.mbx")));
    EXPECT_TRUE(OpenHostMailbox("Alpha"));
    EXPECT_TRUE(boxes.boxes().empty());
    EXPECT_FALSE(OpenHostMailbox("No such mailbox"));
    EXPECT_EQ(1u, boxes.boxes().size());
    EXPECT_TRUE(OpenHostMailboxFile(host.MailboxPath("Projects.fol\\Alpha.mbx")));
    EXPECT_FALSE(OpenHostMailboxFile(host.MailboxPath("Gone.mbx")));
    EXPECT_EQ(1u, boxes.boxes().size());
}

} // namespace
