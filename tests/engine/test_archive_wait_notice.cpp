// The host's status line while a task waits its turn at a shared archive.
#include "engine/archive_wait_notice.h"
#include "tests/db/held_write_lock.h"
#include "tests/engine/engine_fixture.h"

#include <gmock/gmock.h>

namespace {

using ArchiveWaitNoticeTest = EngineTest;

TEST_F(ArchiveWaitNoticeTest, TheStatusLineSaysSoForTheLengthOfTheWait) {
    Start();
    const std::vector<std::string>& status = host.session().statusHistory();
    const size_t before = status.size();
    {
        const ArchiveWaitNotice notice(database);
        const HeldWriteLock other(database.GetConnectionString(), 400);
        EXPECT_TRUE(database.Execute("CREATE TABLE Mine (x INTEGER)"));
    }
    EXPECT_THAT(std::vector<std::string>(status.begin() + static_cast<long>(before), status.end()),
                ::testing::ElementsAre("waiting for the archive\x85", ""));
}

} // namespace
