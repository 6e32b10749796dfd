// The files messages name travel with them: into the archive with their
// rows, and back to their places before the messages come home.
#include "db/ado_recordset.h"
#include "db/attachment_store.h"
#include "base/file_utils.h"
#include "base/unique_resource.h"
#include "tests/engine/engine_fixture.h"

#include <gmock/gmock.h>

using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::IsSupersetOf;

namespace {

class ArchiveAttachmentsTest : public EngineTest {
protected:
    ArchiveAttachmentsTest() {
        ::CreateDirectoryA(host.MailboxPath("Attach").c_str(), nullptr);
        ::CreateDirectoryA(host.MailboxPath("Embedded").c_str(), nullptr);
    }

    // A file of `size` bytes that differ from those of every other test file.
    std::string AddFile(const std::string& relative, size_t size, char seed) {
        std::string bytes(size, '\0');
        for (size_t i = 0; i < size; ++i) {
            bytes[i] = static_cast<char>(seed + i * 7 + (i >> 9));
        }
        EXPECT_TRUE(WriteWholeFile(host.MailboxPath(relative), bytes));
        return bytes;
    }
    std::string Naming(const std::string& subject, const std::string& lines) {
        return MakeMessage("ann@example.com", subject, "Wed, 6 Dec 2006 10:00:00 +0000",
                           "Here it is.\r\n" + lines);
    }
    std::string Converted(const std::string& relative) {
        return "Attachment Converted: \"" + host.MailboxPath(relative) + "\"\r\n";
    }
    // 0 for a table not made yet.
    long long Count(const std::string& table) {
        int count = 0;
        try {
            CADORecordset rows(database);
            rows.Open("SELECT COUNT(*) AS n FROM " + table, CADORecordset::OpenQuery);
            rows.ReadField("n", count);
        } catch (const CADOException&) {
        }
        return count;
    }
    // What Trash emptied by the host leaves: the messages and their files gone.
    void EmptyTrashAndFiles(const std::vector<std::string>& relatives) {
        for (const std::string& relative : relatives) {
            ASSERT_TRUE(::DeleteFileA(host.MailboxPath(relative).c_str()));
        }
    }
    bool LogHas(const std::string& line) {
        const std::vector<std::string> lines = LogLines();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
};

TEST_F(ArchiveAttachmentsTest, FilesGoIntoTheArchiveOnceAndComeBackByteForByte) {
    const std::string report = AddFile("Attach\\Q3 report.pdf", 300000, 'a');
    const std::string picture = AddFile("Embedded\\image001.jpg", 5000, 'b');
    host.AddMessage("Work", Naming("Report", Converted("Attach\\Q3 report.pdf")));
    host.AddMessage("Work",
                    Naming("Picture", "Embedded Content: image001.jpg: 00000001,4e5d6f7a\r\n" +
                                          Converted("Attach\\gone.pdf")));
    host.AddMessage("Work",
                    Naming("Again", Converted("Attach\\Q3 report.pdf") +
                                        "Attachment Converted: \"C:\\Windows\\win.ini\"\r\n"));
    Start();
    WIN32_FILE_ATTRIBUTE_DATA before = {};
    ::GetFileAttributesExA(host.MailboxPath("Attach\\Q3 report.pdf").c_str(), GetFileExInfoStandard,
                           &before);

    EXPECT_EQ(3, Archive({"Work"}, true));
    EXPECT_TRUE(Messages("Work").empty());
    EXPECT_EQ(3u, Messages("Trash").size());
    EXPECT_EQ(2, Count(kAttachmentContentTable));
    EXPECT_EQ(3, Count(kAttachmentRefsTable));
    EXPECT_TRUE(LogHas("Number of Attachments Kept: 3"));
    EXPECT_TRUE(LogHas("Number of Attachments Not Found: 1"));
    EXPECT_TRUE(LogHas("Number of Attachment Names Refused: 1"));
    EXPECT_TRUE(boxes.boxes().empty());

    EmptyTrashAndFiles({"Attach\\Q3 report.pdf", "Embedded\\image001.jpg"});
    EXPECT_EQ(3, Restore({"Mailbox_Work"}, true));
    EXPECT_EQ(3u, Messages("Work").size());
    EXPECT_TRUE(ReadBytes(host.MailboxPath("Attach\\Q3 report.pdf")) == report);
    EXPECT_TRUE(ReadBytes(host.MailboxPath("Embedded\\image001.jpg")) == picture);
    EXPECT_FALSE(FileExists(host.MailboxPath("Attach\\gone.pdf")));
    WIN32_FILE_ATTRIBUTE_DATA after = {};
    ::GetFileAttributesExA(host.MailboxPath("Attach\\Q3 report.pdf").c_str(), GetFileExInfoStandard,
                           &after);
    EXPECT_EQ(0, ::CompareFileTime(&before.ftLastWriteTime, &after.ftLastWriteTime));
    EXPECT_TRUE(LogHas("Number of Attachments Written Back: 2"));
    // The rows went, and with them what they kept.
    EXPECT_EQ(0, Count("Mailbox_Work"));
    EXPECT_EQ(0, Count(kAttachmentRefsTable));
    EXPECT_EQ(0, Count(kAttachmentContentTable));
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(ArchiveAttachmentsTest, AFileTwoMailboxesNameStaysUntilTheLastRowNamingItGoes) {
    const std::string shared = AddFile("Attach\\shared.doc", 40000, 'c');
    host.AddMessage("Work", Naming("Work's", Converted("Attach\\shared.doc")));
    host.AddMessage("In", Naming("In's", Converted("Attach\\shared.doc")));
    Start();
    EXPECT_EQ(2, Archive({"Work", "In"}, true));
    EXPECT_EQ(1, Count(kAttachmentContentTable));
    EmptyTrashAndFiles({"Attach\\shared.doc"});

    // A file at the path is never touched, even with other bytes: the log
    // says so, and the message still comes home.
    ASSERT_TRUE(WriteWholeFile(host.MailboxPath("Attach\\shared.doc"), "mine now"));
    EXPECT_EQ(1, Restore({"Mailbox_In"}, true));
    EXPECT_EQ("mine now", ReadBytes(host.MailboxPath("Attach\\shared.doc")));
    EXPECT_TRUE(LogHas("Attachment Left as Found, Unlike the One Kept: " +
                       host.MailboxPath("Attach\\shared.doc")));
    EXPECT_EQ(1, Count(kAttachmentContentTable));
    EXPECT_EQ(1, Count(kAttachmentRefsTable));

    ASSERT_TRUE(::DeleteFileA(host.MailboxPath("Attach\\shared.doc").c_str()));
    EXPECT_EQ(1, Restore({"Mailbox_Work"}, false));
    EXPECT_TRUE(ReadBytes(host.MailboxPath("Attach\\shared.doc")) == shared);
    EXPECT_EQ(1, Count(kAttachmentContentTable));
    ASSERT_TRUE(::DeleteFileA(host.MailboxPath("Attach\\shared.doc").c_str()));
    EXPECT_EQ(1, Restore({"Mailbox_Work"}, true));
    EXPECT_TRUE(ReadBytes(host.MailboxPath("Attach\\shared.doc")) == shared);
    EXPECT_EQ(0, Count(kAttachmentContentTable));
}

// Rows written before files were kept, or by a run cut off before its
// files: the next run keeps the files for the row it finds, and only then
// lets the message go.
TEST_F(ArchiveAttachmentsTest, AMessageArchivedBeforeFilesWereKeptGetsThemBeforeItLeaves) {
    const std::string report = AddFile("Attach\\old.pdf", 7000, 'd');
    host.AddMessage("Work", Naming("Old", Converted("Attach\\old.pdf")));
    Start();
    WriteWholeFile(files / "stowlark.ini", "[Settings]\r\nKeepAttachments=0\r\n");
    EXPECT_EQ(1, Archive({"Work"}, false));
    EXPECT_EQ(0, Count(kAttachmentRefsTable));

    ASSERT_TRUE(::DeleteFileA((files / "stowlark.ini").c_str()));
    EXPECT_EQ(0, Archive({"Work"}, true));
    EXPECT_TRUE(Messages("Work").empty());
    EXPECT_EQ(1, Count(kAttachmentRefsTable));
    EXPECT_TRUE(LogHas("Number of Messages Already in the Archive: 1"));
    EXPECT_TRUE(LogHas("Number of Attachments Kept: 1"));

    EmptyTrashAndFiles({"Attach\\old.pdf"});
    EXPECT_EQ(1, Restore({"Mailbox_Work"}, true));
    EXPECT_TRUE(ReadBytes(host.MailboxPath("Attach\\old.pdf")) == report);
}

// A file that cannot be read (another program holds it alone) keeps its
// message in the mailbox, told once; the next run keeps the file for the row
// it finds and only then lets the message go.
TEST_F(ArchiveAttachmentsTest, AMessageWhoseFileCannotBeKeptStaysUntilItCanBe) {
    AddFile("Attach\\open.xls", 3000, 'e');
    const std::string held = Naming("Held", Converted("Attach\\open.xls"));
    host.AddMessage("Work", held);
    host.AddMessage("Work", Naming("Free", ""));
    Start();
    {
        const UniqueFile lock(::CreateFileA(host.MailboxPath("Attach\\open.xls").c_str(),
                                            GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(lock);
        EXPECT_EQ(2, Archive({"Work"}, true));
    }
    EXPECT_EQ(std::vector<std::string>{held}, Messages("Work"));
    EXPECT_TRUE(LogHas("Number of Attachments Not Kept, Their Messages Left in the Mailbox: 1"));
    EXPECT_TRUE(LogHas("Deleted from the Mailbox: No"));
    ASSERT_EQ(1u, BoxTexts().size());
    EXPECT_THAT(BoxTexts()[0], HasSubstr("1 messages were left in their mailboxes, because files "
                                         "they name could not be kept"));

    EXPECT_EQ(0, Archive({"Work"}, true));
    EXPECT_TRUE(Messages("Work").empty());
    EXPECT_EQ(1, Count(kAttachmentRefsTable));
    EXPECT_TRUE(LogHas("Deleted from the Mailbox: Yes"));
}

} // namespace
