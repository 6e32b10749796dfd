// Every kind of message a mailbox may hold comes back from the archive byte
// for byte, with its status.
#include "tests/engine/engine_fixture.h"
#include "tests/reliability/varied_mail.h"

#include <gmock/gmock.h>

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::UnorderedElementsAreArray;

namespace {

TEST_F(EngineTest, VariedMailGoesToTheArchiveAndComesBackWhole) {
    std::vector<std::string> texts;
    std::vector<int> statuses;
    for (const VariedMessage& message : VariedMail()) {
        host.AddMessage("Work", message.text, message.status);
        texts.push_back(message.text);
        statuses.push_back(message.status);
    }
    const int count = static_cast<int>(texts.size());
    Start();

    ASSERT_EQ(count, Archive({"Work"}, true));
    EXPECT_TRUE(Messages("Work").empty());
    // The originals wait in Trash, last first as the task took them.
    EXPECT_THAT(Messages("Trash"), ElementsAreArray(texts.rbegin(), texts.rend()));
    EXPECT_THAT(Column(Rows("Mailbox_Work"), &ArchiveRow::message),
                UnorderedElementsAreArray(texts));
    EXPECT_THAT(Column(Rows("Mailbox_Work"), &ArchiveRow::status),
                UnorderedElementsAreArray(statuses));

    ASSERT_EQ(count, Restore({"Mailbox_Work"}, true));
    EXPECT_THAT(Messages("Work"), ElementsAreArray(texts));
    EXPECT_THAT(Statuses("Work"), ElementsAreArray(statuses));
    EXPECT_TRUE(Rows("Mailbox_Work").empty());
    EXPECT_TRUE(Messages("Pending").empty());
    EXPECT_THAT(Messages("Trash"), ElementsAreArray(texts.rbegin(), texts.rend()));
    EXPECT_THAT(BoxTexts(), ElementsAre());
}

} // namespace
