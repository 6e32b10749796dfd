// The Jet reader on files other programs wrote: mail-archive.mdb (made with
// a separate Jet writer from mail-archive-rows.py) and, where the folder
// beside the clone has them, the shared fixtures. What mdbtools reads of the
// same files is checked on the Linux side (check-jet-reader.py).
#include "db/jet/jet_database.h"
#include "base/ansi_text.h"
#include "base/file_utils.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <random>

namespace {

std::string OwnFixture() {
    return WinePath(STOWLARK_JET_FIXTURES "/mail-archive.mdb");
}
std::string SharedFixture(const char* name) {
    return WinePath(std::string(STOWLARK_SHARED_JET_FIXTURES "/") + name);
}

const JetTable& TableNamed(const JetDatabase& database, const std::wstring& name) {
    for (const JetTable& table : database.tables()) {
        if (table.name == name) {
            return table;
        }
    }
    throw std::runtime_error("no table " + AnsiFromWide(name));
}

std::vector<std::vector<JetValue>> Rows(const JetDatabase& database, const std::wstring& name) {
    std::unique_ptr<TableScan> scan = database.Scan(TableNamed(database, name));
    std::vector<std::vector<JetValue>> rows;
    std::vector<JetValue> row;
    while (scan->Next(row)) {
        rows.push_back(row);
    }
    return rows;
}

// The bytes a message had before the archive task turned them into text:
// code page 1252, whose five undefined bytes Windows maps to U+0081...
std::string CodePageBytes(const std::wstring& text) {
    int length = WideCharToMultiByte(1252, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                     0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(1252, 0, text.data(), static_cast<int>(text.size()), &bytes[0], length,
                        nullptr, nullptr);
    return bytes;
}

enum Column { kId, kS, kP, kFrom, kDate, kSize, kSubject, kTo, kMessage };

// Reads every row of every table; the count of rows, or the reader's error.
size_t ReadEverything(const std::string& path) {
    JetDatabase database(path);
    size_t rows = 0;
    for (const JetTable& table : database.tables()) {
        std::unique_ptr<TableScan> scan = database.Scan(table);
        std::vector<JetValue> row;
        while (scan->Next(row)) {
            ++rows;
        }
    }
    return rows;
}

} // namespace

TEST(JetReaderTest, ListsTheTablesWithTheirColumnsAndProperties) {
    JetDatabase database(OwnFixture());
    EXPECT_TRUE(database.header().format->jet4);
    EXPECT_EQ(1252, database.header().codePage);
    EXPECT_FALSE(database.header().hasPassword);
    std::vector<std::wstring> names;
    for (const JetTable& table : database.tables()) {
        names.push_back(table.name);
    }
    EXPECT_EQ(
        (std::vector<std::wstring>{L"Mailbox_In", L"Mailbox_Empty", L"Mailbox_Big", L"Notes"}),
        names);
    const JetTable& in = TableNamed(database, L"Mailbox_In");
    std::vector<std::wstring> columns;
    for (const JetColumn& column : in.definition.columns) {
        columns.push_back(column.name);
    }
    EXPECT_EQ((std::vector<std::wstring>{L"id", L"S", L"P", L"From", L"Date", L"Size", L"Subject",
                                         L"To", L"message"}),
              columns);
    EXPECT_EQ(L"C:\\Mail\\In.mbx", in.ColumnProperty(L"id", L"Description").text);
    EXPECT_EQ(1, in.ColumnProperty(L"message", L"AllowZeroLength").integer);
    EXPECT_TRUE(in.ColumnProperty(L"S", L"AllowZeroLength").IsNull());
    EXPECT_TRUE(TableNamed(database, L"Notes").ColumnProperty(L"id", L"Description").IsNull());
    EXPECT_EQ(0u, Rows(database, L"Mailbox_Empty").size());
    std::vector<std::vector<JetValue>> big = Rows(database, L"Mailbox_Big");
    ASSERT_EQ(400u, big.size());
    for (size_t i = 0; i < big.size(); ++i) {
        EXPECT_EQ(static_cast<int64_t>(1000 + i), big[i][kId].integer);
    }
}

TEST(JetReaderTest, MessagesComeBackByteForByteWithTheirNullsAndRepeatedIds) {
    JetDatabase database(OwnFixture());
    std::vector<std::vector<JetValue>> rows = Rows(database, L"Mailbox_In");
    ASSERT_EQ(7u, rows.size());
    // Inline, on one long-value page, and chained over many.
    EXPECT_EQ("Subject: Every byte\r\n\r\n" + EveryByteButZero(),
              CodePageBytes(rows[0][kMessage].text));
    EXPECT_EQ(
        "Subject: Long\r\n\r\n" +
            NumberedLines("Line %05d of a long message, long enough to span many pages.\r\n", 700),
        CodePageBytes(rows[1][kMessage].text));
    EXPECT_EQ("Subject: Medium\r\n\r\n" + NumberedLines("Medium line %03d.\r\n", 150),
              CodePageBytes(rows[2][kMessage].text));
    EXPECT_EQ("x", CodePageBytes(rows[6][kMessage].text));

    EXPECT_EQ(4, rows[3][kId].integer);
    EXPECT_TRUE(rows[3][kP].IsNull());
    EXPECT_TRUE(rows[3][kDate].IsNull());
    ASSERT_EQ(JetValueKind::Text, rows[3][kSubject].kind);
    EXPECT_EQ(L"", rows[3][kSubject].text);
    EXPECT_EQ(4, rows[4][kId].integer);
    EXPECT_EQ(6, rows[4][kS].integer);

    // Text code page 1252 cannot carry stays as it was written.
    EXPECT_EQ(L"\u4f60\u597d \u0395\u03bb\u03bb\u03ac\u03b4\u03b1", rows[5][kSubject].text);
    EXPECT_EQ(L"\u0395\u03bb\u03bb\u03ac\u03b4\u03b1 <gr@example.gr>", rows[5][kFrom].text);
}

TEST(JetReaderTest, TheSharedArchiveSampleByteForByte) {
    std::string path = SharedFixture("archive-sample.mdb");
    if (!FileExists(path)) {
        GTEST_SKIP() << "../shared/jet/fixtures is not beside this clone";
    }
    JetDatabase database(path);
    std::vector<std::vector<JetValue>> rows = Rows(database, L"Mailbox_In");
    ASSERT_EQ(12u, rows.size());
    EXPECT_NE(std::string::npos,
              CodePageBytes(rows[2][kMessage].text).find("\x81\x8D\x8F\x90\x9D"));
    std::string every = CodePageBytes(rows[3][kMessage].text);
    EXPECT_EQ(EveryByteButZero(), every.substr(every.size() - 255));
    std::string longText = CodePageBytes(rows[4][kMessage].text);
    std::string lines =
        NumberedLines("Line %05d of a long message, long enough to span many pages.\r\n", 1700);
    EXPECT_EQ(lines, longText.substr(longText.size() - lines.size()));
    std::string medium = CodePageBytes(rows[5][kMessage].text);
    EXPECT_EQ(NumberedLines("Medium line %03d.\r\n", 150), medium.substr(medium.size() - 150 * 18));
    EXPECT_TRUE(rows[8][kP].IsNull());
    EXPECT_TRUE(rows[8][kDate].IsNull());
    EXPECT_EQ(rows[8][kId].integer, rows[9][kId].integer);
    EXPECT_NE(std::wstring::npos, rows[10][kMessage].text.find(L"\u4f60\u597d"));
    EXPECT_EQ(3000u, Rows(database, L"Mailbox_Big").size());
}

TEST(JetBadFileTest, ShortEmptyAndLaterFormatFilesAreRefusedAndLeftAsTheyWere) {
    TempFolder folder;
    std::string good = ReadBytes(OwnFixture());
    struct Case {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"empty.mdb", ""},
        {"half.mdb", good.substr(0, good.size() / 2)},
        {"ragged.mdb", good.substr(0, good.size() - 100)},
        {"ace.mdb", good.substr(0, 4) + std::string("Standard ACE DB") + '\0' + good.substr(20)},
        {"text.mdb", "From: someone\r\n\r\nnot a database at all"},
    };
    for (const Case& c : cases) {
        std::string path = folder / c.name;
        WriteBytes(path, c.bytes);
        try {
            ReadEverything(path);
            ADD_FAILURE() << c.name << " was read";
        } catch (const JetNotSupported& error) {
            EXPECT_STREQ("ace.mdb", c.name) << error.what();
            EXPECT_NE(std::string::npos, std::string(error.what()).find("not supported"));
        } catch (const JetError& error) {
            EXPECT_STRNE("ace.mdb", c.name) << error.what();
        }
        EXPECT_EQ(c.bytes, ReadBytes(path)) << c.name;
    }
}

TEST(JetBadFileTest, ADamagedDataPageIsNamedWithItsTable) {
    TempFolder folder;
    std::string bytes = ReadBytes(OwnFixture());
    uint32_t page = 0;
    {
        JetDatabase database(OwnFixture());
        std::unique_ptr<TableScan> scan = database.Scan(TableNamed(database, L"Mailbox_Big"));
        std::vector<JetValue> row;
        for (int i = 0; i < 200 && scan->Next(row); ++i) {
        }
        page = scan->page();
    }
    std::mt19937 random(18);
    for (size_t i = 0; i < 4096; ++i) {
        bytes[page * 4096 + i] = static_cast<char>(random());
    }
    std::string path = folder / "damaged.mdb";
    WriteBytes(path, bytes);
    try {
        ReadEverything(path);
        FAIL() << "a damaged page was read";
    } catch (const JetError& error) {
        std::string text = error.what();
        EXPECT_NE(std::string::npos, text.find("'Mailbox_Big'")) << text;
        EXPECT_NE(std::string::npos, text.find("page " + std::to_string(page))) << text;
    }
    EXPECT_EQ(bytes, ReadBytes(path));
}

// Every page in turn, then scattered bytes, replaced at random: the reader
// reads or refuses, and never crashes or loops. A fixed number of tries
// keeps it to a few seconds.
TEST(JetBadFileTest, RandomDamageIsReadOrRefusedNeverFatal) {
    TempFolder folder;
    std::vector<std::string> files = {OwnFixture()};
    for (const char* name :
         {"archive-sample.mdb", "access-northwind-jet3.mdb", "access-datetest-jet4.mdb"}) {
        if (FileExists(SharedFixture(name))) {
            files.push_back(SharedFixture(name));
        }
    }
    std::mt19937 random(2026);
    std::string path = folder / "fuzz.mdb";
    int refused = 0;
    for (const std::string& file : files) {
        const std::string original = ReadBytes(file);
        size_t pageSize = original[0x14] == 0 ? 2048 : 4096;
        size_t pages = original.size() / pageSize;
        for (int attempt = 0; attempt < 60; ++attempt) {
            std::string bytes = original;
            if (attempt % 2 == 0 && pages > 1) {
                size_t page = 1 + random() % (pages - 1);
                for (size_t i = 0; i < pageSize; ++i) {
                    bytes[page * pageSize + i] = static_cast<char>(random());
                }
            } else {
                for (int n = 1 + random() % 16; n > 0; --n) {
                    bytes[random() % bytes.size()] = static_cast<char>(random());
                }
            }
            WriteBytes(path, bytes);
            try {
                ReadEverything(path);
            } catch (const JetError&) {
                ++refused;
            }
        }
    }
    EXPECT_GT(refused, 0);
}
