#include "plugin/version_info.h"

#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

std::string ProgramPath() {
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

// The test program carries the plug-in's own version resource.
TEST(VersionInfo, ReadsTheShippedStrings) {
    VersionInfoReader reader;
    ASSERT_TRUE(reader.Load(ProgramPath()));
    EXPECT_EQ(0x040904b0u, reader.Translation());
    EXPECT_EQ("Message Stowlark for Eudora", reader.ProductName());
    EXPECT_FALSE(reader.LegalNotice().empty());
    EXPECT_EQ("Message Stowlark for Eudora", reader.GetString("ProductName", 0x040904b0));
    EXPECT_EQ("", reader.GetString("ProductName", 0x04070000)) << "no German string table";
    EXPECT_EQ("", reader.GetString("NoSuchKey"));

    const std::string display = DisplayVersion(reader.ProductVersion());
    EXPECT_EQ(3, std::count(display.begin(), display.end(), '.'));
    EXPECT_EQ(std::string::npos, display.find(' '));

    reader.Release();
    EXPECT_EQ(0u, reader.Translation());
    EXPECT_EQ("", reader.ProductName());
}

TEST(VersionInfo, FilesWithoutAResourceGiveNothing) {
    TempFolder folder;
    WriteBytes(folder / "plain.dll", "not a program");
    VersionInfoReader reader;
    EXPECT_FALSE(reader.Load(folder / "plain.dll"));
    EXPECT_FALSE(reader.Load(folder / "missing.dll"));
    EXPECT_EQ("", reader.ProductName());
    EXPECT_EQ(0u, reader.Translation());
}

TEST(VersionInfo, DisplayVersionJoinsFourNumbersWithDots) {
    EXPECT_EQ("2.2.0.1", DisplayVersion("2, 2, 0, 1"));
    EXPECT_EQ("10.0.3.44", DisplayVersion("10,0,3,44"));
    EXPECT_EQ("1.2.0.0", DisplayVersion("1, 2"));
    EXPECT_EQ("0.0.0.0", DisplayVersion(""));
}

} // namespace
