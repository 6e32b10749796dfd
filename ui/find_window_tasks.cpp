// The Find window as the viewer's tasks see it: the found rows of several
// archives, the connection they are read and restored through, and the
// archives whose viewers keep a restore away.
#include "ui/find_window.h"

#include "db/ado_database.h"
#include "db/ado_exception.h"
#include "base/message_box.h"

const ViewerRow* CFindWindow::RowAt(int index) const {
    const FoundRow* found = results_.At(index);
    return found ? &found->row : nullptr;
}

const std::string& CFindWindow::TableAt(int index) const {
    const FoundRow* found = results_.At(index);
    return found ? found->table : noTable_;
}

CADODatabase* CFindWindow::Archive() {
    if (!database_) {
        database_ = std::make_unique<CADODatabase>();
        database_->SetConnection(connectionString_);
        try {
            database_->Open();
        } catch (const CADOException& error) {
            ShowStandardErrorBox(error.GetErrorMessage());
        }
    }
    return database_->IsOpen() ? database_.get() : nullptr;
}

void CFindWindow::ReadRowsAgain() {
    list_.SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    results_.Search(results_.text());
    results_.CountAll();
    ShowResults();
}

bool CFindWindow::MayRestore(const std::vector<std::string>& tables) {
    for (const std::string& table : tables) {
        if (dialog_.ViewerShows(table)) {
            // Its list would go on showing what left the archive.
            ShowStandardErrorBox("The archive " + dialog_.ArchiveName(table) +
                                 " is open in its viewer: restore these messages there, or "
                                 "close the viewer first.");
            return false;
        }
    }
    return true;
}

void CFindWindow::CompleteSelectedRows() {
    CADODatabase* database = Archive();
    if (!database) {
        return;
    }
    for (int line = list_.NextSelected(-1); line >= 0; line = list_.NextSelected(line)) {
        if (FoundRow* found = results_.At(line)) {
            CompleteFoundRow(*database, *found);
        }
    }
}
