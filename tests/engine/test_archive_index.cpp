// The index beside an archive kept current by the tasks' calls, caught up
// after changes made behind its back, and answering as the reading search.
#include "engine/archive_index.h"

#include "db/index_schema.h"
#include "db/message_search.h"
#include "tests/db/archive_fixture.h"

#include <gmock/gmock.h>

#include <sqlite3.h>

#include <algorithm>
#include <set>

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAreArray;

namespace {

class ArchiveIndexTest : public ArchiveTest {
protected:
    // A row as the archive task writes it, through a connection of its own
    // (another program, as the index sees it); its place.
    long long AddRow(const std::string& table, int id, const std::string& body) {
        if (!TableExists(connection_, table)) {
            EXPECT_TRUE(CreateMailboxTable(connection_, table, "C:\\mail\\" + table + ".mbx"));
        }
        CADODatabase database;
        OpenDatabase(database);
        CADORecordset writer(database);
        EXPECT_TRUE(writer.Open(table, CADORecordset::OpenTable));
        WriteRow(writer, id, "From: a@example.com\r\nSubject: s\r\n\r\n" + body);
        writer.Close();
        database.Close();
        sqlite3* db = nullptr;
        EXPECT_EQ(SQLITE_OK, sqlite3_open_v2(path_.c_str(), &db, SQLITE_OPEN_READONLY, nullptr));
        sqlite3_stmt* last = nullptr;
        sqlite3_prepare_v2(db, ("SELECT max(rowid) FROM " + table).c_str(), -1, &last, nullptr);
        sqlite3_step(last);
        const long long place = sqlite3_column_int64(last, 0);
        sqlite3_finalize(last);
        sqlite3_close(db);
        return place;
    }

    // Bytes over the start of a file another handle holds open.
    static void Overwrite(const std::string& path, const std::string& bytes) {
        const HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, file);
        DWORD written = 0;
        ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        ::CloseHandle(file);
    }

    void Execute(const std::string& sql) {
        CADODatabase database;
        OpenDatabase(database);
        database.Execute(sql);
    }

    void CatchUp(ArchiveIndex& index) {
        for (int slice = 0; slice < 1000; ++slice) {
            if (index.CatchUp(20).done) {
                return;
            }
        }
        ADD_FAILURE() << "the catch-up never ended";
    }

    static std::set<std::pair<std::string, long long>> Found(ArchiveIndex& index,
                                                             const std::string& words) {
        std::set<std::pair<std::string, long long>> found;
        for (const IndexHit& hit : index.Find(words, 1000)) {
            found.emplace(hit.table, hit.place);
        }
        return found;
    }
};

TEST_F(ArchiveIndexTest, TheTasksKeepItCurrentAndACatchUpRepairsChangesBehindIt) {
    const long long first = AddRow("Mailbox_In", 1, "alpha bravo");
    ArchiveIndex index(path_);
    CatchUp(index);
    EXPECT_TRUE(index.IsCurrent());

    // A task tells of its rows: current without a catch-up.
    const long long second = AddRow("Mailbox_In", 2, "alpha charlie");
    index.RowsAdded("Mailbox_In", {second});
    EXPECT_TRUE(index.IsCurrent());
    EXPECT_EQ(2, index.Count("alpha"));
    Execute("DELETE FROM Mailbox_In WHERE id = 1");
    index.RowsRemoved("Mailbox_In", {first});
    EXPECT_TRUE(index.IsCurrent());
    EXPECT_EQ(1, index.Count("alpha"));

    // Another program adds and removes rows, and a task's update fails:
    // each is behind until caught up, and then holds exactly the rows there.
    const long long third = AddRow("Mailbox_In", 3, "alpha delta");
    EXPECT_FALSE(index.IsCurrent());
    CatchUp(index);
    EXPECT_TRUE(index.IsCurrent());
    Execute("DELETE FROM Mailbox_In WHERE id = 2");
    const long long fourth = AddRow("Mailbox_In", 4, "alpha echo");
    EXPECT_FALSE(index.IsCurrent());
    index.RowsAdded("Mailbox_In", {fourth});
    EXPECT_FALSE(index.IsCurrent()) << "the removal behind its back still shows";
    {
        // The index is locked by another program past its wait.
        sqlite3* other = nullptr;
        ASSERT_EQ(SQLITE_OK, sqlite3_open(IndexPathFor(path_).c_str(), &other));
        ASSERT_EQ(SQLITE_OK, sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr));
        index.RowsAdded("Mailbox_In", {AddRow("Mailbox_In", 5, "alpha foxtrot")});
        sqlite3_close(other);
    }
    CatchUp(index);
    EXPECT_TRUE(index.IsCurrent());
    EXPECT_EQ((std::set<std::pair<std::string, long long>>{
                  {"Mailbox_In", third}, {"Mailbox_In", fourth}, {"Mailbox_In", fourth + 1}}),
              Found(index, "alpha"));

    // A table renamed takes its entries under its new name; one dropped
    // takes them away.
    AddRow("Mailbox_Work", 1, "golf");
    Execute("ALTER TABLE Mailbox_In RENAME TO Mailbox_Old");
    CatchUp(index);
    EXPECT_EQ((std::set<std::pair<std::string, long long>>{
                  {"Mailbox_Old", third}, {"Mailbox_Old", fourth}, {"Mailbox_Old", fourth + 1}}),
              Found(index, "alpha"));
    EXPECT_EQ(1u, Found(index, "golf").size());
    Execute("DROP TABLE Mailbox_Old");
    CatchUp(index);
    EXPECT_TRUE(index.IsCurrent());
    EXPECT_THAT(Found(index, "alpha"), IsEmpty());
    EXPECT_THAT(index.TakeLogLines(), IsEmpty());
}

TEST_F(ArchiveIndexTest, CatchesUpInSlicesAndMakesADamagedIndexAgain) {
    MakeMailbox("Mailbox_In", 300);
    MakeMailbox("Mailbox_Work", 150);
    ArchiveIndex index(path_);
    std::vector<int> percents;
    IndexProgress progress;
    do {
        progress = index.CatchUp(0);
        percents.push_back(progress.percent);
    } while (!progress.done && percents.size() < 100);
    EXPECT_TRUE(progress.done);
    EXPECT_GE(percents.size(), 3u);
    EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
    EXPECT_EQ(100, percents.back());
    EXPECT_EQ(2, index.Count("text 150"));

    // Damaged under a running program: the next use sets it aside.
    Overwrite(IndexPathFor(path_), std::string(8192, '\x5A'));
    EXPECT_EQ(-1, index.Count("300"));
    CatchUp(index);
    EXPECT_EQ(1, index.Count("300"));
    const std::vector<std::string> lines = index.TakeLogLines();
    ASSERT_EQ(1u, lines.size());
    EXPECT_THAT(lines[0], ::testing::HasSubstr(".index.bad"));
}

TEST_F(ArchiveIndexTest, AnArchiveMadeAnewUnderTheSameNameIsReadAnew) {
    for (int id = 1; id <= 3; ++id) {
        AddRow("Mailbox_In", id, "alpha");
    }
    CatchUp(*std::make_unique<ArchiveIndex>(path_));
    // Converted again, or copied from elsewhere: other messages at the same
    // places.
    ASSERT_TRUE(::DeleteFileA(path_.c_str()));
    ASSERT_TRUE(CreateArchiveDatabase(connection_));
    const long long first = AddRow("Mailbox_In", 7, "bravo");
    const long long second = AddRow("Mailbox_In", 8, "bravo");
    ArchiveIndex index(path_);
    EXPECT_FALSE(index.IsCurrent());
    CatchUp(index);
    EXPECT_THAT(Found(index, "alpha"), IsEmpty());
    EXPECT_EQ((std::set<std::pair<std::string, long long>>{{"Mailbox_In", first},
                                                           {"Mailbox_In", second}}),
              Found(index, "bravo"));
}

TEST_F(ArchiveIndexTest, FindsWhatTheReadingSearchFinds) {
    // Words none of which holds another, in the bodies only.
    const char* words[] = {"apple", "banana", "cherry", "damson", "elder", "fig"};
    for (int id = 1; id <= 60; ++id) {
        std::string body;
        for (int w = 0; w < 6; ++w) {
            if ((id >> w) & 1 || id % (w + 2) == 0) {
                body += std::string(words[w]) + (w % 2 ? ", " : " and ");
            }
        }
        AddRow(id % 3 ? "Mailbox_In" : "Mailbox_Work", id, body);
    }
    ArchiveIndex index(path_);
    CatchUp(index);
    CADODatabase database;
    OpenDatabase(database);
    const CaseFolder folder;
    for (const char* query :
         {"apple", "BANANA cherry", "damson elder fig", "fig apple", "Cherry Damson", "grape"}) {
        std::set<std::pair<std::string, long long>> read;
        for (const char* table : {"Mailbox_In", "Mailbox_Work"}) {
            const std::vector<std::string> typed = SearchWords(query);
            MessageSearch search(database, table, typed, folder);
            while (search.Step(25, [](long long) { return true; })) {
            }
            for (const auto& [rowid, mask] : search.TakeFound()) {
                if (mask == (1u << typed.size()) - 1) {
                    read.emplace(table, rowid);
                }
            }
        }
        EXPECT_EQ(read, Found(index, query)) << query;
        EXPECT_EQ(static_cast<long long>(read.size()), index.Count(query)) << query;
    }
}

} // namespace
