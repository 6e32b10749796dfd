// The archive viewer's rows and their order: the list it shows of an
// archive, its columns and sorting, and the viewers the main dialog opens.
#include "db/archive_schema.h"
#include "db/mailbox_table_name.h"
#include "base/file_utils.h"
#include "base/settings.h"
#include "tests/ui/viewer_fixture.h"

#include <gmock/gmock.h>

namespace {

using ::testing::ElementsAre;

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

} // namespace
