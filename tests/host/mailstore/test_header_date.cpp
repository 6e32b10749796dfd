#include "testhost/mailstore/header_date.h"

#include <gtest/gtest.h>

namespace {

struct DateCase {
    const char* header;
    const char* shown;
};

TEST(HeaderDate, ShowsTheWallClockTimeOfEveryForm) {
    const DateCase cases[] = {
        {"Mon, 11 Dec 2006 10:00:00 +0100", "Mon 12/11/2006 10:00"},
        {"Tue, 2 Jan 2007 08:15:30 -0500", "Tue 01/02/2007 08:15"},
        {"3 Jan 2007 17:45 GMT", "Wed 01/03/2007 17:45"},
        {"Fri, 15 Jun 07 12:30:00 EST", "Fri 06/15/2007 12:30"},
        {"Fri, 1 Jan 99 00:00:00 UT", "Fri 01/01/1999 00:00"},
        {"1 Feb 101 10:00 PST", "Thu 02/01/2001 10:00"},
        {"Wed, 5 Sep 2007 09:05:00 +0200 (CEST)", "Wed 09/05/2007 09:05"},
        {"(sent) Sat, 29 Feb 2020 10:00 (leap (day)) z", "Sat 02/29/2020 10:00"},
        {"  Thu ,  24   dec  2009   23 : 59 : 59   +0100  ", "Thu 12/24/2009 23:59"},
        {"Sunday, 7 October 2012 07:07:07 +0000", "Sun 10/07/2012 07:07"},
        {"Mon, 11 Dec 2006 10:00:00", "Mon 12/11/2006 10:00"},
    };
    for (const DateCase& c : cases) {
        EXPECT_EQ(DisplayDateOfHeader(std::string(c.header)), c.shown) << c.header;
    }
}

TEST(HeaderDate, WorksOutTheWeekdayInsteadOfTrustingTheHeader) {
    EXPECT_EQ(DisplayDateOfHeader(std::string("Sun, 1 Jan 2000 12:00 +0000")),
              "Sat 01/01/2000 12:00");
}

TEST(HeaderDate, ShowsWhatIsNotADateAsItStands) {
    const DateCase cases[] = {
        {"  sometime next week \t", "sometime next week"},
        {"Mon, 29 Feb 2010 04:00:00 +0000", "Mon, 29 Feb 2010 04:00:00 +0000"},
        {"Mon, 11 Dec 2006 25:00:00 +0100", "Mon, 11 Dec 2006 25:00:00 +0100"},
        {"Mon, 11 Dec 2006 10:00:00 +0100 (unclosed", "Mon, 11 Dec 2006 10:00:00 +0100 (unclosed"},
        {"Mon, 11 Dec 2006 10:00:00 +0100 extra", "Mon, 11 Dec 2006 10:00:00 +0100 extra"},
        {"Mon, 11 Foo 2006 10:00:00", "Mon, 11 Foo 2006 10:00:00"},
        {"Dec 11 2006 10:00:00", "Dec 11 2006 10:00:00"},
    };
    for (const DateCase& c : cases) {
        EXPECT_EQ(DisplayDateOfHeader(std::string(c.header)), c.shown) << c.header;
    }
    EXPECT_EQ(DisplayDateOfHeader(std::nullopt), "");
}

} // namespace
