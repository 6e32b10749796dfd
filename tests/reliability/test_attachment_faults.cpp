// Whatever fails while files travel with their messages, no message leaves
// its mailbox without its files in the archive, and no file kept for a row
// is lost.
#include "db/ado_recordset.h"
#include "base/file_utils.h"
#include "tests/engine/engine_fixture.h"

#include <gmock/gmock.h>

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

namespace {

class AttachmentFaultTest : public EngineTest {
protected:
    AttachmentFaultTest() { ::CreateDirectoryA(host.MailboxPath("Attach").c_str(), nullptr); }

    std::string MessageNaming(const std::string& subject, const std::string& relative) {
        return MakeMessage("ann@example.com", subject, "Wed, 6 Dec 2006 10:00:00 +0000",
                           "Attachment Converted: \"" + host.MailboxPath(relative) + "\"\r\n");
    }
};

// The archive file cannot grow by a large file: the run stops with one box,
// and the message naming it stays with its file, as if never tried.
TEST_F(AttachmentFaultTest, AFullDiskWhileKeepingALargeFileKeepsItsMessage) {
    const std::string big(6 << 20, 'z');
    ASSERT_TRUE(WriteWholeFile(host.MailboxPath("Attach\\big.iso"), big));
    const std::string naming = MessageNaming("big one", "Attach\\big.iso");
    host.AddMessage("Work", naming);
    for (int i = 1; i <= 3; ++i) {
        host.AddMessage("Work", MakeMessage("n@example.com", std::to_string(i), "", "text\r\n"));
    }
    Start();
    ASSERT_TRUE(database.Execute("CREATE TABLE Filler (x)"));
    CADORecordset pages(database);
    ASSERT_TRUE(pages.Open("SELECT page_count AS used FROM pragma_page_count()"));
    int used = 0;
    pages.ReadField("used", used);
    pages.Close();
    // Room for the small rows and the tables, not for 6 MB.
    ASSERT_TRUE(database.Execute("PRAGMA max_page_count = " + std::to_string(used + 300)));

    // The engine may take the rows written before it in the same commit with
    // it: what counts is what the file holds.
    const int archived = Archive({"Work"}, true);
    EXPECT_EQ(static_cast<size_t>(archived), Rows("Mailbox_Work").size());
    EXPECT_THAT(Messages("Work"), Contains(naming));
    EXPECT_EQ(4u - archived, Messages("Work").size());
    EXPECT_THAT(BoxTexts(), ElementsAre(HasSubstr("full")));

    ASSERT_TRUE(database.Execute("PRAGMA max_page_count = 1000000"));
    controls = RecordingControls();
    EXPECT_EQ(4 - archived, Archive({"Work"}, true));
    EXPECT_TRUE(Messages("Work").empty());
    ASSERT_TRUE(::DeleteFileA(host.MailboxPath("Attach\\big.iso").c_str()));
    EXPECT_EQ(4, Restore({"Mailbox_Work"}, true));
    EXPECT_TRUE(ReadBytes(host.MailboxPath("Attach\\big.iso")) == big);
}

// A file that cannot be written back (a file in the way of its folder):
// its message stays in the archive with its row and the file's content, and
// comes home once the way is clear.
TEST_F(AttachmentFaultTest, AFileThatCannotBeWrittenBackKeepsItsMessageInTheArchive) {
    ::CreateDirectoryA(host.MailboxPath("Attach\\Sub").c_str(), nullptr);
    ASSERT_TRUE(WriteWholeFile(host.MailboxPath("Attach\\Sub\\plan.pdf"), "plan"));
    const std::string naming = MessageNaming("plan", "Attach\\Sub\\plan.pdf");
    host.AddMessage("Work", naming);
    host.AddMessage("Work", MakeMessage("n@example.com", "plain", "", "text\r\n"));
    Start();
    ASSERT_EQ(2, Archive({"Work"}, true));
    RemoveTree(host.MailboxPath("Attach\\Sub"));
    ASSERT_TRUE(WriteWholeFile(host.MailboxPath("Attach\\Sub"), "a file where a folder was"));

    EXPECT_EQ(1, Restore({"Mailbox_Work"}, true));
    EXPECT_THAT(Messages("Work"), Not(Contains(naming)));
    EXPECT_EQ(1u, Rows("Mailbox_Work").size());
    EXPECT_THAT(BoxTexts(), ElementsAre(HasSubstr("files kept for them could not be written")));

    ASSERT_TRUE(::DeleteFileA(host.MailboxPath("Attach\\Sub").c_str()));
    EXPECT_EQ(1, Restore({"Mailbox_Work"}, true));
    EXPECT_THAT(Messages("Work"), Contains(naming));
    EXPECT_EQ("plan", ReadBytes(host.MailboxPath("Attach\\Sub\\plan.pdf")));
    EXPECT_TRUE(Rows("Mailbox_Work").empty());
}

} // namespace
