// The database engine is built here from source; make sure what we built is
// the engine we configured, and that it runs under the target platform.
#include <sqlite3.h>

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(SqliteBuild, ConfiguredAndWorking) {
    EXPECT_EQ(1, sqlite3_threadsafe());
    EXPECT_EQ(1, sqlite3_compileoption_used("OMIT_LOAD_EXTENSION"));
    EXPECT_EQ(1, sqlite3_compileoption_used("DQS=0"));

    sqlite3* db = nullptr;
    ASSERT_EQ(SQLITE_OK, sqlite3_open(":memory:", &db));
    ASSERT_EQ(SQLITE_OK,
              sqlite3_exec(db, "CREATE TABLE t(v TEXT); INSERT INTO t VALUES('caf\xC3\xA9');",
                           nullptr, nullptr, nullptr));
    // Double-quoted strings are identifiers only.
    EXPECT_NE(SQLITE_OK, sqlite3_exec(db, "SELECT \"nope\" FROM t", nullptr, nullptr, nullptr));
    sqlite3_stmt* statement = nullptr;
    ASSERT_EQ(SQLITE_OK, sqlite3_prepare_v2(db, "SELECT v FROM t", -1, &statement, nullptr));
    ASSERT_EQ(SQLITE_ROW, sqlite3_step(statement));
    EXPECT_EQ("caf\xC3\xA9",
              std::string(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0))));
    sqlite3_finalize(statement);
    sqlite3_close(db);
}

} // namespace
