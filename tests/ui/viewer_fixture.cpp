#include "tests/ui/viewer_fixture.h"

#include "db/ado_recordset.h"
#include "db/archive_schema.h"
#include "engine/archive_task.h"
#include "host/host_application.h"

namespace {

class QuietControls : public TaskControls {
    void SetProgress(int) override {}
    bool StopRequested() override { return false; }
    void EnableStop(bool) override {}
    void ReloadLog() override {}
};

} // namespace

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

const StoredRow kRows[4] = {
    {"ann@example.com", "Budget", "team", "5/1/2007 9:15:00 AM", 2048, 1,
     "Subject: Budget\r\n\r\nFirst line\r\nSecond line"},
    {"<bob@example.com>", "agenda", "carol", "12/1/2006 11:00:00 PM", 0, 3,
     "no blank line at all\r\nsecond"},
    {"Carol", "Zebra", "ann", "12/1/2006 8:00:00 AM", 512, 8,
     "Subject: Zebra\r\n\r\nTagged<br>\r\nbody"},
    {"dave", "memo", "bob", "soon", 4096, 42, "Subject: memo\r\n\r\nShort"},
};

std::unique_ptr<TempFolder> ArchiveViewerTest::made_;
std::string ArchiveViewerTest::table_;

void ArchiveViewerTest::SetUpTestSuite() {
    made_ = std::make_unique<TempFolder>();
    RunningHost archiveHost;
    for (const StoredRow& row : kRows) {
        archiveHost.AddMessage(
            "Work", MakeMessage(row.from, row.subject, "Mon, 4 Dec 2006 10:00:00 +0000", "Hi\r\n"));
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
        ASSERT_TRUE(
            database.Execute("UPDATE [" + table_ + "] SET [From] = '" + row.from +
                             "', Subject = '" + row.subject + "', [To] = '" + row.to +
                             "', [Date] = '" + row.date + "', Size = " + std::to_string(row.size) +
                             ", S = " + std::to_string(row.status) + ", P = 'Normal', message = '" +
                             row.message + "' WHERE id = " + std::to_string(ids[i])));
    }
}

ArchiveViewerTest::ArchiveViewerTest() {
    ::CopyFileA((*made_ / "archive.mdb").c_str(), DatabasePath().c_str(), FALSE);
    App().Context().mainDialogWindow = nullptr;
}

CArchiveViewer& ArchiveViewerTest::OpenViewer() {
    viewer = std::make_unique<CArchiveViewer>(nullptr, table_, "Work",
                                              ArchiveConnectionString(DatabasePath()));
    EXPECT_TRUE(viewer->Create());
    ::ShowWindow(viewer->hwnd(), SW_SHOW);
    PumpWaitingMessages();
    return *viewer;
}
void ArchiveViewerTest::CloseViewer() {
    ::SendMessageA(viewer->hwnd(), WM_CLOSE, 0, 0);
    PumpWaitingMessages();
}

std::vector<std::string> ArchiveViewerTest::Column(int column) const {
    std::vector<std::string> texts;
    for (int row = 0; row < viewer->list().ItemCount(); ++row) {
        texts.push_back(viewer->list().ItemText(row, column));
    }
    return texts;
}
int ArchiveViewerTest::HeaderImage(int column) const {
    HDITEMA item = {};
    item.mask = HDI_IMAGE;
    ::SendMessageA(viewer->list().Header(), HDM_GETITEMA, column, reinterpret_cast<LPARAM>(&item));
    return item.iImage;
}
void ArchiveViewerTest::ClickHeader(int column) const {
    // Wide enough for every column to be in sight.
    ::MoveWindow(viewer->hwnd(), 0, 0, 700, 300, TRUE);
    const HWND header = viewer->list().Header();
    RECT rect = {};
    ::SendMessageA(header, HDM_GETITEMRECT, column, reinterpret_cast<LPARAM>(&rect));
    ClickAt(header, {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2});
    PumpWaitingMessages();
}
void ArchiveViewerTest::Select(std::initializer_list<int> rows) const {
    viewer->list().SetItemState(-1, 0, LVIS_SELECTED);
    for (const int row : rows) {
        viewer->list().SetItemState(row, LVIS_SELECTED, LVIS_SELECTED);
    }
    PumpWaitingMessages();
}
