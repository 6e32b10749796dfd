// The filter: what it stores, what it refuses, what it selects and how the
// log describes it.
#include "engine/message_filter.h"
#include "mailbox/date_formats.h"
#include "tests/test_support.h"

#include <gmock/gmock.h>

namespace {

DATE Day(const char* text) {
    return ParseLocaleDate(text).value();
}

std::string Ini(const std::string& file, const char* key) {
    char value[256];
    ::GetPrivateProfileStringA("Filters", key, "(missing)", value, sizeof value, file.c_str());
    return value;
}

FilterCandidate Message(const std::string& from, const std::string& date = "Wed 12/06/2006 10:00") {
    FilterCandidate message;
    message.status = 1;
    message.priority = "High";
    message.from = from;
    message.date = date;
    message.subject = "Quarterly report";
    message.to = "team@example.com";
    return message;
}

TEST(MessageFilterSettings, AFreshFileGivesEveryMessageAndTodaysRange) {
    TempFolder folder;
    MessageFilter filter;
    filter.loadFromSettings(folder / "stowlark.ini");
    EXPECT_TRUE(filter.allMessages);
    EXPECT_FALSE(filter.statusOn || filter.priorityOn || filter.fromOn || filter.dateOn ||
                 filter.subjectOn || filter.toOn || filter.matchAll);
    EXPECT_EQ(8, filter.statusIndex);
    EXPECT_EQ("Sent", filter.statusText);
    EXPECT_EQ(2, filter.priorityIndex);
    EXPECT_EQ("Normal", filter.priorityText);
    EXPECT_EQ(Today(), filter.dateStart);
    EXPECT_EQ(Today(), filter.dateEnd);
}

TEST(MessageFilterSettings, WhatIsSavedLoadsBackUnderTheFilesOwnKeys) {
    TempFolder folder;
    const std::string file = folder / "stowlark.ini";
    MessageFilter saved;
    saved.allMessages = false;
    saved.statusOn = true;
    saved.statusIndex = 1;
    saved.priorityOn = true;
    saved.priorityIndex = 4;
    saved.fromOn = true;
    saved.fromText = "anna@example.com";
    saved.dateOn = true;
    saved.dateStart = Day("12/1/2006");
    saved.dateEnd = Day("1/31/2007");
    saved.subjectText = "kept while off";
    saved.matchAll = true;
    saved.saveToSettings(file);

    // The sender test has always been stored under this spelling.
    EXPECT_EQ("1", Ini(file, "From-Filed"));
    EXPECT_EQ("12/1/2006", Ini(file, "DateStart"));
    EXPECT_EQ("1/31/2007", Ini(file, "DateEnd"));

    MessageFilter loaded;
    loaded.loadFromSettings(file);
    EXPECT_FALSE(loaded.allMessages);
    EXPECT_TRUE(loaded.statusOn && loaded.priorityOn && loaded.fromOn && loaded.dateOn);
    EXPECT_FALSE(loaded.subjectOn || loaded.toOn);
    EXPECT_EQ("Read", loaded.statusText);
    EXPECT_EQ("Lowest", loaded.priorityText);
    EXPECT_EQ("anna@example.com", loaded.fromText);
    EXPECT_EQ("kept while off", loaded.subjectText);
    EXPECT_EQ(saved.dateStart, loaded.dateStart);
    EXPECT_EQ(saved.dateEnd, loaded.dateEnd);
    EXPECT_TRUE(loaded.matchAll);
}

TEST(MessageFilterSettings, AnUnreadableDateBecomesToday) {
    TempFolder folder;
    const std::string file = folder / "stowlark.ini";
    ::WritePrivateProfileStringA("Filters", "DateStart", "someday", file.c_str());
    ::WritePrivateProfileStringA("Filters", "DateEnd", "", file.c_str());
    MessageFilter filter;
    filter.loadFromSettings(file);
    EXPECT_EQ(Today(), filter.dateStart);
    EXPECT_EQ(Today(), filter.dateEnd);
}

TEST(MessageFilterValidation, NamesTheFirstProblemOnly) {
    MessageFilter filter;
    filter.allMessages = false;
    filter.fromOn = filter.subjectOn = filter.toOn = true;
    EXPECT_EQ("Please select at least one mail-box.", filter.validate(0, false));
    EXPECT_EQ("Please select at least one mail-archive.", filter.validate(0, true));
    EXPECT_EQ("Filter not specified. Please specify From-field.", filter.validate(2, false));
    filter.fromText = "a";
    EXPECT_EQ("Filter not specified. Please specify Subject-field.", filter.validate(1, true));
    filter.subjectText = "b";
    EXPECT_EQ("Filter not specified. Please specify To-field.", filter.validate(1, false));
    filter.toText = "c";
    EXPECT_EQ("", filter.validate(1, false));

    // One day is a range; the day before the start is not. The times of
    // day do not count.
    filter.dateOn = true;
    filter.dateStart = *ParseLocaleDateTime("12/4/2006 11:00 PM");
    filter.dateEnd = *ParseLocaleDateTime("12/4/2006 1:00 AM");
    EXPECT_EQ("", filter.validate(1, false));
    filter.dateEnd = *ParseLocaleDate("12/3/2006");
    EXPECT_THAT(filter.validate(1, true), ::testing::HasSubstr("ends before it starts"));
}

TEST(MessageFilterMatching, TextTestsAreCaseSensitiveSubstrings) {
    MessageFilter filter;
    filter.allMessages = false;
    filter.fromOn = true;
    filter.fromText = "anna";
    EXPECT_TRUE(filter.matches(Message("hanna@example.com")));
    EXPECT_FALSE(filter.matches(Message("Anna <ANNA@example.com>")));
    // An archived row with no sender holds this text.
    filter.fromText = "Specified";
    EXPECT_TRUE(filter.matches(Message("Not Specified")));
}

TEST(MessageFilterMatching, HeaderTestsMatchTheTextAsSentOrAsDecoded) {
    MessageFilter filter;
    filter.allMessages = false;
    filter.matchAll = true;
    filter.fromOn = filter.subjectOn = filter.toOn = true;
    filter.fromText = "J\xFCrgen";
    filter.subjectText = "Gr\xFC\xDF"; // "Grüße" begins so
    filter.toText = "team";
    FilterCandidate message = Message("=?UTF-8?B?SsO8cmdlbg==?= <j@example.com>");
    message.subject = "Re: =?utf-8?Q?Gr=C3=BC=C3=9Fe?= aus Bonn";
    EXPECT_TRUE(filter.matches(message));

    // The decoded text keeps the case rule; the text as sent still counts.
    filter.subjectText = "gr\xFC\xDF";
    EXPECT_FALSE(filter.matches(message));
    filter.subjectText = "=?utf-8?Q?Gr";
    EXPECT_TRUE(filter.matches(message));
    filter.fromText = "Juergen";
    EXPECT_FALSE(filter.matches(message));
}

TEST(MessageFilterMatching, TheDateRangeHoldsBothEndsAndReadsTheSlashedWord) {
    MessageFilter filter;
    filter.allMessages = false;
    filter.dateOn = true;
    filter.dateStart = Day("12/6/2006");
    filter.dateEnd = Day("12/8/2006");
    EXPECT_TRUE(filter.matches(Message("a", "Wed 12/06/2006 23:59")));
    EXPECT_TRUE(filter.matches(Message("a", "Fri 12/08/2006 10:00")));
    EXPECT_FALSE(filter.matches(Message("a", "Tue 12/05/2006 10:00")));
    EXPECT_FALSE(filter.matches(Message("a", "Sat 12/09/2006 00:00")));
    // Written with a month name there is no slashed word to read.
    EXPECT_FALSE(filter.matches(Message("a", "Wed, 6 Dec 2006 10:00:00")));
    EXPECT_FALSE(filter.matches(Message("a", "No Date")));

    filter.dateStart = Day("12/9/2006");
    EXPECT_FALSE(filter.matches(Message("a", "Thu 12/07/2006 10:00")));
    // Under "Any Filter" another test still selects it.
    filter.fromOn = true;
    filter.fromText = "a";
    EXPECT_TRUE(filter.matches(Message("a", "Thu 12/07/2006 10:00")));
}

TEST(MessageFilterMatching, AllFiltersNeedsEveryTestAndAnyFilterOne) {
    MessageFilter filter;
    filter.allMessages = false;
    filter.statusOn = true;
    filter.statusIndex = 1;
    filter.priorityOn = true;
    filter.priorityText = "Normal";
    const FilterCandidate read = Message("x"); // status 1, priority "High"
    EXPECT_TRUE(filter.matches(read));
    filter.matchAll = true;
    EXPECT_FALSE(filter.matches(read));
    filter.priorityText = "High";
    EXPECT_TRUE(filter.matches(read));

    // One test alone selects the same messages under either rule.
    filter.priorityOn = false;
    FilterCandidate unread = read;
    unread.status = 0;
    EXPECT_TRUE(filter.matches(read));
    EXPECT_FALSE(filter.matches(unread));
    filter.matchAll = false;
    EXPECT_FALSE(filter.matches(unread));

    filter.allMessages = true;
    EXPECT_TRUE(filter.matches(unread));
}

TEST(MessageFilterMatching, AnEmptyHostPriorityPassesNoPriorityTest) {
    MessageFilter filter;
    filter.allMessages = false;
    filter.priorityOn = true;
    FilterCandidate message = Message("x");
    message.priority = "";
    EXPECT_FALSE(filter.matches(message));
    message.priority = "Normal"; // as the archive stores it
    EXPECT_TRUE(filter.matches(message));
}

TEST(MessageFilterDescription, ListsTheTestsThatAreOnInTheirOrder) {
    MessageFilter filter;
    EXPECT_EQ("None", filter.describe());

    filter.allMessages = false;
    filter.statusOn = true;
    filter.statusText = "Read";
    filter.priorityOn = true;
    filter.priorityText = "High";
    filter.matchAll = true;
    EXPECT_EQ("\n\tStatus - Read\n\tPriority - High\nMatch: All Filters", filter.describe());

    filter.statusOn = filter.priorityOn = false;
    filter.dateOn = filter.fromOn = filter.subjectOn = filter.toOn = true;
    filter.dateStart = Day("12/1/2006");
    filter.dateEnd = Day("1/31/2007");
    filter.fromText = "anna";
    filter.subjectText = "report";
    filter.toText = "team";
    filter.matchAll = false;
    EXPECT_EQ("\n\tDate Range 12/1/2006 - 1/31/2007\n\t'From' contains anna"
              "\n\t'Subject' contains report\n\t'To' contains team\nMatch: Any Filter",
              filter.describe());
}

} // namespace
