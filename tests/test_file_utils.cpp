#include "base/file_utils.h"

#include "tests/test_support.h"

#include <gtest/gtest.h>

namespace {

class FileUtils : public ::testing::Test {
protected:
    TempFolder folder;
};

TEST_F(FileUtils, ShortPathsAreNeverFilesOrDirectories) {
    // Three characters cannot be a real path on the host: a drive root at most.
    char saved[MAX_PATH];
    ::GetCurrentDirectoryA(MAX_PATH, saved);
    ASSERT_TRUE(::SetCurrentDirectoryA(folder.path().c_str()));
    WriteBytes(folder / "x.t", "data");
    EXPECT_FALSE(FileExists("x.t"));
    EXPECT_TRUE(FileExists(folder / "x.t"));
    ::SetCurrentDirectoryA(saved);

    EXPECT_FALSE(IsDirectory("C:\\"));
    EXPECT_TRUE(IsDirectory(folder.path()));
    EXPECT_FALSE(IsDirectory(folder / "x.t"));
    EXPECT_FALSE(IsDirectory(folder / "missing"));
    EXPECT_TRUE(FileExists(folder.path())) << "a directory is an entry too";
    EXPECT_FALSE(FileExists(folder / "missing.txt"));
}

TEST(PathText, DirectoryAndFileNames) {
    EXPECT_EQ("C:\\Mail", DirectoryOf("C:\\Mail\\x.dll\\"));
    EXPECT_EQ("C:\\Mail", DirectoryOf("C:\\Mail\\x.dll"));
    EXPECT_EQ("", DirectoryOf("x.dll"));
    EXPECT_EQ("", DirectoryOf("\\\\"));
    EXPECT_EQ("archive", FileNameOf("C:\\Mail\\archive.mdb", false));
    EXPECT_EQ("archive.mdb", FileNameOf("C:\\Mail\\archive.mdb", true));
    EXPECT_EQ("archive.old", FileNameOf("archive.old.mdb", false));
    EXPECT_EQ("README", FileNameOf("C:\\README", false));
}

TEST(PathText, SanitizedNamesAreUsableFileNames) {
    EXPECT_EQ("Re Hi", SanitizeFileName("Re: Hi?"));
    EXPECT_EQ("file", SanitizeFileName(":*?"));
    EXPECT_EQ("file", SanitizeFileName(""));
    EXPECT_EQ("a.b-c_d", SanitizeFileName("a.b-c_d"));
    EXPECT_EQ("ab", SanitizeFileName("a\\/:*?!\"'<>|b"));
    EXPECT_EQ(std::string("Caf\xE9"), SanitizeFileName("Caf\xE9"))
        << "letters of the code page stay";
    EXPECT_EQ(255u, SanitizeFileName(std::string(300, 'n')).size());
    EXPECT_EQ(std::string(255, 'n'), SanitizeFileName(std::string(256, 'n')));
    EXPECT_EQ(std::string(255, 'n'), SanitizeFileName(std::string(255, 'n')));
}

TEST_F(FileUtils, UniqueNamesAccumulateDigits) {
    for (const char* name : {"preview.htm", "preview1.htm", "preview12.htm"}) {
        WriteBytes(folder / name, "taken");
    }
    const std::string path = MakeFilePath(folder.path(), "preview", "htm", true, false);
    EXPECT_EQ(folder / "preview123.htm", path);
    EXPECT_TRUE(FileExists(path));
    EXPECT_EQ("taken", ReadBytes(folder / "preview1.htm")) << "existing files stay untouched";

    // A gap in the sequence is not filled: preview2 is never tried.
    TempFolder other;
    WriteBytes(other / "preview.htm", "taken");
    WriteBytes(other / "preview2.htm", "taken");
    EXPECT_EQ(other / "preview1.htm", MakeFilePath(other.path(), "preview", "htm", true, true));
    EXPECT_FALSE(FileExists(other / "preview1.htm")) << "left uncreated";
}

TEST_F(FileUtils, MakeFilePathCreatesOneMissingLevelOnly) {
    const std::string path = MakeFilePath(folder / "new", "Re: x", "txt", false, false);
    EXPECT_EQ(folder / "new\\Re x.txt", path);
    EXPECT_TRUE(FileExists(path));
    EXPECT_EQ("", MakeFilePath(folder / "a\\b", "x", "txt", false, false));

    WriteBytes(folder / "keep.txt", "old content");
    EXPECT_EQ(folder / "keep.txt", MakeFilePath(folder.path(), "keep", "txt", false, false));
    EXPECT_EQ("", ReadBytes(folder / "keep.txt")) << "created afresh without the unique flag";
}

TEST_F(FileUtils, WholeFilesKeepEveryByte) {
    const std::string all = EveryByteButZero() + "\r\n\n\r";
    const std::string path = folder / "bytes.bin";
    ASSERT_TRUE(WriteWholeFile(path, all));
    EXPECT_EQ(all, ReadBytes(path)) << "no line-end translation, no terminator";
    EXPECT_EQ(all, ReadWholeFile(path));

    ASSERT_TRUE(WriteWholeFile(path, "short"));
    EXPECT_EQ("short", ReadBytes(path)) << "rewriting truncates";
    ASSERT_TRUE(WriteWholeFile(path, ""));
    EXPECT_EQ("", ReadBytes(path));

    WriteBytes(path, std::string("text\0after", 10));
    EXPECT_EQ("text", ReadWholeFile(path)) << "the text ends at the first zero byte";

    EXPECT_FALSE(WriteWholeFile(folder / "missing\\x.txt", "x"));
}

TEST_F(FileUtils, ReadingAMissingFileShowsOneErrorBox) {
    MessageBoxCapture boxes;
    EXPECT_EQ("", ReadWholeFile(folder / "nothing.txt"));
    ASSERT_EQ(1u, boxes.boxes().size());
    EXPECT_NE(std::string::npos, boxes.boxes()[0].text.find(folder / "nothing.txt"));
    EXPECT_EQ(CStowlarkApp::kAppName, boxes.boxes()[0].caption);
}

TEST_F(FileUtils, AppendLineWritesCrLfLines) {
    const std::string path = folder / "log.txt";
    EXPECT_TRUE(AppendLine(path, ""));
    EXPECT_TRUE(FileExists(path));
    EXPECT_EQ("", ReadBytes(path)) << "an empty text creates the file and writes nothing";

    EXPECT_TRUE(AppendLine(path, "first"));
    EXPECT_TRUE(AppendLine(path, "second\nthird"));
    EXPECT_EQ("first\r\nsecond\r\nthird\r\n", ReadBytes(path));

    WriteBytes(path, "kept");
    EXPECT_TRUE(AppendLine(path, "more"));
    EXPECT_EQ("keptmore\r\n", ReadBytes(path)) << "appends at the end, never truncates";

    EXPECT_FALSE(AppendLine(folder / "missing\\log.txt", "x"));
}

TEST(TempDirectory, IsADirectoryWithoutTrailingBackslash) {
    const std::string temp = TempDirectory();
    ASSERT_FALSE(temp.empty());
    EXPECT_NE('\\', temp.back());
    EXPECT_TRUE(IsDirectory(temp));
}

TEST(TextSplitting, KeepsEmptySegmentsAndAppends) {
    std::vector<std::string> parts = {"earlier"};
    EXPECT_EQ(5, SplitText("a,,b,", ',', parts));
    EXPECT_EQ((std::vector<std::string>{"earlier", "a", "", "b", ""}), parts);

    std::vector<std::string> single;
    EXPECT_EQ(1, SplitText("", ',', single));
    EXPECT_EQ("", single[0]);
}

TEST(TextSplitting, FirstSlashWordFindsTheDate) {
    EXPECT_EQ("12/06/2006", FirstSlashWord("Mon 12/06/2006 10:00"));
    EXPECT_EQ("1/2/2007", FirstSlashWord("1/2/2007\t"));
    EXPECT_EQ("a/b", FirstSlashWord("x  a/b c/d"));
    EXPECT_EQ("", FirstSlashWord("Mon 10:00"));
    EXPECT_EQ("", FirstSlashWord(""));
}

} // namespace
