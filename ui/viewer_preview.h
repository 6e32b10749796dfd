// The viewer's preview: the page of the one selected message, or the
// placeholder page, written to a file of its own in the temporary folder
// and shown by the pane under the list.
#pragma once

#include "base/win32.h"
#include "db/attachment_store.h"
#include "ui/preview_pane.h"
#include "ui/viewer_rows.h"

#include <string>
#include <vector>

class CViewerPreview {
public:
    // Takes over the window's control `paneId` and shows the placeholder.
    void Attach(HWND window, int paneId);
    // Nothing is selected: the placeholder, once a page has been shown.
    void ShowNothing();
    // Several rows are selected.
    void ShowPlaceholder();
    // `message` is the row's stored text; empty when it could not be read,
    // and the header block still shows which message it was.
    // `files` are those kept in the archive for it, listed under it.
    void ShowMessage(const ViewerRow& row, const std::string& message,
                     const std::vector<KeptFile>& files = {});
    // No page until the next is shown.
    void Forget() { pageText_.clear(); }
    // The pane lets go of the page, then the page file goes.
    void Close();

    bool TranslateKeyboard(MSG& message) const { return pane_.TranslateKeyboard(message); }
    const std::string& path() const { return path_; }
    const std::string& pageText() const { return pageText_; }
    const CPreviewPane& pane() const { return pane_; }

private:
    void Show(const std::string& plainText);

    CPreviewPane pane_;
    std::string path_;
    std::string pageText_;
};
