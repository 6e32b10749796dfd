// The menu of a list of archived messages and the tasks it starts on the
// selected rows: select all, restore (keeping or removing the rows), and
// save them to a file. The viewer's list holds the rows of one archive, the
// Find window's those of several; a task acts on them archive by archive. A
// restore runs inside the window, which shows its progress in the caption
// and stops it on Escape.
#pragma once

#include "engine/task_controls.h"
#include "base/unique_resource.h"
#include "base/win32.h"
#include "ui/list_control.h"
#include "ui/viewer_rows.h"

#include <string>
#include <vector>

class CADODatabase;

// What the list's menu and its tasks need of the window they run in.
class ViewerTaskWindow {
public:
    virtual const CListCtrl& List() const = 0;
    // The row on line `index` of the list; null beyond its end.
    virtual const ViewerRow* RowAt(int index) const = 0;
    // The archive table of the row on line `index`.
    virtual const std::string& TableAt(int index) const = 0;
    // The open archive, or null.
    virtual CADODatabase* Archive() = 0;
    // A restore took rows out of the archive: the list shows what is left.
    virtual void ReadRowsAgain() = 0;
    // The caption without a task's progress.
    virtual void ShowCaption() = 0;
    // True while another part of the plug-in changes the archive: the
    // menu's tasks wait.
    virtual bool ArchiveBusy() const { return false; }
    // Whether the selected rows of `tables` may be restored now; a window
    // that says no has told the user why.
    virtual bool MayRestore(const std::vector<std::string>& /*tables*/) { return true; }
    // The selected rows hold every column a task reads (the status a
    // mailbox record keeps) once this returns.
    virtual void CompleteSelectedRows() {}

protected:
    ~ViewerTaskWindow() = default;
};

class CViewerTasks : private TaskControls {
public:
    // `title` outlives the tasks.
    CViewerTasks(ViewerTaskWindow& window, const std::string& title)
        : window_(window), title_(title) {}

    // `hwnd` is the viewer's window, which owns the menu.
    void Attach(HWND hwnd);
    bool running() const { return running_; }
    // Escape asks a running restore to stop, while it may; false when no
    // task runs.
    bool OnEscape();
    // The menu key and Shift+F10 in the list.
    void OnListKey(WORD key);
    // The window's messages that open the menu; true when handled.
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // The menu's commands; true when `id` was one of them.
    bool OnCommand(int id);
    void SelectAll();
    // The selected messages, in the list's order, into one file, as
    // SaveArchivedMessages writes them; those of one archive only.
    bool SaveSelected(const std::string& path, bool asMailbox);
    // The files kept for the selected messages, into `folder`, each under a
    // name of its own there; one box for those that could not be saved.
    // Gives how many were saved.
    int SaveAttachmentsTo(const std::string& folder);
    // Restores the selected messages, archive by archive, removing them
    // from the archive when `remove`; gives how many were restored.
    int RestoreSelected(bool remove);

private:
    // The selected rows of one archive table, in the list's order.
    struct TableRows {
        std::string table;
        std::vector<const ViewerRow*> rows;
    };

    // At the mouse or (position -1) at the focused row.
    void ShowMenu(LPARAM position);
    // Grouped by table, the tables in the order their first row shows.
    std::vector<TableRows> SelectedByTable() const;
    // Asks where, in the platform's save dialog.
    void SaveSelectedAs();
    // Asks for the folder, in the platform's folder dialog.
    void SaveAttachments();

    void SetProgress(int percent) override;
    bool StopRequested() override;
    void EnableStop(bool enable) override;
    void ReloadLog() override {}

    ViewerTaskWindow& window_;
    const std::string& title_;
    HWND hwnd_ = nullptr;
    UniqueMenu menu_;
    bool keyboardMenuPending_ = false;
    bool running_ = false;
    bool stopRequested_ = false;
    bool stopEnabled_ = true;
};
