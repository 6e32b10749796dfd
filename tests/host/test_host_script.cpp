// The test host's script language: what a line means, and what it refuses.
#include "testhost/host_script.h"

#include <gmock/gmock.h>

using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

TEST(HostScript, ReadsWordsQuotedTextsAndSkipsCommentsAndBlankLines) {
    const std::vector<ScriptStep> steps =
        ParseHostScript("# a comment\r\n\r\n  tick mailboxes \"Old \"\"2005\"\" mail\"\r\n"
                        "wait-task 60\nchoose Status Read");
    ASSERT_EQ(3u, steps.size());
    EXPECT_EQ(3, steps[0].line);
    EXPECT_EQ("tick", steps[0].verb);
    EXPECT_THAT(steps[0].arguments, ElementsAre("mailboxes", "Old \"2005\" mail"));
    EXPECT_THAT(steps[1].arguments, ElementsAre("60"));
    EXPECT_EQ(5, steps[2].line);
}

TEST(HostScript, RefusesWhatItCannotPlayNamingTheLine) {
    const auto problem = [](const std::string& text) {
        try {
            ParseHostScript(text);
        } catch (const std::invalid_argument& refused) {
            return std::string(refused.what());
        }
        return std::string("accepted");
    };
    EXPECT_THAT(problem("\nfly away"), HasSubstr("line 2: unknown step \"fly\""));
    EXPECT_THAT(problem("press"), HasSubstr("takes 1 argument"));
    EXPECT_THAT(problem("sleep 1 2"), HasSubstr("takes 1 argument"));
    EXPECT_THAT(problem("tick folders In"), HasSubstr("\"mailboxes\" or \"archives\""));
    EXPECT_THAT(problem("type \"From-Field alice"), HasSubstr("no closing quote"));
}

} // namespace
