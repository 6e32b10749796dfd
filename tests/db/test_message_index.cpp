// The full-text index file beside an archive: made, set aside when it is no
// index of ours, searched by any text a user may type.
#include "db/index_query.h"
#include "db/index_schema.h"
#include "db/message_index.h"
#include "tests/test_support.h"

#include <gmock/gmock.h>

#include <sqlite3.h>

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

TEST(IndexPath, ReplacesTheExtension) {
    EXPECT_EQ("C:\\mail\\archive.index", IndexPathFor("C:\\mail\\archive.mdb"));
    EXPECT_EQ("C:\\mail\\archive.index", IndexPathFor("C:\\mail\\archive"));
    EXPECT_EQ("C:\\my.mail\\archive.index", IndexPathFor("C:\\my.mail\\archive"));
    EXPECT_EQ("C:\\mail\\.hidden.index", IndexPathFor("C:\\mail\\.hidden"));
}

class MessageIndexTest : public ::testing::Test {
protected:
    std::unique_ptr<MessageIndex> OpenIndex() {
        std::string notice;
        std::unique_ptr<MessageIndex> index = MessageIndex::Open(archive_, notice);
        notice_ = notice;
        return index;
    }

    static IndexDocument Document(long long place, long long dateKey, const std::string& body) {
        IndexDocument document;
        document.place = place;
        document.dateKey = dateKey;
        document.size = 2;
        document.dateText = "day " + std::to_string(dateKey);
        document.sender = "sender@example.com";
        document.subject = "Subject " + std::to_string(place);
        document.body = body;
        return document;
    }

    static std::vector<long long> Places(const std::vector<IndexHit>& hits) {
        std::vector<long long> places;
        for (const IndexHit& hit : hits) {
            places.push_back(hit.place);
        }
        return places;
    }

    TempFolder folder_;
    std::string archive_ = folder_ / "archive.mdb";
    std::string notice_;
};

TEST_F(MessageIndexTest, FindsWordsFoldedNewestFirstAndCountsAll) {
    std::unique_ptr<MessageIndex> index = OpenIndex();
    EXPECT_THAT(notice_, IsEmpty());
    {
        MessageIndex::Transaction transaction(*index);
        const long long table = index->TableId("Mailbox_In");
        index->Add(table, Document(1, 1000, "Lunch at the Caf\xC3\xA9 Lumi\xC3\xA8re"));
        index->Add(table, Document(2, 3000, "CAFETERIA closed"));
        index->Add(table, Document(3, 2000, "cafe au lait"));
        index->Add(table, Document(4, 0, "undated cafe"));
        index->Add(table, Document(5, 2500, "nothing to see"));
        transaction.Commit();
    }
    // Accents and case folded, words as prefixes, newest first, undated last.
    EXPECT_THAT(Places(FindInIndex(*index, "cafe", 10)), ElementsAre(2, 3, 1, 4));
    EXPECT_THAT(Places(FindInIndex(*index, "CAF\xC3\x89 lumi", 10)), ElementsAre(1));
    EXPECT_THAT(Places(FindInIndex(*index, "cafe", 2)), ElementsAre(2, 3));
    EXPECT_EQ(4, CountInIndex(*index, "cafe"));
    const std::vector<IndexHit> hits = FindInIndex(*index, "lait", 1);
    ASSERT_EQ(1u, hits.size());
    EXPECT_EQ(archive_, hits[0].archivePath);
    EXPECT_EQ("Mailbox_In", hits[0].table);
    EXPECT_EQ("Subject 3", hits[0].subject);
    EXPECT_EQ("day 2000", hits[0].dateText);

    // A removed message is found no more, though its words stay behind.
    {
        MessageIndex::Transaction transaction(*index);
        index->Remove(index->TableId("Mailbox_In"), 2);
        index->Add(index->TableId("Mailbox_In"), Document(3, 2000, "tea instead"));
        transaction.Commit();
    }
    EXPECT_EQ(2, index->StaleEntries());
    EXPECT_THAT(Places(FindInIndex(*index, "cafe", 10)), ElementsAre(1, 4));
    EXPECT_EQ(2, CountInIndex(*index, "cafe"));
    EXPECT_EQ(1, CountInIndex(*index, "tea"));
}

TEST_F(MessageIndexTest, AnyTypedTextIsWordsNeverSyntax) {
    std::unique_ptr<MessageIndex> index = OpenIndex();
    {
        MessageIndex::Transaction transaction(*index);
        const long long table = index->TableId("Mailbox_In");
        index->Add(table, Document(1, 1, "meet NEAR the station AND the e-mail OR phone"));
        index->Add(table, Document(2, 2, "words: quote \" star * minus - (brackets)"));
        transaction.Commit();
    }
    EXPECT_EQ("(\"near\") AND (\"and\")", IndexMatchExpression(*index, "NEAR AND"));
    EXPECT_THAT(Places(FindInIndex(*index, "NEAR", 10)), ElementsAre(1));
    EXPECT_THAT(Places(FindInIndex(*index, "station AND phone", 10)), ElementsAre(1));
    EXPECT_THAT(Places(FindInIndex(*index, "e-mail", 10)), ElementsAre(1));
    EXPECT_THAT(Places(FindInIndex(*index, "(brackets)", 10)), ElementsAre(2));
    EXPECT_THAT(Places(FindInIndex(*index, "station -phone", 10)), ElementsAre(1));
    for (const char* hostile : {"\"",
                                "\"\"",
                                "*",
                                "-",
                                "(",
                                ")",
                                "AND",
                                "OR",
                                "NOT",
                                "NEAR(",
                                "words:",
                                "^meet",
                                "{words}: x",
                                "\" OR \"1\"=\"1",
                                "meet\" OR \"",
                                "' ; DROP TABLE x; --",
                                "NEAR(meet station, 2)",
                                "\xFF\xFE",
                                "   ",
                                ""}) {
        EXPECT_NO_THROW(FindInIndex(*index, hostile, 10)) << hostile;
        EXPECT_NO_THROW(CountInIndex(*index, hostile)) << hostile;
    }
    EXPECT_THAT(FindInIndex(*index, "* - ( )", 10), IsEmpty());
    EXPECT_EQ(1, CountInIndex(*index, "\"OR\" AND"));
}

TEST_F(MessageIndexTest, AFileNotOursIsSetAsideAndMadeAgain) {
    const std::string path = IndexPathFor(archive_);
    // Not SQLite at all, beside an older file set aside.
    WriteBytes(path + ".bad", "older");
    WriteBytes(path, std::string(4096, 'x'));
    WriteBytes(path + "-journal", std::string(512, 'j'));
    std::unique_ptr<MessageIndex> index = OpenIndex();
    EXPECT_THAT(notice_, ::testing::HasSubstr("set aside as " + path + ".bad"));
    EXPECT_EQ(std::string(4096, 'x'), ReadBytes(path + ".bad"));
    {
        MessageIndex::Transaction transaction(*index);
        index->Add(index->TableId("Mailbox_In"), Document(1, 1, "kept"));
        transaction.Commit();
    }
    index.reset();
    index = OpenIndex();
    EXPECT_THAT(notice_, IsEmpty());
    EXPECT_EQ(1, CountInIndex(*index, "kept"));
    index.reset();

    // SQLite, but another program's file; then an index of another version.
    for (const char* sql : {"CREATE TABLE notes(text)", "PRAGMA user_version = 99"}) {
        if (std::string(sql).find("notes") != std::string::npos) {
            ::DeleteFileA(path.c_str());
        }
        sqlite3* db = nullptr;
        ASSERT_EQ(SQLITE_OK, sqlite3_open(path.c_str(), &db));
        EXPECT_EQ(SQLITE_OK, sqlite3_exec(db, sql, nullptr, nullptr, nullptr));
        sqlite3_close(db);
        index = OpenIndex();
        EXPECT_THAT(notice_, ::testing::HasSubstr("set aside")) << sql;
        EXPECT_EQ(0, CountInIndex(*index, "kept"));
        index.reset();
    }

    // Found damaged in use: set aside when asked.
    std::string notice;
    index = MessageIndex::Open(archive_, notice, true);
    EXPECT_THAT(notice, ::testing::HasSubstr("damaged"));
}

} // namespace
