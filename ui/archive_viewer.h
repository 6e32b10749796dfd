// A window showing the messages of one archive: a list sorted by a column
// the user clicks, over a preview of the selected message. It only reads,
// through a connection of its own.
//
// The window keeps the rows and the order the list shows them in; its parts
// each keep one job: the columns (`viewer_columns.h`), the find bar and its
// search (`viewer_find_bar.h`), the list's menu and tasks
// (`viewer_tasks.h`), the preview (`viewer_preview.h`) and the place and
// layout (`viewer_placement.h`).
#pragma once

#include "db/ado_database.h"
#include "engine/archive_index.h"
#include "ui/dialog.h"
#include "ui/list_control.h"
#include "ui/viewer_columns.h"
#include "ui/viewer_find_bar.h"
#include "ui/viewer_placement.h"
#include "ui/viewer_preview.h"
#include "ui/viewer_rows.h"
#include "ui/viewer_tasks.h"

#include <memory>
#include <string>
#include <vector>

class CArchiveViewer : public CDialog, private ViewerTaskWindow {
public:
    // `title` is the archive's name without its message count.
    CArchiveViewer(HWND owner, std::string tableName, std::string title,
                   std::string connectionString);
    ~CArchiveViewer() override;

    // What a test looks at.
    const CListCtrl& list() const { return list_; }
    // The row shown at `index` of the list, in the present order.
    const ViewerRow* RowAt(int index) const override;
    const std::string& previewPath() const { return preview_.path(); }
    const std::string& pageText() const { return preview_.pageText(); }
    const CPreviewPane& preview() const { return preview_.pane(); }
    bool taskRunning() const { return tasks_.running(); }
    // The find field, and whether a search is still reading message texts.
    HWND findField() const { return find_.field(); }
    bool searching() const { return find_.searching(); }
    // The selected messages, in the list's order, into one file, as
    // SaveArchivedMessages writes them.
    bool SaveSelected(const std::string& path, bool asMailbox) {
        return tasks_.SaveSelected(path, asMailbox);
    }
    // The files kept for the selected messages, into `folder`.
    int SaveAttachmentsTo(const std::string& folder) { return tasks_.SaveAttachmentsTo(folder); }
    // Whether Find read its matches from the archive's index.
    bool foundByIndex() const { return find_.byIndex(); }

    // The message at `rowid` alone selected, focused and scrolled into
    // view; a search that hides it is given up. False when the archive has
    // no such row.
    bool SelectRow(long long rowid);

protected:
    bool OnInitDialog() override;
    void OnCommand(int id, int notifyCode, HWND control) override;
    LRESULT OnNotify(const NMHDR& header) override;
    void OnClose() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool PreTranslateMessage(MSG& message) override;

private:
    void OpenDatabase();
    void FillList();
    void Sort();
    // The list shows the sorted rows that match the search, each keeping
    // its marks.
    void ShowView();
    void OnListChanged();
    void ShowSelectionChange();
    void OnColumnClick(int column);
    void ShowFind();
    void HideFind();
    void StartSearch();
    void ContinueSearch();
    std::string FetchMessageText(const ViewerRow& row);
    void Save();

    // What the list's tasks ask of this window.
    const CListCtrl& List() const override { return list_; }
    const std::string& TableAt(int /*index*/) const override { return tableName_; }
    CADODatabase* Archive() override;
    void ReadRowsAgain() override;
    void ShowCaption() override;

    std::string tableName_;
    std::string title_;
    std::string connectionString_;
    std::unique_ptr<CADODatabase> database_;
    // Opened by the first search.
    std::unique_ptr<ArchiveIndex> index_;

    CListCtrl list_;
    // Table order, the sorted order as indexes into it, and what the list
    // shows of that order.
    std::vector<ViewerRow> rows_;
    std::vector<int> order_;
    std::vector<int> view_;
    // Selection put back after a sort is not a change the user made.
    bool restoringSelection_ = false;
    bool selectionChangePending_ = false;
    bool saved_ = false;

    CViewerColumns columns_;
    CFindBar find_{rows_};
    CViewerTasks tasks_{*this, title_};
    CViewerPreview preview_;
    CViewerPlacement placement_;
};
