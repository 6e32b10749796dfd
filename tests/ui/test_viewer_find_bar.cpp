// The viewer's find bar: the list narrowed to the rows holding every word,
// in their headers as they read or in their message text, in any script.
#include "db/archive_schema.h"
#include "base/file_utils.h"
#include "testhost/mailstore/mailbox_file.h"
#include "tests/ui/viewer_fixture.h"
#include "ui/viewer_find_bar.h"

#include <gmock/gmock.h>

namespace {

// The bar on its own, over rows it holds no archive for: the headers decide.
TEST(FindBar, EveryWordMustBeInTheHeadersAndTheCountSaysHowManyOfAllAreFound) {
    std::vector<ViewerRow> rows(1200);
    for (size_t i = 0; i < rows.size(); ++i) {
        rows[i].SetTexts({"Normal", i % 2 ? "Ann <ann@example.com>" : "bob",
                          "Report " + std::to_string(i), "team", "5/1/2007"});
    }
    rows[7].SetText(ViewerText::kSubject, "Caf\xC3\xA9 budget");
    const UniqueWindow parent(::CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 10,
                                                10, nullptr, nullptr, nullptr, nullptr));
    CFindBar bar(rows);
    bar.Create(parent.get(), 1);
    EXPECT_TRUE(bar.Open());
    EXPECT_FALSE(bar.Open());

    const auto search = [&](const char* text) {
        ::SetWindowTextA(bar.field(), text);
        bar.Start(nullptr, "Mailbox_Work");
        std::vector<int> view;
        for (int row = 0; row < static_cast<int>(rows.size()); ++row) {
            if (bar.Matches(row)) {
                view.push_back(row);
            }
        }
        return view;
    };
    EXPECT_EQ(600u, search("  ANN  ").size());
    EXPECT_EQ(" \x97 600 of 1,200", bar.CountText(search("ann")));
    EXPECT_EQ(std::vector<int>{7}, search("BUDGET caf\xC9 ann"));
    EXPECT_TRUE(search("budget bob").empty());
    EXPECT_FALSE(bar.searching());

    // An empty field narrows nothing, and rows read anew are all shown.
    EXPECT_EQ(1200u, search("").size());
    EXPECT_FALSE(bar.narrowing());
    EXPECT_EQ("", bar.CountText({}));
    search("ann");
    rows.resize(3);
    bar.Forget();
    bar.Close();
    EXPECT_FALSE(::IsWindowVisible(bar.field()));
    EXPECT_EQ(3u, search("").size());
}

TEST_F(ArchiveViewerTest, FindNarrowsTheListToTheRowsHoldingEveryWord) {
    CArchiveViewer& window = OpenViewer();
    ::MoveWindow(window.hwnd(), 0, 0, 600, 400, TRUE);
    const auto subjects = [&] {
        std::vector<std::string> shown;
        for (int row = 0; row < window.list().ItemCount(); ++row) {
            shown.push_back(window.RowAt(row)->subject());
        }
        return shown;
    };
    const std::vector<std::string> all = subjects();
    const auto find = [&](const char* text) {
        ::SetWindowTextA(window.findField(), text);
        EXPECT_TRUE(PumpUntil([&] { return !window.searching(); }));
        PumpWaitingMessages();
        return subjects();
    };
    // In the order the list had, of those it had.
    const auto inOrder = [&](std::initializer_list<const char*> wanted) {
        std::vector<std::string> expected;
        for (const std::string& subject : all) {
            for (const char* want : wanted) {
                if (subject == want) {
                    expected.push_back(subject);
                }
            }
        }
        return expected;
    };
    const auto at = std::find(all.begin(), all.end(), "Zebra") - all.begin();
    Select({static_cast<int>(at)});

    PressKey(window.list().hwnd(), 'F', true);
    EXPECT_EQ(window.findField(), ::GetFocus());
    RECT field = {};
    RECT list = {};
    ::GetWindowRect(window.findField(), &field);
    ::GetWindowRect(window.list().hwnd(), &list);
    EXPECT_LE(field.bottom, list.top);

    EXPECT_EQ(inOrder({"Budget", "Zebra"}), find("ANN")); // a sender and a recipient
    EXPECT_EQ("Work \x97 2 of 4", WindowText(window.hwnd()));
    // The selected row keeps its mark while it stays.
    EXPECT_EQ(inOrder({"Zebra"}), find("tagged ZEBRA"));
    EXPECT_EQ(0, window.list().NextSelected(-1));
    EXPECT_EQ(inOrder({"agenda", "Budget"}), find("second")); // in the message texts
    EXPECT_EQ(-1, window.list().NextSelected(-1));
    EXPECT_EQ(inOrder({"Budget"}), find("  ann   Second "));
    EXPECT_EQ(inOrder({"Budget"}), find("5/1/2007"));
    EXPECT_TRUE(find("ann short").empty());
    EXPECT_EQ(all, find(""));
    EXPECT_EQ("Work", WindowText(window.hwnd()));

    // The next keystroke drops a search under way.
    ::SetWindowTextA(window.findField(), "line");
    EXPECT_EQ(inOrder({"memo"}), find("short"));

    PressKey(window.findField(), VK_ESCAPE);
    PumpWaitingMessages();
    EXPECT_FALSE(::IsWindowVisible(window.findField()));
    EXPECT_EQ(all, subjects());
}

TEST_F(ArchiveViewerTest, EncodedHeadersShowSortAndAreFoundAsTheyRead) {
    {
        CADODatabase database;
        ASSERT_TRUE(database.Open(ArchiveConnectionString(DatabasePath())));
        const char* subjects[] = {"=?UTF-8?Q?Caf=C3=A9_cr=C3=A8me?=", "=?ISO-8859-1?B?QXByaWw=?=",
                                  "=?utf-8?q?broken", "Zz plain"};
        for (int row = 0; row < 4; ++row) {
            ASSERT_TRUE(database.Execute("UPDATE [" + table_ + "] SET Subject = '" + subjects[row] +
                                         "' WHERE rowid = " + std::to_string(row + 1)));
        }
    }
    CArchiveViewer& window = OpenViewer();
    ClickHeader(viewer_column::kSubject);
    std::vector<std::string> shown;
    for (int row = 0; row < window.list().ItemCount(); ++row) {
        shown.push_back(window.RowAt(row)->subject());
    }
    const char* const cafe = "Caf\xC3\xA9 cr\xC3\xA8me";
    EXPECT_THAT(shown,
                ::testing::UnorderedElementsAre(cafe, "April", "=?utf-8?q?broken", "Zz plain"));
    const auto at = [&](const char* subject) {
        return std::find(shown.begin(), shown.end(), subject) - shown.begin();
    };
    const bool ascending = at("April") < at("Zz plain");
    EXPECT_EQ(ascending, at("April") < at(cafe));
    EXPECT_EQ(ascending, at(cafe) < at("Zz plain"));

    PressKey(window.list().hwnd(), 'F', true);
    ::SetWindowTextA(window.findField(), "CAF\xC9");
    EXPECT_TRUE(PumpUntil([&] { return !window.searching(); }));
    ASSERT_EQ(1, window.list().ItemCount());
    EXPECT_EQ(cafe, window.RowAt(0)->subject());
}

// A converted Jet archive may hold any script: the list, the preview and
// Find show and match it whole, and "Save As..." never writes a "?" for it.
TEST_F(ArchiveViewerTest, TextOfAnyScriptShowsIsFoundAndIsNeverSavedAsQuestionMarks) {
    {
        CADODatabase database;
        ASSERT_TRUE(database.Open(ArchiveConnectionString(DatabasePath())));
        // Alpha-lambda-phi-alpha, the subject's two ideographs in an encoded
        // word, and alpha-beta-gamma in the message.
        ASSERT_TRUE(database.Execute(
            "UPDATE [" + table_ +
            "] SET [From] = char(913, 955, 966, 945) || ' <a@example.com>', "
            "Subject = '=?UTF-8?B?5pel5pys?= report', message = 'Subject: x' || "
            "char(13, 10, 13, 10) || 'caf' || char(233) || ' ' || char(945, 946, 947) "
            "WHERE Subject = 'memo'"));
    }
    const std::string greekSender = "\xCE\x91\xCE\xBB\xCF\x86\xCE\xB1 <a@example.com>";
    const std::string body = "caf\xC3\xA9 \xCE\xB1\xCE\xB2\xCE\xB3";
    CArchiveViewer& window = OpenViewer();
    int row = 0;
    while (window.RowAt(row) && window.RowAt(row)->from() != greekSender) {
        ++row;
    }
    ASSERT_NE(nullptr, window.RowAt(row));
    const auto cell = [&](int column) {
        wchar_t text[256] = {};
        LVITEMW item = {};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = 256;
        ::SendMessageW(window.list().hwnd(), LVM_GETITEMTEXTW, row,
                       reinterpret_cast<LPARAM>(&item));
        return std::wstring(text);
    };
    EXPECT_EQ(L"\x0391\x03BB\x03C6\x03B1 <a@example.com>", cell(0));
    EXPECT_EQ(L"\x65E5\x672C report", cell(1));
    // Typing in the list's own script finds the row.
    ::SetFocus(window.list().hwnd());
    ::SendMessageW(window.list().hwnd(), WM_CHAR, 0x03B1, 1);
    PumpWaitingMessages();
    EXPECT_EQ(row, window.list().NextSelected(-1));

    Select({row});
    // The page keeps the code page's characters as bytes and names the rest.
    EXPECT_EQ(MessagePage("&#913;&#955;&#966;&#945; <a@example.com>", "&#26085;&#26412; report",
                          "bob", "soon", "Normal", "caf\xE9 &#945;&#946;&#947;"),
              Page());
    if (!window.preview().drawsPages()) {
        wchar_t shown[512] = {};
        ::GetWindowTextW(window.preview().textBox(), shown, 512);
        EXPECT_NE(std::wstring::npos, std::wstring(shown).find(L"caf\xE9 \x03B1\x03B2\x03B3"));
        EXPECT_NE(std::wstring::npos, std::wstring(shown).find(L"Subject: \x65E5\x672C report"));
    }

    // Words typed in any script, in either case, against the stored text.
    PressKey(window.list().hwnd(), 'F', true);
    // Typed, a letter the code page lacks reaches the field whole through the
    // plug-in's own message loop.
    ::SetFocus(window.findField());
    ::PostMessageW(window.findField(), WM_CHAR, 0x03B4, 1);
    PumpWaitingMessages();
    wchar_t typed[8] = {};
    ::GetWindowTextW(window.findField(), typed, 8);
    EXPECT_STREQ(L"\x03B4", typed);
    for (const wchar_t* words :
         {L"\x0391\x0392\x0393", L"\x65E5\x672C", L"\x03B1\x039B\x03A6\x0391", L"CAF\xC9 \x03B3"}) {
        ::SetWindowTextW(window.findField(), words);
        EXPECT_TRUE(PumpUntil([&] { return !window.searching(); }));
        ASSERT_EQ(1, window.list().ItemCount()) << words;
        EXPECT_EQ(greekSender, window.RowAt(0)->from());
    }
    ::SetWindowTextW(window.findField(), L"\x03B4");
    EXPECT_TRUE(PumpUntil([&] { return !window.searching(); }));
    EXPECT_EQ(0, window.list().ItemCount());
    PressKey(window.findField(), VK_ESCAPE);
    PumpWaitingMessages();

    // Alone, the message is its stored UTF-8; a mailbox, read in the code
    // page, leaves it out and says so.
    row = 0;
    while (window.RowAt(row)->from() != greekSender) {
        ++row;
    }
    Select({row});
    ASSERT_TRUE(window.SaveSelected(files / "Greek.eml", false));
    EXPECT_EQ("Subject: x\r\n\r\n" + body, ReadBytes(files / "Greek.eml"));
    EXPECT_FALSE(window.SaveSelected(files / "Greek.mbx", true));
    EXPECT_FALSE(FileExists(files / "Greek.mbx"));
    Select({row, row == 0 ? 1 : 0});
    ASSERT_TRUE(window.SaveSelected(files / "Both.mbx", true));
    MailboxFile saved(files / "Both.mbx");
    saved.Load();
    ASSERT_EQ(1u, saved.Count());
    EXPECT_EQ(std::string::npos, saved.RawText(0).find('?'));
    ASSERT_EQ(2u, boxes.boxes().size());
    EXPECT_THAT(boxes.boxes()[0].text, ::testing::HasSubstr("Nothing was written."));
    EXPECT_THAT(boxes.boxes()[1].text,
                ::testing::HasSubstr("1 of the 2 messages holds characters that the code page "
                                     "lacks"));
}

} // namespace
