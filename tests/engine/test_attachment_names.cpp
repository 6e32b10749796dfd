// The files a message names outside itself: the host's three forms, and the
// names a stranger's message may not make the plug-in read.
#include "mailbox/attachment_names.h"

#include "base/file_utils.h"
#include "tests/test_support.h"

#include <gmock/gmock.h>

namespace {

using ::testing::ElementsAre;

const AttachmentFolders kFolders{{"C:\\Mail\\Attach", "D:\\More Files"}, "C:\\Mail\\Embedded"};

std::string Message(const std::string& headers, const std::string& body) {
    return "From: ann@example.com\r\nSubject: Files\r\n" + headers + "\r\n" + body;
}

TEST(AttachmentNames, EveryFormOfTheHostNamesItsFilesEachOnce) {
    const std::string body = "See the files.\r\n"
                             "Attachment Converted: \"C:\\Mail\\Attach\\Q3 report.pdf\"\r\n"
                             "attachment converted: C:\\Mail\\Attach\\old form.doc\r\n"
                             "ATTACHMENT CONVERTED: d:\\more files\\plan.xls\r\n"
                             "Embedded Content: image001.jpg: 00000001,4e5d6f7a\r\n"
                             "> Attachment Converted: \"C:\\Mail\\Attach\\quoted.pdf\"\r\n"
                             "Attachment Converted: \"C:\\Mail\\Attach\\Q3 REPORT.pdf\"\r\n"
                             "Attachment Converted: \"C:/Mail/Attach/slashes.txt\"";
    const std::string sentHeaders =
        "X-Attachments: C:\\Docs\\cv.pdf; \"C:\\Docs\\letter.doc\";\r\n\tC:\\Docs\\more.txt;\r\n";
    const NamedFiles received = FilesNamedBy(Message(sentHeaders, body), 1, kFolders);
    EXPECT_THAT(received.paths,
                ElementsAre("C:\\Mail\\Attach\\Q3 report.pdf", "C:\\Mail\\Attach\\old form.doc",
                            "d:\\more files\\plan.xls", "C:\\Mail\\Embedded\\image001.jpg",
                            "C:\\Mail\\Attach\\slashes.txt"));
    EXPECT_EQ(0, received.refused);

    // Only what the user sent or queued names the user's own files.
    for (const int status : {7, 8, 10}) {
        const NamedFiles sent = FilesNamedBy(Message(sentHeaders, "Hi"), status, kFolders);
        EXPECT_THAT(sent.paths,
                    ElementsAre("C:\\Docs\\cv.pdf", "C:\\Docs\\letter.doc", "C:\\Docs\\more.txt"));
    }
    // The header block names no converted file; no body, no lines.
    EXPECT_TRUE(
        FilesNamedBy("Attachment Converted: \"C:\\Mail\\Attach\\a.pdf\"\r\n\r\nHi", 1, kFolders)
            .paths.empty());
    EXPECT_TRUE(FilesNamedBy("Subject: x\r\nno blank line", 1, kFolders).paths.empty());
}

TEST(AttachmentNames, NamesOutsideTheFoldersOrThatNoPlainFileHasAreRefusedAndCounted) {
    const char* const refused[] = {
        "Attachment Converted: \"C:\\Mail\\Attach\\..\\..\\Windows\\win.ini\"",
        "Attachment Converted: \"C:\\Mail\\Attach\\sub\\..\\x.pdf\"",
        "Attachment Converted: \"E:\\Attach\\x.pdf\"",
        "Attachment Converted: \"C:\\Mail\\Attachments\\x.pdf\"",
        "Attachment Converted: \"\\\\server\\share\\x.pdf\"",
        "Attachment Converted: \"\\\\?\\C:\\Mail\\Attach\\x.pdf\"",
        "Attachment Converted: \"C:\\Mail\\Attach\\CON\"",
        "Attachment Converted: \"C:\\Mail\\Attach\\lpt1.txt\"",
        "Attachment Converted: \"C:\\Mail\\Attach\\x.pdf:hidden\"",
        "Attachment Converted: \"C:\\Mail\\Attach\\x?.pdf\"",
        "Attachment Converted: report.pdf",
        "Attachment Converted: \"C:\\Mail\\Attach\"",
        "Embedded Content: ..\\Attach\\x.pdf: 00000001,4e5d6f7a",
        "Embedded Content: nul: 00000001,4e5d6f7a",
    };
    std::string body;
    for (const char* line : refused) {
        body += std::string(line) + "\r\n";
    }
    const NamedFiles files = FilesNamedBy(Message("", body), 1, kFolders);
    EXPECT_TRUE(files.paths.empty()) << files.paths.front();
    EXPECT_EQ(static_cast<int>(std::size(refused)), files.refused);

    const NamedFiles sent = FilesNamedBy(
        Message("X-Attachments: C:\\Docs\\..\\x.pdf;AUX;C:\\a.txt:s;\r\n", ""), 8, kFolders);
    EXPECT_TRUE(sent.paths.empty());
    EXPECT_EQ(3, sent.refused);
}

TEST(AttachmentNames, TheHostsSettingsNameItsAttachmentFolderAndOursAddMore) {
    TempFolder mail;
    AttachmentFolders folders = HostAttachmentFolders(mail.path() + "\\", "");
    EXPECT_THAT(folders.attach, ElementsAre(mail / "Attach"));
    EXPECT_EQ(mail / "Embedded", folders.embedded);

    ASSERT_TRUE(WriteWholeFile(mail / "Eudora.ini", "[Settings]\r\nAttachDir=D:\\Files\\\r\n"));
    folders = HostAttachmentFolders(mail.path(), " E:\\Kept ; Saved;;\\\\?\\F:\\x");
    EXPECT_THAT(folders.attach, ElementsAre("D:\\Files", "E:\\Kept", mail / "Saved"));
}

} // namespace
