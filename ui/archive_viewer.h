// A window showing the messages of one archive: a list sorted by a column
// the user clicks, over a preview of the selected message. It only reads,
// through a connection of its own.
#pragma once

#include "db/ado_database.h"
#include "db/message_search.h"
#include "engine/task_controls.h"
#include "base/unique_resource.h"
#include "ui/dialog.h"
#include "ui/gdi_resources.h"
#include "ui/list_control.h"
#include "ui/preview_pane.h"
#include "ui/splitter_bar.h"
#include "ui/viewer_rows.h"

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class CArchiveViewer : public CDialog, private TaskControls {
public:
    // `title` is the archive's name without its message count.
    CArchiveViewer(HWND owner, std::string tableName, std::string title,
                   std::string connectionString);
    ~CArchiveViewer() override;

    // What a test looks at.
    const CListCtrl& list() const { return list_; }
    // The row shown at `index` of the list, in the present order.
    const ViewerRow* RowAt(int index) const;
    const std::string& previewPath() const { return previewPath_; }
    const std::string& pageText() const { return pageText_; }
    const CPreviewPane& preview() const { return preview_; }
    bool taskRunning() const { return taskRunning_; }
    // The find field, and whether a search is still reading message texts.
    HWND findField() const { return findEdit_; }
    bool searching() const { return search_ != nullptr; }
    // The selected messages, in the list's order, into one file, as
    // SaveArchivedMessages writes them.
    bool SaveSelected(const std::string& path, bool asMailbox);

protected:
    bool OnInitDialog() override;
    void OnCommand(int id, int notifyCode, HWND control) override;
    LRESULT OnNotify(const NMHDR& header) override;
    void OnClose() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool PreTranslateMessage(MSG& message) override;

private:
    void OpenDatabase();
    void InsertColumns();
    void FillList();
    void Sort();
    // The list shows the sorted rows that match the search, each keeping
    // its marks.
    void ShowView();
    void ShowSortIndicators() const;
    void OnListChanged();
    void ShowSelectionChange();
    // The row typing `text` goes to: -1 for none.
    LRESULT FindRow(const std::wstring& text, UINT flags, int start) const;
    void OnColumnClick(int column);
    void ProvideCell(NMLVDISPINFOW& info) const;
    void Layout();
    void ApplySavedPlacement();
    void Save();

    // The list's menu, at the mouse or (position -1) at the focused row.
    void ShowListMenu(LPARAM position);
    void SelectAll();
    // The selected rows' places in their table; empty when a row has none.
    std::vector<long long> SelectedBookmarks() const;
    void RestoreSelected(bool remove);
    // Asks where, in the platform's save dialog.
    void SaveSelectedAs();

    void ShowFind();
    void HideFind();
    // The rows whose headers hold every word show at once; the message
    // texts are then read a slice at a time, and the next keystroke drops
    // what is left of the search.
    void StartSearch();
    void ContinueSearch();
    // A row whose message text the running search has yet to read stays,
    // so the list narrows as the search goes and keeps the marks of the
    // rows that stay.
    bool Matches(int row) const { return wordsFound_[row] == allWords_ || Undecided(row); }
    bool Undecided(int row) const;
    void ShowSearchCaption();

    // What the restore of a selection asks of this window.
    void SetProgress(int percent) override;
    bool StopRequested() override;
    void EnableStop(bool enable) override;
    void ReloadLog() override {}

    // The preview pane's pages.
    void PreparePreviewFile();
    void ShowPlaceholder();
    void ShowSelection();
    void ShowPage(const std::string& plainText);
    std::string FetchMessageText(const ViewerRow& row);

    std::string tableName_;
    std::string title_;
    std::string connectionString_;
    std::unique_ptr<CADODatabase> database_;

    CListCtrl list_;
    CSplitterBar splitter_;
    CPreviewPane preview_;
    UniqueImageList statusImages_;
    UniqueImageList headerImages_;
    UniqueFont headerFont_;

    // Table order, the sorted order as indexes into it, and what the list
    // shows of that order.
    std::vector<ViewerRow> rows_;
    std::vector<int> order_;
    std::vector<int> view_;
    // Selection put back after a sort is not a change the user made.
    bool restoringSelection_ = false;
    bool selectionChangePending_ = false;

    int state_ = 0;
    int left_ = 0;
    int top_ = 0;
    int width_ = 0;
    int height_ = 0;
    int splitterTop_ = 0;
    int minTrackHeight_ = 0;
    int sizeCount_ = 0;
    RECT barRect_ = {};
    bool saved_ = false;

    std::string previewPath_;
    std::string pageText_;

    UniqueMenu menu_;

    HWND findEdit_ = nullptr;
    CaseFolder folder_;
    std::vector<std::string> words_;
    uint32_t allWords_ = 0;
    // By row: a bit for each word its headers or its message hold.
    std::vector<uint32_t> wordsFound_;
    // By row, made by the first search: the header texts in lower case.
    std::vector<std::string> foldedHeaders_;
    std::unordered_map<long long, int> rowByRowid_;
    std::unique_ptr<MessageSearch> search_;
    DWORD lastShown_ = 0;
    bool keyboardMenuPending_ = false;
    bool taskRunning_ = false;
    bool stopRequested_ = false;
    bool stopEnabled_ = true;
};
