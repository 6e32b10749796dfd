#include "ui/run_archive_dialog.h"

#include "ui/about_dialog.h"
#include "ui/archive_dialog.h"

void RunArchiveDialog() {
    CArchiveDlg dialog;
    dialog.RunModal();
}

void RunAboutDialog() {
    CAboutDlg about;
    about.RunPlatformModal();
}
