#include "ui/run_archive_dialog.h"

#include "ui/about_dialog.h"
#include "ui/archive_dialog.h"

void RunArchiveDialog(HWND owner) {
    CArchiveDlg dialog(owner);
    dialog.RunModal();
}

void RunAboutDialog() {
    CAboutDlg about;
    about.RunPlatformModal();
}
