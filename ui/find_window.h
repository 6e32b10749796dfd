// Find in every archive: a window of the main dialog with a field and the
// messages of every archive that hold the words typed, newest first or by a
// column clicked, read from the archive's full-text index. An index that is
// behind its archive catches up a slice at a time while the window shows
// what it has. A message opens in its archive's viewer; the list's menu
// restores and saves the selected messages as the viewer's does.
#pragma once

#include "engine/archive_index.h"
#include "ui/dialog.h"
#include "ui/find_index_keeper.h"
#include "ui/find_results.h"
#include "ui/list_control.h"
#include "ui/viewer_tasks.h"

#include <memory>
#include <string>
#include <vector>

class CADODatabase;

// What the Find window asks of the main dialog that owns it.
class FindWindowOwner {
public:
    // A task of the dialog runs: nothing may change the archive meanwhile.
    virtual bool TaskRunning() const = 0;
    // The archive's name as its tree item shows it, without the count.
    virtual std::string ArchiveName(const std::string& table) const = 0;
    // The viewer of `table`, opened or brought forward, with the message at
    // `place` selected; false when it could not be shown.
    virtual bool ShowInViewer(const std::string& table, long long place) = 0;
    // A viewer shows `table` now.
    virtual bool ViewerShows(const std::string& table) const = 0;
    // The task log file gained lines.
    virtual void LogWritten() = 0;

protected:
    ~FindWindowOwner() = default;
};

class CFindWindow : public CDialog, private ViewerTaskWindow {
public:
    CFindWindow(HWND owner, FindWindowOwner& dialog, std::string archivePath,
                std::string connectionString);
    ~CFindWindow() override;

    // Shown and brought forward, the field's text selected for new words;
    // an index that is behind starts catching up.
    void Show();

    // What a test looks at.
    HWND field() const { return field_; }
    const CListCtrl& list() const { return list_; }
    const CFindResults& results() const { return results_; }
    // Words typed and not yet looked up, or an index still catching up.
    bool busy() const { return searchPending_ || keeper_.catchingUp(); }
    bool taskRunning() const { return tasks_.running(); }
    // The selected messages restored as the menu's Restore does.
    int RestoreSelected(bool remove) { return tasks_.RestoreSelected(remove); }

protected:
    bool OnInitDialog() override;
    void OnCommand(int id, int notifyCode, HWND control) override;
    LRESULT OnNotify(const NMHDR& header) override;
    void OnClose() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool PreTranslateMessage(MSG& message) override;

private:
    void Layout();
    void OnTyped();
    void Search();
    void ShowResults();
    void ShowCount();
    // An index that is behind starts catching up.
    void StartCatchUp();
    void CatchUpSlice();
    void OpenSelected();
    void OnColumnClick(int column);

    // ViewerTaskWindow
    const CListCtrl& List() const override { return list_; }
    const ViewerRow* RowAt(int index) const override;
    const std::string& TableAt(int index) const override;
    CADODatabase* Archive() override;
    void ReadRowsAgain() override;
    void ShowCaption() override { ShowCount(); }
    bool ArchiveBusy() const override { return dialog_.TaskRunning(); }
    bool MayRestore(const std::vector<std::string>& tables) override;
    void CompleteSelectedRows() override;

    FindWindowOwner& dialog_;
    std::string connectionString_;
    std::string title_ = "Find";
    ArchiveIndex index_;
    CFindResults results_;
    CFindIndexKeeper keeper_;
    std::unique_ptr<CADODatabase> database_;

    HWND field_ = nullptr;
    CListCtrl list_;
    CViewerTasks tasks_{*this, title_};
    bool searchPending_ = false;
    std::string noTable_;
};
