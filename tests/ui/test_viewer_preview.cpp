// The viewer's preview: the page of the one selected message, the
// placeholder otherwise, and what a page may and may not hold.
#include "db/archive_schema.h"
#include "base/file_utils.h"
#include "tests/ui/viewer_fixture.h"
#include "ui/message_page.h"

#include <gmock/gmock.h>

namespace {

TEST_F(ArchiveViewerTest, OneSelectedRowShowsItsPageAndSeveralShowThePlaceholder) {
    CArchiveViewer& window = OpenViewer();
    const RECT first = [&] {
        RECT rect = {};
        rect.left = LVIR_BOUNDS;
        ::SendMessageA(window.list().hwnd(), LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&rect));
        return rect;
    }();
    // Row 1 is Ann's message once sorted by sender.
    ClickAt(window.list().hwnd(), {first.left + 20, first.bottom + (first.bottom - first.top) / 2});
    PumpWaitingMessages();
    ASSERT_EQ(1, window.list().SelectedCount());
    ASSERT_EQ(1, window.list().NextSelected(-1));
    // The header lines and the blank line go; line breaks get a tag.
    EXPECT_EQ(MessagePage("ann@example.com", "Budget", "team", "5/1/2007 9:15:00 AM", "Normal",
                          "First line\r\n<br>Second line"),
              Page());
    EXPECT_EQ(Page(), window.pageText());

    // No blank line: the whole text. Angle brackets go in as they are.
    Select({0});
    EXPECT_EQ(MessagePage("<bob@example.com>", "agenda", "carol", "12/1/2006 11:00:00 PM", "Normal",
                          "no blank line at all\r\n<br>second"),
              Page());
    // A body with tags of its own gets none added.
    Select({2});
    EXPECT_NE(std::string::npos, Page().find("Tagged<br>\r\nbody\r\n<br>\r\n</body>"));

    Select({0, 3});
    EXPECT_EQ(kPlaceholderPage, Page());
    Select({});
    EXPECT_EQ(kPlaceholderPage, Page());
    if (!window.preview().drawsPages()) {
        // Without an engine to draw pages the pane shows the text.
        Select({1});
        EXPECT_EQ("From: ann@example.com\r\nSubject: Budget\r\nTo: team\r\n"
                  "Date: 5/1/2007 9:15:00 AM\r\nPriority: Normal\r\n\r\nFirst line\r\nSecond line",
                  WindowText(window.preview().textBox()));
    }
}

TEST_F(ArchiveViewerTest, AMessageWithScriptAndControlsRunsNothingAndOpensNoWindow) {
    const std::string hostile =
        "<script>window.open(\"about:blank\");document.title=\"ran\"</script>"
        "<object classid=\"clsid:D27CDB6E-AE6D-11cf-96B8-444553540000\">"
        "</object>";
    {
        CADODatabase database;
        ASSERT_TRUE(database.Open(ArchiveConnectionString(DatabasePath())));
        ASSERT_TRUE(database.Execute("UPDATE [" + table_ + "] SET message = 'Subject: x\r\n\r\n" +
                                     hostile + "' WHERE Subject = 'memo'"));
    }
    CArchiveViewer& window = OpenViewer();
    const int windowsBefore = VisibleWindowsOfThisThread();
    Select({3});
    PumpFor(300);
    // The page carries the message as it is; what the pane does with it is
    // the point.
    EXPECT_NE(std::string::npos, Page().find(hostile));
    EXPECT_EQ(windowsBefore, VisibleWindowsOfThisThread());
    EXPECT_EQ("Work", WindowText(window.hwnd()));
    if (!window.preview().drawsPages()) {
        EXPECT_NE(std::string::npos, WindowText(window.preview().textBox()).find(hostile));
    }
}

TEST(MessagePage, TheTextBoxGetsCrLfBreaksAndNoLineItWouldTakeSecondsToLayOut) {
    EXPECT_EQ("a\r\nb\r\n\r\nc\r\n", TextBoxForm("a\nb\r\rc\r\n"));
    std::string words;
    while (words.size() < 5000) {
        words += "word" + std::to_string(words.size()) + " ";
    }
    const std::string text = "Subject: x\r\n\r\n" + words + std::string(3000, 'z') + "\r\nend";
    std::vector<std::string> lines;
    SplitText(TextBoxForm(text), '\n', lines);
    std::string joined;
    for (const std::string& line : lines) {
        EXPECT_LE(line.size(), kLongestTextBoxLine + 1) << line;
        joined += line.substr(0, line.size() - (line.back() == '\r' ? 1 : 0));
    }
    // Words are broken after a space; a run without one where it must be.
    EXPECT_EQ(' ', lines.at(2).at(lines[2].size() - 2));
    EXPECT_GT(lines.size(), 10u);
    std::string original = text;
    ReplaceAll(original, "\r\n", "");
    EXPECT_EQ(original, joined);
    // A line of two-byte characters breaks between them.
    std::string greek;
    for (int i = 0; i < 700; ++i) {
        greek += "\xCE\xB1";
    }
    const std::string broken = TextBoxForm("x" + greek);
    ASSERT_NE(std::string::npos, broken.find("\r\n"));
    EXPECT_EQ("\xCE\xB1", broken.substr(broken.find("\r\n") + 2, 2));
}

TEST(MessagePage, APageKeepsTheCodePagesBytesAndNamesTheCharactersItLacks) {
    const std::string ordinary = "<div>Caf\xC3\xA9 &amp; cr\xC3\xA8me</div>";
    EXPECT_EQ("<div>Caf\xE9 &amp; cr\xE8me</div>", PageBytes(ordinary));
    // Omega, an ideograph and a character beyond the first 65,536.
    EXPECT_EQ("\xE9 &#937; &#26085; &#128512; <br>",
              PageBytes("\xC3\xA9 \xCE\xA9 \xE6\x97\xA5 \xF0\x9F\x98\x80 <br>"));
}

TEST(MessagePage, BodyKeepsItsLineBreaksUnlessItCarriesTagsOfItsOwn) {
    EXPECT_EQ("a\r\n<br>b", PreviewBody("H: 1\r\n\r\na\r\nb"));
    EXPECT_EQ("H: 1\r\n<br>a", PreviewBody("H: 1\r\na"));
    EXPECT_EQ("<BR>a\r\nb", PreviewBody("\r\n\r\n<BR>a\r\nb"));
    EXPECT_EQ("<Br>a\r\n<br>b", PreviewBody("<Br>a\r\nb"));
    // Each value is put in once per placeholder, in order, as it stands.
    ViewerRow row;
    row.SetText(ViewerText::kFrom, "%SUBJECT%");
    row.SetText(ViewerText::kSubject, "<b>");
    EXPECT_EQ("<b> <b> %RAW_TEXT%",
              ComposeMessagePage("%FROM% %SUBJECT% %RAW_TEXT%", row, "%RAW_TEXT%"));
}

} // namespace
