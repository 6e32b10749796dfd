#include "testhost/mailstore/sample_mail.h"

#include "base/file_utils.h"
#include "testhost/mailstore/attachment_files.h"
#include "testhost/mailstore/mailbox_file.h"
#include "testhost/mailstore/sample_files.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace {

TEST(SampleMailFolder, HoldsVariedMailboxesInNestedFolders) {
    TempFolder folder;
    const std::string data = folder / "Data";
    WriteSampleMailFolder(data);

    const DWORD plugins = ::GetFileAttributesA((data + "\\Plugins").c_str());
    EXPECT_TRUE(plugins != INVALID_FILE_ATTRIBUTES && (plugins & FILE_ATTRIBUTE_DIRECTORY));
    size_t total = 0;
    std::set<int32_t> statuses;
    std::set<int32_t> priorities;
    std::set<std::string> dates;
    for (const char* name : {"In", "Out", "Trash", "Work", "Projects.fol\\Alpha",
                             "Projects.fol\\Beta", "Projects.fol\\Old.fol\\2005"}) {
        MailboxFile mailbox(data + "\\" + name + ".mbx");
        mailbox.Load();
        EXPECT_FALSE(ReadBytes(data + "\\" + name + ".toc").empty()) << name;
        EXPECT_GE(mailbox.Count(), 1u) << name;
        total += mailbox.Count();
        for (size_t i = 0; i < mailbox.Count(); ++i) {
            statuses.insert(mailbox.Entry(i).status);
            priorities.insert(mailbox.Entry(i).priority);
            dates.insert(mailbox.Entry(i).date);
            EXPECT_FALSE(mailbox.HeaderField(i, kFieldSubject).empty()) << name << " " << i;
        }
    }
    EXPECT_GE(total, 20u);
    EXPECT_EQ(statuses, (std::set<int32_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(priorities, (std::set<int32_t>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(dates.count(""), 1u);
    EXPECT_EQ(dates.count("sometime next week"), 1u);
}

// The messages name their files by the folder's path, and nothing else differs.
TEST(SampleMailFolder, IsTheSameEveryTimeAndNeverOverwritesMail) {
    TempFolder first;
    TempFolder second;
    WriteSampleMailFolder(first.path());
    WriteSampleMailFolder(second.path());
    std::string firstIn = ReadBytes(first / "In.mbx");
    std::string secondIn = ReadBytes(second / "In.mbx");
    ReplaceAll(firstIn, first.path(), "<mail>");
    ReplaceAll(secondIn, second.path(), "<mail>");
    EXPECT_EQ(firstIn, secondIn);
    EXPECT_NE(std::string::npos, firstIn.find("\"<mail>\\Attach\\Q4 figures.xls\""));
    EXPECT_TRUE(ReadBytes(first / kLargeSampleFile) == ReadBytes(second / kLargeSampleFile));

    const std::string in = ReadBytes(first / "In.mbx");
    EXPECT_THROW(WriteSampleMailFolder(first.path()), StoreError);
    EXPECT_EQ(ReadBytes(first / "In.mbx"), in);
}

// Each form the host writes, a file two mailboxes name, one named but gone,
// and a sent message's files, one of them outside the host's folders.
TEST(SampleMailFolder, NamesFilesBesideItsMessagesInEveryFormTheHostWrites) {
    TempFolder folder;
    const std::string data = folder.path();
    WriteSampleMailFolder(data);

    std::map<std::string, std::set<std::string>> mailboxesNaming;
    for (const char* name : {"In", "Out", "Trash", "Work"}) {
        MailboxFile mailbox(data + "\\" + name + ".mbx");
        mailbox.Load();
        for (size_t i = 0; i < mailbox.Count(); ++i) {
            for (const std::string& file : KeptFilesNamedBy(
                     mailbox.RawText(i), HostAttachFolder(data), HostEmbeddedFolder(data))) {
                mailboxesNaming[file.substr(data.size() + 1)].insert(name);
            }
        }
    }
    using Names = std::set<std::string>;
    EXPECT_EQ(mailboxesNaming, (std::map<std::string, Names>{
                                   {"Attach\\Q4 figures.xls", Names{"In", "Work"}},
                                   {"Attach\\itinerary.pdf", Names{"In"}},
                                   {"Embedded\\image001.gif", Names{"In"}},
                                   {"Attach\\claim form.html", Names{"Trash"}},
                                   {"Attach\\release-1.0-rc1.zip", Names{"Work"}},
                                   {"Attach\\build.log", Names{"Work"}},
                                   {"Embedded\\chart001.gif", Names{"Work"}},
                               }));
    for (const auto& named : mailboxesNaming) {
        EXPECT_EQ(named.first != "Attach\\itinerary.pdf", FileExists(data + "\\" + named.first))
            << named.first;
    }
    WIN32_FILE_ATTRIBUTE_DATA large = {};
    ASSERT_TRUE(::GetFileAttributesExA((data + "\\" + kLargeSampleFile).c_str(),
                                       GetFileExInfoStandard, &large));
    EXPECT_EQ(kLargeSampleFileSize, (uint64_t{large.nFileSizeHigh} << 32) | large.nFileSizeLow);

    MailboxFile out(data + "\\Out.mbx");
    out.Load();
    const std::string sent = "X-Attachments: " + data + "\\Documents\\directions.txt; " + data +
                             "\\Attach\\menu.pdf\r\n";
    EXPECT_NE(std::string::npos, out.RawText(1).find(sent));
    EXPECT_EQ(8, out.Entry(1).status);
    EXPECT_TRUE(FileExists(data + "\\Documents\\directions.txt"));
    EXPECT_TRUE(FileExists(data + "\\Attach\\menu.pdf"));
}

} // namespace
