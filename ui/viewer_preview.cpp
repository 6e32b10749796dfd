#include "ui/viewer_preview.h"

#include "base/file_utils.h"
#include "base/window_utils.h"
#include "res/resource_ids.h"
#include "ui/message_page.h"
#include "ui/viewer_attachments.h"

void CViewerPreview::Attach(HWND window, int paneId) {
    pane_.Attach(window, paneId);
    path_ = MakeFilePath(TempDirectory(), "preview", "htm", true, false);
    ShowPlaceholder();
}

void CViewerPreview::ShowNothing() {
    if (FileExists(path_)) {
        ShowPlaceholder();
    }
}

void CViewerPreview::ShowPlaceholder() {
    pageText_.clear();
    LoadTextResource(IDR_PLACEHOLDER_PAGE, RT_PAGE_TEXT, pageText_);
    Show(std::string());
}

void CViewerPreview::ShowMessage(const ViewerRow& row, const std::string& message,
                                 const std::vector<KeptFile>& files) {
    std::string pageTemplate;
    LoadTextResource(IDR_MESSAGE_TEMPLATE, RT_PAGE_TEXT, pageTemplate);
    pageText_ = PageBytes(ComposeMessagePage(std::move(pageTemplate), row,
                                             PreviewBody(message) + KeptFilesPage(files)));
    Show(PlainMessageText(row, message) + KeptFilesText(files));
}

void CViewerPreview::Close() {
    pane_.Close();
    if (!path_.empty()) {
        ::DeleteFileA(path_.c_str());
    }
}

void CViewerPreview::Show(const std::string& plainText) {
    // A page that could not be written leaves the last one showing.
    if (!path_.empty() && WriteWholeFile(path_, pageText_)) {
        pane_.Navigate(path_, plainText);
    }
}
