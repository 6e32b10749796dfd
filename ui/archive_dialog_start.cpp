// How the main dialog starts: its settings read, the archive file opened
// (converted from a Jet file when the user agrees), both trees filled and the
// log window made, the dialog where it was left.
#include "ui/archive_dialog.h"

#include "db/archive_schema.h"
#include "base/file_utils.h"
#include "base/settings_keys.h"
#include "base/stowlark_app.h"
#include "res/resource_ids.h"
#include "ui/archive_opening.h"
#include "ui/host_folder_records.h"
#include "ui/jet_archive_prompt.h"
#include "ui/simple_controls.h"
#include "ui/window_ops.h"

bool CArchiveDlg::OnInitDialog() {
    PluginContext& context = App().Context();
    SetBigIcon(hwnd(), ::LoadIconA(App().Instance(), MAKEINTRESOURCEA(IDI_MAIN_DIALOG)));

    context.mainDialogWindow = hwnd();
    starting_ = true;
    accelerators_.reset(::LoadAcceleratorsA(App().Instance(), MAKEINTRESOURCEA(IDA_MAIN_KEYS)));
    staging_.mbxPath = context.hostDataDir + "\\Pending.mbx";
    staging_.tocPath = context.hostDataDir + "\\Pending.toc";
    menus_.Load();

    const bool firstUse = !FileExists(context.settingsPath);
    filter_.loadFromSettings(context.settingsPath);
    filterPanel_.Attach(hwnd());
    trees_.Attach(Item(IDC_MAILBOX_TREE), Item(IDC_ARCHIVE_TREE));

    OpenDatabase();
    if (!hwnd()) {
        // Gone with the host's window during the conversion.
        return false;
    }
    const bool usable = archiveProblem_.empty();
    trees_.BuildRoots(context.hostDataDir, databasePath_, usable);
    // Read once for the counts and the orphans alike; nothing is listed
    // from a file that cannot be used.
    const ArchiveTableList archives = usable ? ListArchiveTables(*database_) : ArchiveTableList();
    // A host that cannot be reached leaves the roots alone in the trees.
    trees_.Fill(ReadHostFolders().value_or(std::vector<HostFolderRecord>()), archives, *database_,
                usable);
    LoadDeleteBoxes();
    EnableItem(IDC_STOP, false);
    EnableTaskButtons();
    CProgressBar(Item(IDC_PROGRESS)).SetRange(0, 100);
    filterPanel_.Show();
    CreateLogWindow();
    MoveToSavedPosition();
    trees_.AddOrphanArchives(archives, *database_);
    if (firstUse) {
        OpenHelp();
    }
    ::SetWindowTextA(hwnd(), "Archive Messages");
    ::SetFocus(Item(IDC_MAILBOX_TREE));
    starting_ = false;
    // A crash, a new version, a converted archive or another machine's
    // writes may have left Find's index behind.
    KeepIndexCurrent(true);
    return false;
}

void CArchiveDlg::OpenDatabase() {
    DialogArchive archive =
        OpenDialogArchive([this](const std::string& jetPath, const std::string& archivePath) {
            return ConvertJetArchive(jetPath, archivePath);
        });
    databasePath_ = archive.path;
    connectionString_ = ArchiveConnectionString(databasePath_);
    database_ = std::move(archive.database);
    archiveProblem_ = std::move(archive.problem);
}

std::string CArchiveDlg::ConvertJetArchive(const std::string& jetPath,
                                           const std::string& archivePath) {
    // The conversion shows its progress and takes Stop in this window.
    MoveToSavedPosition();
    ::ShowWindow(hwnd(), SW_SHOW);
    task_.Start();
    std::string problem =
        ConvertJetArchiveIfAgreed(hwnd(), jetPath, archivePath, App().Context().logPath, task_);
    task_.Unlock(TaskButtonsAllowed());
    task_.Ended();
    return problem;
}

void CArchiveDlg::LoadDeleteBoxes() {
    const std::string& settingsPath = App().Context().settingsPath;
    deleteArchived_ = ReadSetting(settings::kDeleteArchived, settingsPath) == 1;
    deleteRestored_ = ReadSetting(settings::kDeleteRestored, settingsPath) == 1;
    SetCheck(IDC_DELETE_ARCHIVED, deleteArchived_);
    SetCheck(IDC_DELETE_RESTORED, deleteRestored_);
}

void CArchiveDlg::CreateLogWindow() {
    const PluginContext& context = App().Context();
    log_ = std::make_unique<CLogDlg>(context.logPath, context.settingsPath);
    const bool onStartUp = ReadSetting(settings::kLogOnStartUp, context.settingsPath) != 0;
    if (!log_->CreateLogWindow(onStartUp)) {
        log_.reset();
    }
}

void CArchiveDlg::MoveToSavedPosition() {
    const std::string& settingsPath = App().Context().settingsPath;
    POINT place = {ReadSetting(settings::kMainLeft, settingsPath),
                   ReadSetting(settings::kMainTop, settingsPath)};
    // With no system menu, a dialog saved on a screen since taken away
    // could not be brought back.
    place = KeptOnScreen(hwnd(), place);
    ::SetWindowPos(hwnd(), nullptr, place.x, place.y, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
