#include "base/settings.h"
#include "base/settings_keys.h"

#include "base/file_utils.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

namespace {

class SettingsFile : public ::testing::Test {
protected:
    TempFolder folder;
    std::string file = folder / "stowlark.ini";
};

TEST_F(SettingsFile, MissingFileGivesTheDefaults) {
    EXPECT_EQ(401, ReadSetting(settings::kViewerWidth, file));
    EXPECT_EQ(201, ReadSetting(settings::kViewerHeight, file));
    EXPECT_EQ(0, ReadSetting(settings::kViewerLeft, file));
    EXPECT_EQ(0, ReadSetting(settings::kViewerTop, file));
    EXPECT_EQ(71, ReadSetting(settings::kViewerSplitterTop, file));
    for (const IntSetting& column : {settings::kFromColumnWidth, settings::kSubjectColumnWidth,
                                     settings::kToColumnWidth, settings::kDateColumnWidth}) {
        EXPECT_EQ(100, ReadSetting(column, file)) << column.key;
    }
    EXPECT_EQ(50, ReadSetting(settings::kSizeColumnWidth, file));
    EXPECT_EQ(8, ReadSetting(settings::kMatchStatus, file));
    EXPECT_EQ(2, ReadSetting(settings::kMatchPriority, file));
    EXPECT_EQ(1, ReadSetting(settings::kLogAfterTasks, file));
    EXPECT_EQ("", ReadSetting(settings::kLocation, file));
    EXPECT_FALSE(FileExists(file)) << "reading never creates the file";
}

TEST_F(SettingsFile, IntegersReadLikeTheLeadingNumberOfTheText) {
    WriteBytes(file, "[Filters]\r\nMatchStatus=abc\r\nMatchPriority= 12\r\nStatus=\r\n"
                     "Date=-3x\r\n");
    EXPECT_EQ(0, ReadSetting(settings::kMatchStatus, file));
    EXPECT_EQ(12, ReadSetting(settings::kMatchPriority, file));
    EXPECT_EQ(-3, ReadSetting(settings::kDateFilter, file));
    // Present but empty is 0, not the default: the user cleared it.
    EXPECT_EQ(0, ReadInt("Filters", "Status", 7, file));
    EXPECT_EQ(7, ReadInt("Filters", "Missing", 7, file));
}

TEST_F(SettingsFile, WrittenValuesReadBack) {
    WriteSetting(settings::kDeleteArchived, 1, file);
    WriteSetting(settings::kViewerLeft, -1200, file);
    WriteSetting(settings::kMatchSubject, "Quarterly report", file);
    EXPECT_NE(std::string::npos, ReadBytes(file).find("DeleteArchived=1"));
    EXPECT_EQ(-1200, ReadSetting(settings::kViewerLeft, file));
    EXPECT_EQ("Quarterly report", ReadSetting(settings::kMatchSubject, file));

    WriteSetting(settings::kDeleteArchived, 0, file);
    EXPECT_EQ(0, ReadSetting(settings::kDeleteArchived, file));
}

TEST_F(SettingsFile, KeyNamesMatchExistingFiles) {
    WriteBytes(file, "[Filters]\r\nFrom-Filed=1\r\nTo-Field=1\r\n[Log]\r\nDisplayOnStartUp=1\r\n"
                     "[Global Column Widths]\r\nSize=75\r\n");
    EXPECT_EQ(1, ReadSetting(settings::kFromFilter, file));
    EXPECT_EQ(1, ReadSetting(settings::kToFilter, file));
    EXPECT_EQ(1, ReadSetting(settings::kLogOnStartUp, file));
    EXPECT_EQ(75, ReadSetting(settings::kSizeColumnWidth, file));
}

TEST_F(SettingsFile, LongTextsAreCutTo254Characters) {
    WriteText("Filters", "MatchFrom", std::string(300, 'x'), file);
    EXPECT_EQ(std::string(254, 'x'), ReadText("Filters", "MatchFrom", "", file));
}

TEST_F(SettingsFile, ALineBreakInAValueCannotAddKeys) {
    WriteSetting(settings::kMatchSubject, "hello\r\n[Settings]\r\nLocation=C:\\evil.mdb", file);
    EXPECT_EQ("", ReadSetting(settings::kLocation, file));
    EXPECT_EQ("hello  [Settings]  Location=C:\\evil.mdb",
              ReadSetting(settings::kMatchSubject, file));
}

} // namespace
