#include "testhost/mailstore/sample_mail.h"

#include "testhost/mailstore/mailbox_file.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

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

TEST(SampleMailFolder, IsTheSameEveryTimeAndNeverOverwritesMail) {
    TempFolder first;
    TempFolder second;
    WriteSampleMailFolder(first.path());
    WriteSampleMailFolder(second.path());
    EXPECT_EQ(ReadBytes(first / "In.mbx"), ReadBytes(second / "In.mbx"));

    const std::string in = ReadBytes(first / "In.mbx");
    EXPECT_THROW(WriteSampleMailFolder(first.path()), StoreError);
    EXPECT_EQ(ReadBytes(first / "In.mbx"), in);
}

} // namespace
