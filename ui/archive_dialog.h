// The plug-in's main window: the host's mailboxes and the archives side by
// side, the filter between them, and the buttons that run the tasks. It owns
// the archive's database connection and the log window for its whole life,
// and composes the parts that watch the trees' ticks, open their menus, keep
// the viewers opened from the archive tree and face a running task.
#pragma once

#include "db/ado_database.h"
#include "engine/message_filter.h"
#include "engine/restore_task.h"
#include "ui/archive_trees.h"
#include "ui/archive_viewer.h"
#include "ui/dialog.h"
#include "ui/dialog_task_controls.h"
#include "ui/dialog_viewers.h"
#include "ui/filter_panel.h"
#include "ui/find_window.h"
#include "ui/log_dialog.h"
#include "ui/tree_check_watch.h"
#include "ui/tree_menus.h"

#include <memory>
#include <string>
#include <vector>

class CArchiveDlg : public CDialog, private FindWindowOwner {
public:
    // `owner` is disabled while the dialog runs modally; should it go
    // away all the same, a running task stops and the dialog closes.
    explicit CArchiveDlg(HWND owner = nullptr);
    ~CArchiveDlg() override;

    // What a test looks at.
    const CArchiveTrees& trees() const { return trees_; }
    CLogDlg* logWindow() const { return log_.get(); }
    const MessageFilter& filter() const { return filter_; }
    bool taskRunning() const { return task_.running(); }
    const std::vector<HWND>& openViewers() const { return viewers_.windows(); }
    // The viewer whose window is `window`, while this dialog keeps it.
    const CArchiveViewer* Viewer(HWND window) const { return viewers_.Find(window); }
    const std::string& connectionString() const { return connectionString_; }
    // Why the archive cannot be used; empty when it can.
    const std::string& archiveProblem() const { return archiveProblem_; }
    // The Find window, once Ctrl+F or "F&ind..." has opened it.
    CFindWindow* findWindow() const { return find_.get(); }

protected:
    bool OnInitDialog() override;
    void OnCommand(int id, int notifyCode, HWND control) override;
    LRESULT OnNotify(const NMHDR& header) override;
    // The caption's close request, Alt+F4 included, is not a way out.
    void OnClose() override {}
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool PreTranslateMessage(MSG& message) override;
    // The host is going away: what the user set is kept all the same.
    void OnQuitDuringModal() override { CloseSequence(); }

private:
    enum class Task { Archive, Restore };

    void OpenDatabase();
    // Empty once converted; else why the archive cannot be used.
    std::string ConvertJetArchive(const std::string& jetPath, const std::string& archivePath);
    void LoadDeleteBoxes();
    void CreateLogWindow();
    void MoveToSavedPosition();

    // True, with the reason shown, when the archive cannot be used.
    bool RefuseUnusableArchive();
    void RunTask(Task task);
    // Archive and Restore are off while a viewer is open or the archive
    // cannot be used.
    bool TaskButtonsAllowed() const;
    void EnableTaskButtons();
    void CloseSequence();
    // What the user set, kept; needs the controls.
    void SaveSettings();
    // The database and the log window let go of.
    void ReleaseArchive();
    // The window is being destroyed: by the close sequence, or with its
    // owner, the host's window.
    void OnWindowGoing();
    void OpenHelp() const;
    void ShowLogWindow();
    void ShowAbout();

    void OpenMailboxItem();
    void OpenArchiveItem();
    void OnViewerClosed(HWND viewer);

    // Find in every archive (archive_dialog_find.cpp).
    void ShowFindWindow();
    // Starts or stops the index's catch-up of the dialog's own.
    void KeepIndexCurrent(bool on);
    bool TaskRunning() const override { return task_.running(); }
    std::string ArchiveName(const std::string& table) const override;
    bool ShowInViewer(const std::string& table, long long place) override;
    bool ViewerShows(const std::string& table) const override;
    void LogWritten() override;

    // Why the archive cannot be used (a Jet file not converted, a file that
    // is no archive or cannot be opened); every refusal says it.
    std::string archiveProblem_;
    bool closed_ = false;
    MessageFilter filter_;
    CFilterPanel filterPanel_{filter_};
    CArchiveTrees trees_;
    CTreeCheckWatch checkWatch_{trees_};
    CTreeMenus menus_{trees_};
    std::unique_ptr<CLogDlg> log_;
    CDialogTaskControls task_;
    std::unique_ptr<CADODatabase> database_;
    std::string databasePath_;
    std::string connectionString_;
    StagingFiles staging_;
    CDialogViewers viewers_{trees_};
    std::unique_ptr<CFindWindow> find_;
    // From the dialog's opening, an index behind its archive catches up a
    // slice at a time until a task or the Find window takes over.
    std::unique_ptr<ArchiveIndex> index_;
    std::unique_ptr<CFindIndexKeeper> indexKeeper_;

    bool starting_ = false;
    bool deleteArchived_ = false;
    bool deleteRestored_ = false;

    UniqueAccelerators accelerators_;
};
