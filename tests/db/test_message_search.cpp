// Finding messages by words: case ignored in any script, in the forms the
// archive file keeps the texts in, a slice at a time.
#include "db/message_search.h"
#include "tests/db/archive_fixture.h"

#include <gmock/gmock.h>

#include <map>

using ::testing::ElementsAre;

namespace {

TEST(SearchWords, SplitAtWhiteSpaceAndKeepAtMost32) {
    EXPECT_THAT(SearchWords("  caf\xC3\xA9\t bill\r\n"), ElementsAre("caf\xC3\xA9", "bill"));
    EXPECT_TRUE(SearchWords(" \t ").empty());
    std::string many;
    for (int i = 0; i < 40; ++i) {
        many += "w" + std::to_string(i) + " ";
    }
    EXPECT_EQ(32u, SearchWords(many).size());
}

class MessageSearchTest : public ArchiveTest {};

TEST_F(MessageSearchTest, FindsEveryWordIgnoringCaseInAnyScript) {
    const char* texts[] = {
        "Subject: menu\r\n\r\nCAF\xC9 au lait, \x8A"
        "koda", // É and Š in upper case
        "Subject: other\r\n\r\nnothing here",
        "Subject: third\r\n\r\ncaf\xE9 and \x9Akoda", // é and š
    };
    ASSERT_TRUE(CreateMailboxTable(connection_, "Mailbox_In", "C:\\mail\\In.mbx"));
    CADODatabase database;
    OpenDatabase(database);
    CADORecordset writer(database);
    ASSERT_TRUE(writer.Open("Mailbox_In", CADORecordset::OpenTable));
    for (int id = 1; id <= 3; ++id) {
        WriteRow(writer, id, texts[id - 1]);
    }
    writer.Close();

    // Alpha-beta-gamma in lower case, and in upper case.
    ASSERT_TRUE(database.Execute("UPDATE Mailbox_In SET message = message || ' ' || "
                                 "char(945, 946, 947) WHERE id = 3"));

    const CaseFolder folder;
    EXPECT_EQ("caf\xE9 \x9Akoda \xFF", folder.FoldAnsi("CAF\xC9 \x8AKODA \x9F"));
    // A letter whose lower case takes a byte more, many of them, and bytes
    // that are no UTF-8 fold without harm.
    std::string capitals;
    std::string lower;
    for (int i = 0; i < 40; ++i) {
        capitals += "\xC8\xBA";
        lower += "\xE2\xB1\xA5";
    }
    EXPECT_EQ("caf\xC3\xA9 \xCE\xB1 " + lower + " \xFF\xC3",
              folder.FoldUtf8("CAF\xC3\x89 \xCE\x91 " + capitals + " \xFF\xC3"));
    MessageSearch search(database, "Mailbox_In",
                         {"Caf\xC3\xA9", "\xC5\xA0KODA", "lait", "\xCE\x91\xCE\x92\xCE\x93"},
                         folder);
    // Two rows a slice; the second row is not wanted, so it is not read.
    std::map<long long, uint32_t> found;
    int steps = 0;
    while (search.Step(2, [](long long rowid) { return rowid != 2; })) {
        ++steps;
    }
    for (const auto& [rowid, words] : search.TakeFound()) {
        found[rowid] = words;
    }
    EXPECT_EQ(1, steps);
    EXPECT_EQ(3, search.readUpTo());
    EXPECT_EQ((std::map<long long, uint32_t>{{1, 7u}, {3, 11u}}), found);
}

} // namespace
