#include "testhost/mailstore/mbox_format.h"
#include "testhost/mailstore/message_headers.h"
#include "testhost/mailstore/message_priority.h"

#include <gtest/gtest.h>

namespace {

TEST(SeparatorLine, TellsRecordStartsFromTextThatOnlyLooksLikeThem) {
    for (const char* line :
         {"From ???@??? Wed Jan 10 12:00:00 2007", "From ???@??? Fri Jan  5 00:00:00 2007",
          "From ???@??? Fri Jan 05 23:59:59 2007", "From ???@??? Sun Dec 31 01:02:03 1999"}) {
        EXPECT_TRUE(IsSeparatorLine(line)) << line;
    }
    for (const char* line :
         {"From ???@??? Wed Jan 10 12:00:00 2007 ", "From ???@??? Wed Jan 10 12:00 2007",
          "From ???@??? Wed Jan 10 12:00:00 07", "From ???@??? Wed Jan 32 12:00:00 2007",
          "From ???@??? Wed Jan 0 12:00:00 2007", "From ???@??? wed Jan 10 12:00:00 2007",
          "From ???@??? Wed Jann 10 12:00:00 2007",
          "From anna@example.com Wed Jan 10 12:00:00 2007",
          ">From ???@??? Wed Jan 10 12:00:00 2007", "From what I can see we are on track."}) {
        EXPECT_FALSE(IsSeparatorLine(line)) << line;
    }
}

TEST(SeparatorLine, IsWrittenWithTheComputedWeekdayAndNoLeadingZero) {
    EXPECT_EQ(SeparatorLine(CivilTime{2007, 1, 10, 12, 0, 0}),
              "From ???@??? Wed Jan 10 12:00:00 2007\r\n");
    EXPECT_EQ(SeparatorLine(CivilTime{2006, 12, 4, 9, 5, 7}),
              "From ???@??? Mon Dec 4 09:05:07 2006\r\n");
}

TEST(SeparatorLine, IsFoundInAMessageWhereverItWouldStartALine) {
    EXPECT_TRUE(HoldsSeparatorLine("From ???@??? Wed Jan 10 12:00:00 2007\r\nbody"));
    EXPECT_TRUE(HoldsSeparatorLine("a\nFrom ???@??? Wed Jan 10 12:00:00 2007\nb"));
    // Unfinished, the record's closing CR LF finishes it.
    EXPECT_TRUE(HoldsSeparatorLine("a\r\nFrom ???@??? Wed Jan 10 12:00:00 2007"));
    EXPECT_FALSE(HoldsSeparatorLine("a\r\nFrom ???@??? Wed Jan 10 12:00:00 2007\r"));
    EXPECT_FALSE(HoldsSeparatorLine("a\rFrom ???@??? Wed Jan 10 12:00:00 2007\r\n"));
    EXPECT_FALSE(HoldsSeparatorLine("a\r\n From ???@??? Wed Jan 10 12:00:00 2007\r\n"));
}

TEST(MessageHeaders, UnfoldsTrimsAndSearchesOnlyTheHeaderBlock) {
    const std::string message = "Subject: first\r\n"
                                "\tfolded  \r\n"
                                "  again\r\n"
                                "to :   Anna <anna@example.com>\r\n"
                                "X-Empty:\r\n"
                                "SUBJECT: second\r\n"
                                "\r\n"
                                "From: not a header\r\n";
    const std::string headers = message.substr(0, HeaderBlockEnd(message).value());
    EXPECT_EQ(FindHeader(headers, "Subject"), "first\tfolded    again");
    EXPECT_EQ(FindHeader(headers, "To"), "Anna <anna@example.com>");
    EXPECT_EQ(FindHeader(headers, "X-Empty"), "");
    EXPECT_EQ(FindHeader(headers, "From"), std::nullopt);
    EXPECT_EQ(FindHeader(headers, "Subj"), std::nullopt);
}

TEST(MessageHeaders, BlockEndsAtTheFirstBlankLineWhateverTheLineEnds) {
    EXPECT_EQ(HeaderBlockEnd("A: 1\nB: 2\n\nbody"), 10u);
    EXPECT_EQ(HeaderBlockEnd("\r\nbody"), 0u);
    EXPECT_EQ(HeaderBlockEnd("A: 1\r\nB: 2\r\n"), std::nullopt);
    // A CR alone at the end may yet become a blank line once more is read.
    EXPECT_EQ(HeaderBlockEnd("A: 1\r\n\r"), std::nullopt);
}

TEST(MessagePriority, ComesFromTheFirstCharacterOfXPriority) {
    EXPECT_EQ(PriorityOfHeader(std::string("1 (Highest)")), 1);
    EXPECT_EQ(PriorityOfHeader(std::string("5")), 5);
    EXPECT_EQ(PriorityOfHeader(std::string("6")), 0);
    EXPECT_EQ(PriorityOfHeader(std::string("0")), 0);
    EXPECT_EQ(PriorityOfHeader(std::string("High")), 0);
    EXPECT_EQ(PriorityOfHeader(std::nullopt), 0);
    const char* const texts[] = {"", "Highest", "High", "Normal", "Low", "Lowest", ""};
    for (int32_t priority = 0; priority <= 6; ++priority) {
        EXPECT_EQ(PriorityText(priority), texts[priority]);
    }
}

} // namespace
