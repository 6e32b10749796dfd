// The host killed while the files of its messages go into the archive or
// come back out of it: no content a row names is lost, no content is left
// that no row names, and the task run again finishes with every message and
// every file exactly once where it belongs.
#include "db/ado_database.h"
#include "db/ado_recordset.h"
#include "db/archive_schema.h"
#include "base/file_utils.h"
#include "base/sha256.h"
#include "testhost/mail_store.h"
#include "testhost/mailstore/mailbox_file.h"
#include "tests/reliability/host_process.h"
#include "tests/reliability/message_census.h"

#include <gmock/gmock.h>

#include <map>

using ::testing::IsEmpty;

namespace {

const int kFiles = 5;
const size_t kFileSize = 8 << 20;
const unsigned kHostSeconds = 120;

std::string Sha256Of(const std::string& bytes) {
    Sha256 sha;
    sha.Update(bytes.data(), bytes.size());
    return sha.FinishHex();
}

class AttachmentKillTest : public ::testing::Test {
protected:
    AttachmentKillTest() {
        ::CreateDirectoryA(host.MailboxPath("Attach").c_str(), nullptr);
        for (int i = 0; i < kFiles; ++i) {
            const std::string name = "Attach\\part " + std::to_string(i) + ".bin";
            std::string bytes(kFileSize, '\0');
            for (size_t at = 0; at < bytes.size(); at += 4096) {
                bytes[at] = static_cast<char>(i);
                bytes[at + 1] = static_cast<char>(at >> 12);
            }
            WriteBytes(host.MailboxPath(name), bytes);
            sums[host.MailboxPath(name)] = Sha256Of(bytes);
            // The last file is named by two messages.
            for (int copy = 0; copy < (i == kFiles - 1 ? 2 : 1); ++copy) {
                originals.push_back(MakeMessage(
                    "sender@example.com", "Part " + std::to_string(i) + "/" + std::to_string(copy),
                    "Thu, 14 Jun 2007 08:30:00 +0200",
                    "Attachment Converted: \"" + host.MailboxPath(name) + "\"\r\n"));
                host.AddMessage("Work", originals.back());
            }
        }
        InstallPlugin(host);
    }
    ~AttachmentKillTest() override { RemoveHostRegistration(); }

    std::string ArchivePath() const { return host.MailboxPath("Plugins\\archive.mdb"); }

    // The archive is sound; every row names what it kept and every content
    // kept is named. Gives the contents kept, by their checksums.
    std::vector<std::string> CheckArchive() {
        CADODatabase database;
        EXPECT_TRUE(database.Open(ArchiveConnectionString(ArchivePath())));
        // A query the archive cannot answer fails the test.
        const auto column = [&](const std::string& sql) {
            std::vector<std::string> values;
            CADORecordset rows(database);
            rows.Open(sql, CADORecordset::OpenQuery);
            for (; !rows.AtEnd(); rows.MoveNext()) {
                std::string value;
                rows.ReadField("v", value);
                values.push_back(value);
            }
            return values;
        };
        EXPECT_EQ(std::vector<std::string>{"ok"},
                  column("SELECT integrity_check AS v FROM pragma_integrity_check()"));
        // A kill before the first file was kept leaves the store unmade.
        if (column("SELECT name AS v FROM sqlite_master WHERE name = 'MSysAttachmentContent'")
                .empty()) {
            return {};
        }
        EXPECT_THAT(column("SELECT Sha256 AS v FROM MSysAttachmentContent WHERE Sha256 NOT IN "
                           "(SELECT Sha256 FROM MSysAttachmentRefs)"),
                    IsEmpty());
        EXPECT_THAT(column("SELECT Sha256 AS v FROM MSysAttachmentRefs WHERE Sha256 NOT IN "
                           "(SELECT Sha256 FROM MSysAttachmentContent)"),
                    IsEmpty());
        EXPECT_THAT(column("SELECT RowId AS v FROM MSysAttachmentRefs WHERE RowId NOT IN "
                           "(SELECT rowid FROM Mailbox_Work)"),
                    IsEmpty());
        // Each row still names its file, kept whole.
        EXPECT_EQ(std::vector<std::string>{"0"},
                  column("SELECT count(*) AS v FROM Mailbox_Work WHERE rowid NOT IN "
                         "(SELECT RowId FROM MSysAttachmentRefs)"));
        EXPECT_THAT(column("SELECT Sha256 AS v FROM MSysAttachmentContent WHERE Size <> "
                           "(SELECT coalesce(sum(length(Data)), 0) FROM MSysAttachmentChunks "
                           "WHERE ContentId = Id)"),
                    IsEmpty());
        return column("SELECT Sha256 AS v FROM MSysAttachmentContent");
    }

    MessageCensus Census() {
        MessageCensus census;
        CADODatabase database;
        EXPECT_TRUE(database.Open(ArchiveConnectionString(ArchivePath())));
        CADORecordset table(database);
        try {
            if (table.Open("Mailbox_Work", CADORecordset::OpenTable)) {
                for (; !table.AtEnd(); table.MoveNext()) {
                    std::string text;
                    table.ReadField("message", text);
                    census.archived.push_back(text);
                }
            }
        } catch (const CADOException&) {
        }
        // The host finishes what a killed writer left half done when it
        // reads the folder again.
        MailStore store(host.dataDir());
        census.mailbox = MailboxTexts(store, host, "Work");
        census.trash = MailboxTexts(store, host, "Trash");
        census.pending = MailboxTexts(store, host, "Pending");
        return census;
    }

    // The files as they were, each at its place.
    void ExpectEveryFileBack() {
        for (const auto& [path, sum] : sums) {
            EXPECT_EQ(sum, Sha256Of(ReadBytes(path))) << path;
        }
    }

    RunningHost host;
    MessageBoxCapture boxes;
    std::vector<std::string> originals;
    std::map<std::string, std::string> sums;
};

TEST_F(AttachmentKillTest, KilledWhileKeepingFilesAndWhileWritingThemBack) {
    EXPECT_TRUE(RunHostProgram(
        host, kArchiveSteps, [&] { return FileSize(ArchivePath()) > 2 * kFileSize; },
        kHostSeconds));
    CheckArchive();
    MessageCensus census = Census();
    EXPECT_THAT(LostMessages(originals, census), IsEmpty());
    EXPECT_THAT(TrashedWithoutRow({}, census), IsEmpty());

    EXPECT_FALSE(RunHostProgram(host, kArchiveSteps, nullptr, kHostSeconds));
    EXPECT_EQ(static_cast<size_t>(kFiles), CheckArchive().size());
    census = Census();
    EXPECT_THAT(NotExactlyOnce(originals, census.archived), IsEmpty());
    EXPECT_THAT(census.mailbox, IsEmpty());

    // Trash emptied: the files are gone from the disk, kept in the archive.
    for (const auto& [path, sum] : sums) {
        ASSERT_TRUE(::DeleteFileA(path.c_str()));
    }
    EXPECT_TRUE(RunHostProgram(
        host, kRestoreSteps, [&] { return FileExists(host.MailboxPath("Attach\\part 1.bin")); },
        kHostSeconds));
    CheckArchive();
    census = Census();
    EXPECT_THAT(LostMessages(originals, census), IsEmpty());

    EXPECT_FALSE(RunHostProgram(host, kRestoreSteps, nullptr, kHostSeconds));
    EXPECT_THAT(CheckArchive(), IsEmpty());
    census = Census();
    EXPECT_THAT(NotExactlyOnce(originals, census.mailbox), IsEmpty());
    EXPECT_THAT(census.archived, IsEmpty());
    ExpectEveryFileBack();
}

} // namespace
