// The archive viewer on an archive the archive task made: its rows, sorting,
// the preview page it writes, its keyboard and what it keeps when it closes.
#include "db/ado_recordset.h"
#include "db/archive_schema.h"
#include "db/mailbox_table_name.h"
#include "engine/archive_task.h"
#include "host/host_application.h"
#include "base/file_utils.h"
#include "base/settings.h"
#include "res/resource_ids.h"
#include "testhost/mailstore/mailbox_file.h"
#include "tests/ui/ui_fixture.h"
#include "ui/archive_viewer.h"
#include "ui/gdi_resources.h"
#include "ui/message_page.h"
#include "ui/viewer_closed_notice.h"
#include "ui/window_ops.h"

#include <gmock/gmock.h>

namespace {

using ::testing::ElementsAre;

class QuietControls : public TaskControls {
    void SetProgress(int) override {}
    bool StopRequested() override { return false; }
    void EnableStop(bool) override {}
    void ReloadLog() override {}
};

const char* const kPlaceholderPage =
    "<html>\r\n<head>\r\n<title>Preview Pane</title>\r\n"
    "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=\">\r\n</head>\r\n\r\n"
    "<body bgcolor=\"#00FFCC\">\r\n<p align=\"center\">&nbsp;</p>\r\n"
    "<p align=\"center\"><font face=\"Impact\" size=\"+1\">Preview Pane</font></p>\r\n"
    "<p align=\"center\">&nbsp; </p>\r\n</body>\r\n</html>\r\n";

std::string MessagePage(const std::string& from, const std::string& subject, const std::string& to,
                        const std::string& date, const std::string& priority,
                        const std::string& body) {
    return "<HTML>\r\n\r\n<head>\r\n<style>\r\nBODY {font-family=\"Tahoma\"}\r\n"
           "TT {font-family=\"Courier New\"}\r\n"
           "BLOCKQUOTE.CITE {padding-left:0.5em; margin-left:0; margin-right:0; margin-top:0; "
           "margin-bottom:0; border-left:\"solid 2\";}\r\n"
           "</style>\r\n</head>\r\n\r\n<body>\r\n"
           "<table cellspacing=0 cellpadding=0 width=100% bgcolor=#D4D0C8 text=#000000>\t\r\n"
           "<tr bgcolor=#FFFF99 text=#000000> \r\n\t<td> \r\n"
           "      \t<div>From: " +
           from + "</div>\r\n\t\t<div>Subject: " + subject + "</div>\r\n\t\t<div>To: " + to +
           "</div>\t\r\n      \t<div>Date: " + date + "</div>\r\n\t\t<div>Priority: " + priority +
           "</div>\r\n\t</td>\r\n</tr>\r\n</table>\r\n<br>\r\n" + body +
           "\r\n<br>\r\n</body>\r\n\r\n</HTML>\r\n";
}

using UniqueMemoryDc = UniqueResource<NullHandleTraits<HDC, ::DeleteDC>>;

// The window's client area as the screen shows it now.
std::vector<DWORD> ClientPixels(HWND window) {
    RECT client = {};
    ::GetClientRect(window, &client);
    BITMAPINFO format = {};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = client.right;
    format.bmiHeader.biHeight = -client.bottom;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    const UniqueBitmap picture(
        ::CreateDIBSection(nullptr, &format, DIB_RGB_COLORS, &bits, nullptr, 0));
    const WindowDC shown(window, DCX_CACHE);
    const UniqueMemoryDc memory(::CreateCompatibleDC(shown.get()));
    if (!picture || !shown || !memory) {
        return {};
    }
    {
        const SelectedObject selected(memory.get(), picture.get());
        ::BitBlt(memory.get(), 0, 0, client.right, client.bottom, shown.get(), 0, 0, SRCCOPY);
        ::GdiFlush();
    }
    const DWORD* first = static_cast<const DWORD*>(bits);
    return std::vector<DWORD>(first, first + client.right * client.bottom);
}

// Once the queue is empty the window shows what it would draw afresh: no
// part it should have painted again is left as it was.
bool ShowsWhatItWouldDrawAfresh(HWND window) {
    PumpWaitingMessages();
    const std::vector<DWORD> shown = ClientPixels(window);
    ::RedrawWindow(window, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpWaitingMessages();
    return !shown.empty() && shown == ClientPixels(window);
}

struct StoredRow {
    const char* from;
    const char* subject;
    const char* to;
    const char* date;
    int size;
    int status;
    const char* message;
};

// What the rows hold once the test has set them; the task stored the rest.
const StoredRow kRows[] = {
    {"ann@example.com", "Budget", "team", "5/1/2007 9:15:00 AM", 2048, 1,
     "Subject: Budget\r\n\r\nFirst line\r\nSecond line"},
    {"<bob@example.com>", "agenda", "carol", "12/1/2006 11:00:00 PM", 0, 3,
     "no blank line at all\r\nsecond"},
    {"Carol", "Zebra", "ann", "12/1/2006 8:00:00 AM", 512, 8,
     "Subject: Zebra\r\n\r\nTagged<br>\r\nbody"},
    {"dave", "memo", "bob", "soon", 4096, 42, "Subject: memo\r\n\r\nShort"},
};

class ArchiveViewerTest : public DialogTest {
protected:
    static void SetUpTestSuite() {
        made_ = std::make_unique<TempFolder>();
        RunningHost archiveHost;
        for (const StoredRow& row : kRows) {
            archiveHost.AddMessage("Work", MakeMessage(row.from, row.subject,
                                                       "Mon, 4 Dec 2006 10:00:00 +0000", "Hi\r\n"));
        }
        archiveHost.Start();
        const std::string connection = ArchiveConnectionString(*made_ / "archive.mdb");
        ASSERT_TRUE(CreateArchiveDatabase(connection));
        CADODatabase database;
        ASSERT_TRUE(database.Open(connection));
        const HostFolder work = HostApplication::Connect().FolderByName("Work");
        QuietControls controls;
        ASSERT_EQ(4, ArchiveTask(database, *made_ / "archive.log", controls)
                         .run({{work.Path(), work.Name(), work.Id()}}, MessageFilter(), false));
        table_ = ArchiveTables(connection).at(0);

        // The columns the tests look at are set to known values.
        std::vector<int> ids;
        CADORecordset records(database);
        records.Open(table_, CADORecordset::OpenTable);
        for (; !records.AtEnd(); records.MoveNext()) {
            int id = 0;
            records.ReadField("id", id);
            ids.push_back(id);
        }
        records.Close();
        ASSERT_EQ(4u, ids.size());
        for (size_t i = 0; i < ids.size(); ++i) {
            const StoredRow& row = kRows[i];
            ASSERT_TRUE(database.Execute(
                "UPDATE [" + table_ + "] SET [From] = '" + row.from + "', Subject = '" +
                row.subject + "', [To] = '" + row.to + "', [Date] = '" + row.date +
                "', Size = " + std::to_string(row.size) + ", S = " + std::to_string(row.status) +
                ", P = 'Normal', message = '" + row.message +
                "' WHERE id = " + std::to_string(ids[i])));
        }
    }
    static void TearDownTestSuite() { made_.reset(); }

    ArchiveViewerTest() {
        ::CopyFileA((*made_ / "archive.mdb").c_str(), DatabasePath().c_str(), FALSE);
        App().Context().mainDialogWindow = nullptr;
    }

    // A viewer on its own, as the main dialog would open it.
    CArchiveViewer& OpenViewer() {
        viewer = std::make_unique<CArchiveViewer>(nullptr, table_, "Work",
                                                  ArchiveConnectionString(DatabasePath()));
        EXPECT_TRUE(viewer->Create());
        ::ShowWindow(viewer->hwnd(), SW_SHOW);
        PumpWaitingMessages();
        return *viewer;
    }
    void CloseViewer() {
        ::SendMessageA(viewer->hwnd(), WM_CLOSE, 0, 0);
        PumpWaitingMessages();
    }

    std::vector<std::string> Column(int column) const {
        std::vector<std::string> texts;
        for (int row = 0; row < viewer->list().ItemCount(); ++row) {
            texts.push_back(viewer->list().ItemText(row, column));
        }
        return texts;
    }
    int HeaderImage(int column) const {
        HDITEMA item = {};
        item.mask = HDI_IMAGE;
        ::SendMessageA(viewer->list().Header(), HDM_GETITEMA, column,
                       reinterpret_cast<LPARAM>(&item));
        return item.iImage;
    }
    void ClickHeader(int column) const {
        // Wide enough for every column to be in sight.
        ::MoveWindow(viewer->hwnd(), 0, 0, 700, 300, TRUE);
        const HWND header = viewer->list().Header();
        RECT rect = {};
        ::SendMessageA(header, HDM_GETITEMRECT, column, reinterpret_cast<LPARAM>(&rect));
        ClickAt(header, {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2});
        PumpWaitingMessages();
    }
    void Select(std::initializer_list<int> rows) const {
        viewer->list().SetItemState(-1, 0, LVIS_SELECTED);
        for (const int row : rows) {
            viewer->list().SetItemState(row, LVIS_SELECTED, LVIS_SELECTED);
        }
        PumpWaitingMessages();
    }
    std::string Page() const { return ReadBytes(viewer->previewPath()); }

    static std::unique_ptr<TempFolder> made_;
    static std::string table_;
    std::unique_ptr<CArchiveViewer> viewer;
};

std::unique_ptr<TempFolder> ArchiveViewerTest::made_;
std::string ArchiveViewerTest::table_;

TEST(ViewerRows, CompareTextsIgnoringCaseDatesByTheirDayAndSizesAsNumbers) {
    ViewerRow a;
    ViewerRow b;
    a.SetText(ViewerText::kFrom, "alice");
    b.SetText(ViewerText::kFrom, "ALICE");
    EXPECT_EQ(0, CompareViewerRows(a, b, 0, 0));
    b.SetText(ViewerText::kFrom, "Bob");
    EXPECT_LT(CompareViewerRows(a, b, 0, 0), 0);
    EXPECT_GT(CompareViewerRows(a, b, 0, 1), 0);

    a.SetText(ViewerText::kDate, "5/1/2007 1:00");
    b.SetText(ViewerText::kDate, "Fri 12/1/2006 23:59");
    EXPECT_EQ(1, CompareViewerRows(a, b, 3, 0));
    EXPECT_EQ(-1, CompareViewerRows(a, b, 3, 1));
    // The same day whatever the time; no day at all goes after every day.
    b.SetText(ViewerText::kDate, "5/1/2007 23:00");
    EXPECT_EQ(0, CompareViewerRows(a, b, 3, 0));
    b.SetText(ViewerText::kDate, "yesterday");
    EXPECT_EQ(-1, CompareViewerRows(a, b, 3, 0));
    EXPECT_EQ(1, CompareViewerRows(a, b, 3, 1));
    a.SetText(ViewerText::kDate, "");
    EXPECT_EQ(0, CompareViewerRows(a, b, 3, 0));

    // The sort orders texts exactly as the comparison does.
    std::vector<ViewerRow> rows(9);
    const char* senders[] = {"co-op", "coop", "Co op",  "\xC3\x89mile", "emile",
                             "Zoe",   "",     "o'neil", "\xCE\xA9mega"};
    for (size_t i = 0; i < rows.size(); ++i) {
        rows[i].SetText(ViewerText::kFrom, senders[i]);
    }
    std::vector<int> order = {0, 1, 2, 3, 4, 5, 6, 7, 8};
    SortViewerRows(rows, order, 0, 0);
    for (size_t i = 1; i < order.size(); ++i) {
        EXPECT_LE(CompareViewerRows(rows[order[i - 1]], rows[order[i]], 0, 0), 0)
            << rows[order[i - 1]].from() << " before " << rows[order[i]].from();
    }

    // Whatever order the rows had, undated ones go together after the
    // dated ones ascending and before them descending, and one day's rows
    // keep their table order.
    const char* dates[] = {"3/2/2007 9:00",  "none", "Mon 1/5/2007 10:00", "3/2/2007 8:00", "",
                           "1/5/2007 23:00", "n/a",  "3/2/2007 7:00"};
    std::vector<ViewerRow> dated(8);
    for (size_t i = 0; i < dated.size(); ++i) {
        dated[i].SetText(ViewerText::kDate, dates[i]);
    }
    for (const std::vector<int>& start :
         {std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}, std::vector<int>{7, 6, 5, 4, 3, 2, 1, 0},
          std::vector<int>{4, 0, 6, 3, 1, 7, 2, 5}}) {
        order = start;
        SortViewerRows(dated, order, 3, 0);
        EXPECT_THAT(order, ElementsAre(2, 5, 0, 3, 7, 1, 4, 6));
        order = start;
        SortViewerRows(dated, order, 3, 1);
        EXPECT_THAT(order, ElementsAre(1, 4, 6, 0, 3, 7, 2, 5));
    }

    a.size = 9;
    b.size = 10;
    EXPECT_EQ(-1, CompareViewerRows(a, b, 4, 0));
    EXPECT_EQ(0, CompareViewerRows(a, b, 9, 0));
    EXPECT_EQ(0, CompareViewerRows(a, b, -1, 1));
}

// An archive table is read by one statement, anything else through a
// recordset; odd values must come out of both alike.
TEST(ViewerRows, ATableReadsAsTheRecordsetReadsAViewOfIt) {
    TempFolder folder;
    const std::string connection = ArchiveConnectionString(folder / "archive.mdb");
    ASSERT_TRUE(CreateArchiveDatabase(connection));
    ASSERT_TRUE(CreateMailboxTable(connection, "Mailbox_Odd", "C:\\Mail\\Odd.mbx"));
    CADODatabase database;
    ASSERT_TRUE(database.Open(connection));
    ASSERT_TRUE(database.Execute(
        "INSERT INTO Mailbox_Odd (id, S, P, [From], [Date], Size, Subject, [To], message) VALUES "
        "(1, NULL, NULL, NULL, NULL, NULL, NULL, NULL, 'x'), "
        "(2, '7', 3, 'caf\xE9 =?iso-8859-1?q?na=EFve?=', 2.5, '12', X'41', 'to', 'x'), "
        "(3, 4.75, 'High', 'a', '5/1/2007 9:15', 2147483647, '', 'b', 'x')"));
    ASSERT_TRUE(database.Execute("CREATE VIEW Mailbox_View AS SELECT * FROM Mailbox_Odd"));
    bool complete = false;
    const std::vector<ViewerRow> walked = ReadViewerRows(database, "Mailbox_Odd", complete);
    EXPECT_TRUE(complete);
    const std::vector<ViewerRow> viewed = ReadViewerRows(database, "Mailbox_View", complete);
    ASSERT_EQ(3u, walked.size());
    ASSERT_EQ(walked.size(), viewed.size());
    for (size_t row = 0; row < walked.size(); ++row) {
        EXPECT_EQ(walked[row].id, viewed[row].id);
        EXPECT_EQ(walked[row].status, viewed[row].status);
        EXPECT_EQ(walked[row].size, viewed[row].size);
        for (size_t text = 0; text < kViewerTextCount; ++text) {
            EXPECT_EQ(walked[row].Text(static_cast<ViewerText>(text)),
                      viewed[row].Text(static_cast<ViewerText>(text)))
                << "row " << row << ", text " << text;
        }
        EXPECT_EQ(static_cast<long long>(row + 1), walked[row].rowid().value_or(-1));
    }
    EXPECT_EQ("caf\xC3\xA9 na\xC3\xAFve", walked[1].from());
}

TEST_F(ArchiveViewerTest, ShowsEveryRowWithItsCellsAndStatusIcon) {
    CArchiveViewer& window = OpenViewer();
    EXPECT_EQ("Work", WindowText(window.hwnd()));
    // Sorted by sender at first, as the settings say by default.
    EXPECT_THAT(Column(0), ElementsAre("<bob@example.com>", "ann@example.com", "Carol", "dave"));
    EXPECT_THAT(Column(1), ElementsAre("agenda", "Budget", "Zebra", "memo"));
    EXPECT_THAT(Column(2), ElementsAre("carol", "team", "ann", "bob"));
    EXPECT_THAT(Column(3), ElementsAre("12/1/2006 11:00:00 PM", "5/1/2007 9:15:00 AM",
                                       "12/1/2006 8:00:00 AM", "soon"));
    // A size of 0 shows, and sorts, as 1.
    EXPECT_THAT(Column(4), ElementsAre("1", "2048", "512", "4096"));
    EXPECT_EQ(0, HeaderImage(0));
    EXPECT_EQ(3, HeaderImage(1));
    LVITEMA item = {};
    item.mask = LVIF_IMAGE;
    item.iItem = 2;
    ::SendMessageA(window.list().hwnd(), LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(8, item.iImage);
    // An unknown status has no icon.
    item.iItem = 3;
    ::SendMessageA(window.list().hwnd(), LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(I_IMAGENONE, item.iImage);
    // Nothing selected: the placeholder page.
    EXPECT_EQ(kPlaceholderPage, Page());
    EXPECT_EQ(window.previewPath(), window.preview().lastAddress());
    EXPECT_EQ(100, window.list().ColumnWidth(0));
    EXPECT_EQ(50, window.list().ColumnWidth(4));
    // The sort marks leave dates right and sizes centred.
    const CHeaderCtrl header(window.list().Header());
    EXPECT_EQ(HDF_LEFT, header.ItemFormat(1) & HDF_JUSTIFYMASK);
    EXPECT_EQ(HDF_RIGHT, header.ItemFormat(3) & HDF_JUSTIFYMASK);
    EXPECT_EQ(HDF_CENTER, header.ItemFormat(4) & HDF_JUSTIFYMASK);

    // Typing goes to the first sender that begins so.
    ::SetFocus(window.list().hwnd());
    PressKey(window.list().hwnd(), 'D');
    PumpWaitingMessages();
    ASSERT_EQ(1, window.list().SelectedCount());
    EXPECT_EQ("dave", window.RowAt(window.list().NextSelected(-1))->from());
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(ArchiveViewerTest, EveryHeaderClickFlipsTheOrderAndMarksTheSortedColumn) {
    OpenViewer();
    // The stored order 0: the first click on any column sorts it descending.
    ClickHeader(4);
    EXPECT_THAT(Column(4), ElementsAre("4096", "2048", "512", "1"));
    EXPECT_EQ(1, HeaderImage(4));
    EXPECT_EQ(2, HeaderImage(0));
    ClickHeader(4);
    EXPECT_THAT(Column(4), ElementsAre("1", "512", "2048", "4096"));
    EXPECT_EQ(0, HeaderImage(4));
    // Another column flips the order again; case is ignored.
    ClickHeader(1);
    EXPECT_THAT(Column(1), ElementsAre("Zebra", "memo", "Budget", "agenda"));
    EXPECT_EQ(1, HeaderImage(1));
    EXPECT_EQ(6, HeaderImage(4));
    // Dates by their day: the same day in table order, and the row with no
    // day after the dated ones, before them descending.
    ClickHeader(3);
    EXPECT_THAT(Column(3), ElementsAre("12/1/2006 11:00:00 PM", "12/1/2006 8:00:00 AM",
                                       "5/1/2007 9:15:00 AM", "soon"));
    // Selected rows keep their marks through a sort.
    Select({0});
    ClickHeader(3);
    EXPECT_THAT(Column(3), ElementsAre("soon", "5/1/2007 9:15:00 AM", "12/1/2006 11:00:00 PM",
                                       "12/1/2006 8:00:00 AM"));
    EXPECT_EQ("12/1/2006 11:00:00 PM", viewer->RowAt(viewer->list().NextSelected(-1))->date());
    EXPECT_EQ(1, viewer->list().SelectedCount());
    // Nothing of it is kept for the next viewer.
    EXPECT_EQ("<none>", SettingText("Settings", "GlobalSortKey"));
}

TEST_F(ArchiveViewerTest, ASortKeyThatIsNoColumnLeavesEveryColumnItsIconUntilAClick) {
    WriteInt("Settings", "GlobalSortKey", 9, SettingsPath());
    WriteInt("Settings", "GlobalSortOrder", 1, SettingsPath());
    OpenViewer();
    EXPECT_THAT(Column(0), ElementsAre("ann@example.com", "<bob@example.com>", "Carol", "dave"));
    for (int column = 0; column < 5; ++column) {
        EXPECT_EQ(2 + column, HeaderImage(column)) << column;
    }
    ClickHeader(0);
    EXPECT_EQ(0, HeaderImage(0));
    EXPECT_THAT(Column(0), ElementsAre("<bob@example.com>", "ann@example.com", "Carol", "dave"));
}

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

TEST_F(ArchiveViewerTest, EscapeDoesNothingAndClosingKeepsPlacementWidthsAndBar) {
    App().Context().mainDialogWindow =
        ::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    CArchiveViewer& window = OpenViewer();
    const HWND hwnd = window.hwnd();
    // Defaults: the top-left corner, 401 by 201, the bar at 71, and no
    // smaller than 400 by 146.
    RECT rect = {};
    ::GetWindowRect(hwnd, &rect);
    EXPECT_EQ(0, rect.left);
    EXPECT_EQ(0, rect.top);
    EXPECT_EQ(401, rect.right - rect.left);
    EXPECT_EQ(201, rect.bottom - rect.top);
    RECT bar = {};
    ::GetWindowRect(::GetDlgItem(hwnd, IDC_VIEWER_SPLITTER), &bar);
    ::MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&bar), 2);
    EXPECT_EQ(71, bar.top);
    MINMAXINFO limits = {};
    ::SendMessageA(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    EXPECT_EQ(400, limits.ptMinTrackSize.x);
    EXPECT_EQ(146, limits.ptMinTrackSize.y);

    PressKey(window.list().hwnd(), VK_ESCAPE);
    PumpWaitingMessages();
    ASSERT_TRUE(::IsWindow(hwnd));

    ::MoveWindow(hwnd, 30, 40, 500, 300, TRUE);
    window.list().SetColumnWidth(1, 140);
    const std::string previewFile = window.previewPath();
    // Not pumped, so that the notice waits for the test.
    ::SendMessageA(hwnd, WM_CLOSE, 0, 0);
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ("0", SettingText("Windows", "ArchiveState"));
    EXPECT_EQ("30", SettingText("Windows", "ArchiveLeft"));
    EXPECT_EQ("40", SettingText("Windows", "ArchiveTop"));
    EXPECT_EQ("500", SettingText("Windows", "ArchiveWidth"));
    EXPECT_EQ("300", SettingText("Windows", "ArchiveHeight"));
    EXPECT_EQ("71", SettingText("Windows", "SplitterTop"));
    EXPECT_EQ("140", SettingText("Global Column Widths", "Subject"));
    EXPECT_EQ("100", SettingText("Global Column Widths", "From"));
    EXPECT_EQ("50", SettingText("Global Column Widths", "Size"));
    EXPECT_FALSE(FileExists(previewFile));

    // The main dialog hears of it, with the closed window's handle.
    MSG notice = {};
    ASSERT_TRUE(::PeekMessageA(&notice, App().Context().mainDialogWindow,
                               App().Context().archiveClosedMessage,
                               App().Context().archiveClosedMessage, PM_REMOVE));
    EXPECT_EQ(1u, notice.wParam);
    EXPECT_EQ(hwnd, TakeClosedViewer(notice.lParam));
    ::DestroyWindow(App().Context().mainDialogWindow);
}

TEST_F(ArchiveViewerTest, AMaximisedViewerKeepsItsNormalPlaceWhenItCloses) {
    WriteInt("Windows", "ArchiveLeft", 10, SettingsPath());
    WriteInt("Windows", "ArchiveTop", 20, SettingsPath());
    WriteInt("Windows", "ArchiveWidth", 450, SettingsPath());
    WriteInt("Windows", "ArchiveHeight", 260, SettingsPath());
    WriteInt("Windows", "SplitterTop", 90, SettingsPath());
    CArchiveViewer& window = OpenViewer();
    MINMAXINFO limits = {};
    ::SendMessageA(window.hwnd(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    EXPECT_EQ(165, limits.ptMinTrackSize.y);
    ::ShowWindow(window.hwnd(), SW_MAXIMIZE);
    CloseViewer();
    EXPECT_EQ("2", SettingText("Windows", "ArchiveState"));
    EXPECT_EQ("10", SettingText("Windows", "ArchiveLeft"));
    EXPECT_EQ("20", SettingText("Windows", "ArchiveTop"));
    EXPECT_EQ("450", SettingText("Windows", "ArchiveWidth"));
    EXPECT_EQ("260", SettingText("Windows", "ArchiveHeight"));
}

TEST_F(ArchiveViewerTest, SettingsOutOfReachGiveAWindowTheUserCanStillUse) {
    WriteInt("Windows", "ArchiveLeft", -30000, SettingsPath());
    WriteInt("Windows", "SplitterTop", 5000, SettingsPath());
    WriteInt("Global Column Widths", "From", -500, SettingsPath());
    WriteText("Global Column Widths", "Subject", "99999999999", SettingsPath());
    CArchiveViewer& window = OpenViewer();
    RECT rect = {};
    ::GetWindowRect(window.hwnd(), &rect);
    EXPECT_GE(rect.left, 0);
    EXPECT_EQ(100, window.list().ColumnWidth(0));
    EXPECT_EQ(100, window.list().ColumnWidth(1));
    MINMAXINFO limits = {};
    ::SendMessageA(window.hwnd(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    EXPECT_EQ(146, limits.ptMinTrackSize.y);
    CloseViewer();
    EXPECT_EQ("71", SettingText("Windows", "SplitterTop"));
    EXPECT_EQ("100", SettingText("Global Column Widths", "From"));
}

TEST_F(ArchiveViewerTest, TheListRepaintsWhatItShowsAfterADragOfTheBarAndAResize) {
    const HWND hwnd = OpenViewer().hwnd();
    const HWND list = viewer->list().hwnd();
    ::SetWindowPos(hwnd, HWND_TOP, 0, 0, 500, 260, SWP_NOACTIVATE);
    EXPECT_TRUE(ShowsWhatItWouldDrawAfresh(hwnd));
    const LRESULT rowsInSight = ::SendMessageA(list, LVM_GETCOUNTPERPAGE, 0, 0);
    EXPECT_GT(4, rowsInSight);

    // Down: the last row comes into sight where the bar was.
    const auto dragBar = [&](int distance) {
        const HWND bar = ::GetDlgItem(hwnd, IDC_VIEWER_SPLITTER);
        ::PostMessageA(bar, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(20, 3 + distance));
        ::PostMessageA(bar, WM_LBUTTONUP, 0, MAKELPARAM(20, 3 + distance));
        ::SendMessageA(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 3));
    };
    dragBar(60);
    EXPECT_TRUE(ShowsWhatItWouldDrawAfresh(hwnd));
    EXPECT_LE(4, ::SendMessageA(list, LVM_GETCOUNTPERPAGE, 0, 0));
    EXPECT_LT(rowsInSight, ::SendMessageA(list, LVM_GETCOUNTPERPAGE, 0, 0));
    EXPECT_EQ(0, ::SendMessageA(list, LVM_GETTOPINDEX, 0, 0));
    dragBar(-40);
    EXPECT_TRUE(ShowsWhatItWouldDrawAfresh(hwnd));

    ::SetWindowPos(hwnd, nullptr, 0, 0, 420, 300, SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_TRUE(ShowsWhatItWouldDrawAfresh(hwnd));
    ::SetWindowPos(hwnd, nullptr, 0, 0, 640, 240, SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_TRUE(ShowsWhatItWouldDrawAfresh(hwnd));
    ::ShowWindow(hwnd, SW_MAXIMIZE);
    EXPECT_TRUE(ShowsWhatItWouldDrawAfresh(hwnd));
    ::ShowWindow(hwnd, SW_RESTORE);
    EXPECT_TRUE(ShowsWhatItWouldDrawAfresh(hwnd));
}

TEST_F(ArchiveViewerTest, OpeningFromTheArchiveTreeHoldsTheTasksUntilTheLastViewerCloses) {
    host.AddMessage("Notes", MakeMessage("ann@example.com", "Note", "", "Hi\r\n"));
    ASSERT_TRUE(CreateMailboxTable(ArchiveConnectionString(DatabasePath()),
                                   TableNameFromMailboxName("Notes"),
                                   host.MailboxPath("Notes.mbx")));
    const HWND window = OpenDialog().hwnd();
    const CTreeCtrl& archives = dialog->trees().archiveTree();
    const HTREEITEM item = FindItem(archives, "Work (4)");
    ASSERT_NE(nullptr, item);
    archives.Select(item);
    PressKey(archives.hwnd(), VK_RETURN);
    PumpWaitingMessages();
    ASSERT_EQ(1u, dialog->openViewers().size());
    const HWND opened = dialog->openViewers()[0];
    EXPECT_EQ("Work", WindowText(opened));
    EXPECT_EQ(window, ::GetWindow(opened, GW_OWNER));
    EXPECT_EQ(4, dialog->Viewer(opened)->list().ItemCount());
    EXPECT_FALSE(IsEnabled(window, IDC_ARCHIVE));
    EXPECT_FALSE(IsEnabled(window, IDC_RESTORE));
    EXPECT_EQ(tree_image::kArchiveViewed, archives.ItemImage(item));

    // A second Enter only brings the open one forward.
    ::SetForegroundWindow(window);
    ::SetFocus(archives.hwnd());
    PressKey(archives.hwnd(), VK_RETURN);
    PumpWaitingMessages();
    EXPECT_EQ(1u, dialog->openViewers().size());
    EXPECT_EQ(opened, ::GetForegroundWindow());

    // An empty archive opens too, with nothing to preview.
    const HTREEITEM notes = FindItem(archives, "Notes (0)");
    ASSERT_NE(nullptr, notes);
    archives.Select(notes);
    PressKey(archives.hwnd(), VK_RETURN);
    PumpWaitingMessages();
    ASSERT_EQ(2u, dialog->openViewers().size());
    const CArchiveViewer& empty = *dialog->Viewer(dialog->openViewers()[1]);
    EXPECT_EQ(0, empty.list().ItemCount());
    EXPECT_EQ(kPlaceholderPage, ReadBytes(empty.previewPath()));
    // Two page files, one for each.
    EXPECT_NE(empty.previewPath(), dialog->Viewer(opened)->previewPath());

    ::SendMessageA(opened, WM_CLOSE, 0, 0);
    PumpWaitingMessages();
    EXPECT_FALSE(IsEnabled(window, IDC_ARCHIVE));
    ::SendMessageA(empty.hwnd(), WM_CLOSE, 0, 0);
    PumpWaitingMessages();
    EXPECT_TRUE(dialog->openViewers().empty());
    EXPECT_EQ(nullptr, dialog->Viewer(opened));
    EXPECT_TRUE(IsEnabled(window, IDC_ARCHIVE));
    EXPECT_TRUE(IsEnabled(window, IDC_RESTORE));
    EXPECT_EQ(tree_image::kArchive, archives.ItemImage(item));

    // A viewer still open when the dialog closes goes with it, and keeps
    // what the user set all the same.
    PressKey(archives.hwnd(), VK_RETURN);
    PumpWaitingMessages();
    ASSERT_EQ(1u, dialog->openViewers().size());
    const HWND reopened = dialog->openViewers()[0];
    const std::string previewFile = dialog->Viewer(reopened)->previewPath();
    ::MoveWindow(reopened, 15, 25, 480, 280, TRUE);
    CloseDialog();
    EXPECT_FALSE(::IsWindow(reopened));
    EXPECT_EQ("480", SettingText("Windows", "ArchiveWidth"));
    EXPECT_FALSE(FileExists(previewFile));
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

TEST_F(ArchiveViewerTest, SelectedMessagesSaveAsAMailboxTheHostReadsOrAsOneMessage) {
    CArchiveViewer& window = OpenViewer();
    Select({0, 1, 2, 3});
    const std::string mailbox = files / "Saved.mbx";
    ASSERT_TRUE(window.SaveSelected(mailbox, true));
    MailboxFile saved(mailbox);
    saved.Load();
    ASSERT_EQ(4u, saved.Count());
    for (int row = 0; row < 4; ++row) {
        const auto stored =
            std::find_if(std::begin(kRows), std::end(kRows), [&](const StoredRow& r) {
                return r.subject == window.RowAt(row)->subject();
            });
        EXPECT_EQ(stored->message, saved.RawText(static_cast<size_t>(row)));
        EXPECT_EQ(stored->status, saved.Entry(static_cast<size_t>(row)).status);
    }

    Select({1});
    const std::string single = files / "One.eml";
    ASSERT_TRUE(window.SaveSelected(single, false));
    const auto stored = std::find_if(std::begin(kRows), std::end(kRows), [&](const StoredRow& r) {
        return r.subject == window.RowAt(1)->subject();
    });
    EXPECT_EQ(stored->message, ReadBytes(single));

    // A place that cannot be written: one box, and nothing left there.
    const std::string nowhere = files / "No such folder\\Saved.mbx";
    EXPECT_FALSE(window.SaveSelected(nowhere, true));
    ASSERT_EQ(1u, boxes.boxes().size());
    EXPECT_THAT(boxes.boxes()[0].text, ::testing::HasSubstr("could not be saved to " + nowhere));
    // A name taken by a folder: written in full beside it, then refused.
    ::CreateDirectoryA((files / "Taken.mbx").c_str(), nullptr);
    EXPECT_FALSE(window.SaveSelected(files / "Taken.mbx", true));
    WIN32_FIND_DATAA found;
    UniqueFind leftovers(::FindFirstFileA((files / "*.tmp").c_str(), &found));
    EXPECT_FALSE(leftovers) << found.cFileName;
}

TEST_F(ArchiveViewerTest, ItsListMenuRestoresJustTheSelectedMessages) {
    host.Start();
    CArchiveViewer& window = OpenViewer();
    int menus = 0;
    {
        const LaterOnThisThread look(200, [&] {
            menus += ::FindWindowA("#32768", nullptr) != nullptr;
            ::EndMenu();
        });
        PressKey(window.list().hwnd(), VK_F10, false, true, true);
        PumpUntil([&] { return look.ran(); });
    }
    EXPECT_EQ(1, menus);

    // Nothing selected: nothing to do.
    ::SendMessageA(window.hwnd(), WM_COMMAND, ID_VIEWER_RESTORE, 0);
    EXPECT_FALSE(FileExists(host.MailboxPath("Pending.mbx")));

    Select({0, 2});
    const std::vector<std::string> chosen = {window.RowAt(0)->subject(),
                                             window.RowAt(2)->subject()};
    const std::vector<std::string> kept = {window.RowAt(1)->subject(), window.RowAt(3)->subject()};
    ::SendMessageA(window.hwnd(), WM_COMMAND, ID_VIEWER_RESTORE_REMOVE, 0);
    PumpWaitingMessages();

    EXPECT_FALSE(window.taskRunning());
    EXPECT_EQ("Work", WindowText(window.hwnd()));
    ASSERT_EQ(2, window.list().ItemCount());
    EXPECT_THAT((std::vector<std::string>{window.RowAt(0)->subject(), window.RowAt(1)->subject()}),
                ::testing::UnorderedElementsAreArray(kept));
    std::vector<std::string> home;
    const MailboxFile& in = host.session().store().Mailbox(host.MailboxPath("In.mbx"));
    for (size_t i = 0; i < in.Count(); ++i) {
        for (const StoredRow& row : kRows) {
            if (in.RawText(i) == row.message) {
                home.push_back(row.subject);
                EXPECT_EQ(row.status, in.Entry(i).status) << row.subject;
            }
        }
    }
    EXPECT_THAT(home, ::testing::UnorderedElementsAreArray(chosen));
    EXPECT_TRUE(boxes.boxes().empty());
}

} // namespace
