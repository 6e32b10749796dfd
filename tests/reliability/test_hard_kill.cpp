// The host killed in the middle of an archive or a restore: the archive
// stays a sound database and every message is still somewhere the user
// finds it. The host runs as its own program with the plug-in and plays the
// task through the plug-in's dialog; this test kills it.
#include "db/ado_database.h"
#include "db/ado_recordset.h"
#include "db/archive_schema.h"
#include "base/file_utils.h"
#include "tests/host/host_fixture.h"
#include "tests/reliability/host_process.h"
#include "tests/reliability/message_census.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <functional>

using ::testing::IsEmpty;

namespace {

const int kMessages = 80;
const DWORD kHostSeconds = 90;

class HardKillTest : public ::testing::Test {
protected:
    HardKillTest() {
        for (int i = 1; i <= kMessages; ++i) {
            std::string body;
            for (int line = 0; line < 20 + i % 30; ++line) {
                body += "Line " + std::to_string(line) + " of message " + std::to_string(i) +
                        ", long enough to look like real text.\r\n";
            }
            originals.push_back(MakeMessage("sender" + std::to_string(i % 7) + "@example.com",
                                            "Message " + std::to_string(i),
                                            "Thu, 14 Jun 2007 08:30:00 +0200", body));
            host.AddMessage("Work", originals.back(), StatusOf(i - 1));
        }
        host.AddMessage("Trash", MakeMessage("old@example.com", "already here", "", "x\r\n"));
        InstallPlugin(host);
    }

    ~HardKillTest() override { RemoveHostRegistration(); }

    // Runs the host on the mail folder with `steps` as its script, killed
    // once `untilKill` says so; whether it was killed.
    bool RunHost(const std::string& steps, const std::function<bool()>& untilKill) {
        return RunHostProgram(host, steps, untilKill, kHostSeconds);
    }

    std::string ArchivePath() const { return host.MailboxPath("Plugins\\archive.mdb"); }

    long ArchivedRows() {
        if (!FileExists(ArchivePath())) {
            return 0;
        }
        CADODatabase database;
        database.SetConnectionTimeout(1);
        if (!database.Open(ArchiveConnectionString(ArchivePath()))) {
            return 0;
        }
        CADORecordset rows(database);
        int count = 0;
        try {
            if (rows.Open("SELECT count(*) AS n FROM [Mailbox_Work]")) {
                rows.ReadField("n", count);
            }
        } catch (const CADOException&) {
            // Not made yet, or busy: ask again at the next turn.
        }
        return count;
    }

    // The archive is sound; what each place holds.
    MessageCensus Census() {
        MessageCensus census;
        CADODatabase database;
        EXPECT_TRUE(database.Open(ArchiveConnectionString(ArchivePath())));
        CADORecordset check(database);
        EXPECT_TRUE(check.Open("SELECT integrity_check AS verdict FROM pragma_integrity_check()"));
        std::string verdict;
        check.ReadField("verdict", verdict);
        EXPECT_EQ("ok", verdict);
        check.Close();

        CADORecordset table(database);
        if (table.Open("Mailbox_Work", CADORecordset::OpenTable)) {
            for (; !table.AtEnd(); table.MoveNext()) {
                std::string text;
                table.ReadField("message", text);
                census.archived.push_back(text);
            }
        }
        table.Close();
        database.Close();

        // The host finishes what a killed writer left half done when it
        // reads the folder again.
        MailStore store(host.dataDir());
        census.mailbox = MailboxTexts(store, host, "Work");
        census.trash = MailboxTexts(store, host, "Trash");
        census.pending = MailboxTexts(store, host, "Pending");
        return census;
    }

    // After the kill: the archive is sound, and no message is lost.
    void ExpectArchiveSoundAndNothingLost(const std::vector<std::string>& trashBefore) {
        const MessageCensus census = Census();
        EXPECT_THAT(LostMessages(originals, census), IsEmpty());
        EXPECT_THAT(TrashedWithoutRow(trashBefore, census), IsEmpty());
    }

    // The host adds a message to the mailbox it moves to before it takes it
    // out of the one it leaves, so a kill between the two leaves it in both.
    // Nothing the plug-in keeps tells that copy from an equal message moved
    // before, and it keeps both rather than risk losing one: the task run
    // again moves that message a second time. Each holds at most one.
    static std::vector<std::string> LeftInBoth(const std::vector<std::string>& from,
                                               const std::vector<std::string>& to) {
        std::vector<std::string> both;
        for (const std::string& text : from) {
            if (std::find(to.begin(), to.end(), text) != to.end()) {
                both.push_back(text);
            }
        }
        EXPECT_LE(both.size(), 1u);
        return both;
    }

    // `texts` without one copy of each of `twice`.
    static std::vector<std::string> WithoutOneOf(std::vector<std::string> texts,
                                                 const std::vector<std::string>& twice) {
        for (const std::string& text : twice) {
            const auto copy = std::find(texts.begin(), texts.end(), text);
            EXPECT_NE(texts.end(), copy) << Describe(text);
            if (copy != texts.end()) {
                texts.erase(copy);
            }
        }
        return texts;
    }

    // The same archive once more, unhurried: each message once in the
    // archive and once in Trash, none left in its mailbox. `leftInBoth`
    // were in Trash twice already.
    void ExpectArchiveAgainHoldsEachOnce(const std::vector<std::string>& trashBefore,
                                         const std::vector<std::string>& leftInBoth = {}) {
        EXPECT_FALSE(RunHost(kArchiveSteps, nullptr));
        const MessageCensus census = Census();
        EXPECT_THAT(NotExactlyOnce(originals, census.archived), IsEmpty());
        EXPECT_THAT(census.mailbox, IsEmpty());
        const std::vector<std::string> trashed =
            WithoutOneOf(WithoutOneOf(census.trash, trashBefore), leftInBoth);
        EXPECT_THAT(NotExactlyOnce(originals, trashed), IsEmpty());
    }

    // The same restore once more, unhurried: each message home once with its
    // status, and no row left for it. `leftInBoth` were home twice already.
    void ExpectRestoreAgainBringsEachHomeOnce(const std::vector<std::string>& leftInBoth = {}) {
        EXPECT_FALSE(RunHost(kRestoreSteps, nullptr));
        const MessageCensus census = Census();
        EXPECT_THAT(NotExactlyOnce(originals, WithoutOneOf(census.mailbox, leftInBoth)), IsEmpty());
        EXPECT_THAT(census.archived, IsEmpty());
        EXPECT_THAT(census.pending, IsEmpty());
        MailStore store(host.dataDir());
        const MailboxFile& work = store.Mailbox(host.MailboxPath("Work.mbx"));
        for (size_t i = 0; i < work.Count(); ++i) {
            const auto original = std::find(originals.begin(), originals.end(), work.RawText(i));
            if (original != originals.end()) {
                EXPECT_EQ(StatusOf(original - originals.begin()), work.Entry(i).status)
                    << Describe(work.RawText(i));
            }
        }
    }

    static int StatusOf(std::ptrdiff_t index) { return static_cast<int>((index + 1) % 11); }

    // Archives every message with deletion, unhurried; what Trash holds then.
    std::vector<std::string> ArchiveAll() {
        EXPECT_FALSE(RunHost(kArchiveSteps, nullptr));
        EXPECT_EQ(kMessages, ArchivedRows());
        MailStore store(host.dataDir());
        return MailboxTexts(store, host, "Trash");
    }

    MessageBoxCapture boxes;
    RunningHost host;
    std::vector<std::string> originals;
};

TEST_F(HardKillTest, KilledWhileCopyingOrWhileMovingToTrash) {
    const std::vector<std::string> trashBefore = {
        MakeMessage("old@example.com", "already here", "", "x\r\n")};
    EXPECT_TRUE(RunHost(kArchiveSteps, [&] { return ArchivedRows() >= kMessages / 3; }));
    ExpectArchiveSoundAndNothingLost(trashBefore);

    // Again on what is left, now into the moves, which follow the copies.
    const long long trashSize = FileSize(host.MailboxPath("Trash.mbx"));
    EXPECT_TRUE(RunHost(kArchiveSteps, [&] {
        return FileSize(host.MailboxPath("Trash.mbx")) > trashSize + 20000;
    }));
    ExpectArchiveSoundAndNothingLost(trashBefore);
    const MessageCensus census = Census();
    ExpectArchiveAgainHoldsEachOnce(trashBefore, LeftInBoth(census.mailbox, census.trash));
}

TEST_F(HardKillTest, RowsOnDiskBeforeAKillBetweenCommitAndMoveAreOnDiskAfterIt) {
    const std::vector<std::string> trashBefore = {
        MakeMessage("old@example.com", "already here", "", "x\r\n")};
    // Rows another reader of the file sees are committed; their messages
    // have not moved yet, as the moves come after all of a mailbox's rows.
    long seen = 0;
    EXPECT_TRUE(RunHost(kArchiveSteps, [&] {
        seen = ArchivedRows();
        return seen >= kMessages / 2;
    }));
    const MessageCensus census = Census();
    EXPECT_GE(static_cast<long>(census.archived.size()), seen);
    EXPECT_EQ(static_cast<size_t>(kMessages), census.mailbox.size());
    EXPECT_THAT(TrashedWithoutRow(trashBefore, census), IsEmpty());
    ExpectArchiveAgainHoldsEachOnce(trashBefore);
}

TEST_F(HardKillTest, KilledWhileStagingIntoPending) {
    const std::vector<std::string> trash = ArchiveAll();
    EXPECT_TRUE(
        RunHost(kRestoreSteps, [&] { return FileSize(host.MailboxPath("Pending.mbx")) > 50000; }));
    ExpectArchiveSoundAndNothingLost(trash);
    ExpectRestoreAgainBringsEachHomeOnce();
}

TEST_F(HardKillTest, KilledBetweenStagingAndTheMoves) {
    const std::vector<std::string> trash = ArchiveAll();
    // Every record is in Pending, and none has reached Work yet.
    long long staged = 0;
    for (const std::string& original : originals) {
        staged += static_cast<long long>(original.size()) + 50;
    }
    const long long workSize = FileSize(host.MailboxPath("Work.mbx"));
    EXPECT_TRUE(RunHost(kRestoreSteps, [&] {
        return FileSize(host.MailboxPath("Pending.mbx")) >= staged &&
               FileSize(host.MailboxPath("Work.mbx")) == workSize;
    }));
    EXPECT_EQ(workSize, FileSize(host.MailboxPath("Work.mbx")));
    ExpectArchiveSoundAndNothingLost(trash);
    ExpectRestoreAgainBringsEachHomeOnce();
}

TEST_F(HardKillTest, KilledWhileMovingHomeFromPending) {
    const std::vector<std::string> trash = ArchiveAll();
    const long long workSize = FileSize(host.MailboxPath("Work.mbx"));
    EXPECT_TRUE(RunHost(kRestoreSteps,
                        [&] { return FileSize(host.MailboxPath("Work.mbx")) > workSize + 20000; }));
    ExpectArchiveSoundAndNothingLost(trash);
    const MessageCensus census = Census();
    ExpectRestoreAgainBringsEachHomeOnce(LeftInBoth(census.pending, census.mailbox));
}

} // namespace
