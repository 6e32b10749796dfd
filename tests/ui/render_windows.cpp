// render_windows.exe DIR: pictures of the plug-in's windows for a person to
// look at. A sample mail folder is served by an in-process host, the main
// dialog archives one mailbox through its button, and the main dialog, the
// log window it shows after the task, a viewer on the new archive with a
// message selected, and the About dialog are saved as BMP files in DIR.
#include "db/archive_schema.h"
#include "base/message_pump.h"
#include "plugin/version_info.h"
#include "base/stowlark_app.h"
#include "res/resource_ids.h"
#include "testhost/automation_server.h"
#include "testhost/host_session.h"
#include "testhost/mailstore/sample_mail.h"
#include "testhost/ole_scope.h"
#include "testhost/pump_for.h"
#include "testhost/window_snapshot.h"
#include "ui/about_dialog.h"
#include "ui/archive_dialog.h"
#include "ui/tree_checks.h"

#include <cstdio>
#include <memory>

namespace {

bool Picture(HWND window, const std::string& file) {
    ::SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    PumpFor(500);
    const bool saved = SaveWindowSnapshot(window, file);
    std::printf("%s %s\n", saved ? "saved" : "could not save", file.c_str());
    return saved;
}

// The tree item whose caption begins with `caption`, ticked the way a user's click ticks it.
void Tick(const CTreeCtrl& tree, const std::string& caption, CArchiveTrees& trees) {
    ForEachItem(tree, [&](HTREEITEM item) {
        if (tree.ItemText(item).rfind(caption, 0) == 0) {
            tree.SetChecked(item, true);
            trees.PropagateCheck(tree, item, true);
        }
    });
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: render_windows DIR\n");
        return 2;
    }
    const std::string out = argv[1];
    const OleScope ole;
    const std::string mail = out + "\\Mail";
    WriteSampleMailFolder(mail);

    App().InitInstance();
    PluginContext& context = App().Context();
    context.hostDataDir = mail;
    context.inMailboxPath = mail + "\\In.mbx";
    context.settingsPath = mail + "\\Plugins\\stowlark.ini";
    context.logPath = mail + "\\Plugins\\stowlark.log";
    context.helpPath = mail + "\\Plugins\\stowlark.chm";
    context.databasePath = mail + "\\Plugins\\archive.mdb";
    ReadProductInformation(context);
    // Not the first use: no help to open, and the dialog a little off the
    // corner of the screen.
    WritePrivateProfileStringA("Windows", "Left", "20", context.settingsPath.c_str());
    WritePrivateProfileStringA("Windows", "Top", "20", context.settingsPath.c_str());
    WritePrivateProfileStringA("Windows", "LogLeft", "660", context.settingsPath.c_str());
    WritePrivateProfileStringA("Windows", "LogTop", "40", context.settingsPath.c_str());
    CreateArchiveDatabase(ArchiveConnectionString(context.databasePath));

    HostSettings settings;
    settings.dataDir = mail;
    const auto session = std::make_shared<HostSession>(settings);
    const AutomationServer server(session);

    int failures = 0;
    {
        CArchiveDlg dialog;
        if (!dialog.Create()) {
            std::fprintf(stderr, "the main dialog could not be made\n");
            return 1;
        }
        PumpFor(300);
        CArchiveTrees& trees = const_cast<CArchiveTrees&>(dialog.trees());
        Tick(trees.mailboxTree(), "Out (", trees);
        ::SendMessageA(::GetDlgItem(dialog.hwnd(), IDC_ARCHIVE), BM_CLICK, 0, 0);
        PumpFor(300);
        failures += !Picture(dialog.hwnd(), out + "\\main-dialog.bmp");
        failures += !Picture(dialog.logWindow()->hwnd(), out + "\\log-window.bmp");

        const CTreeCtrl& archives = trees.archiveTree();
        ForEachItem(archives, [&](HTREEITEM item) {
            if (archives.ItemText(item).rfind("Out (", 0) == 0) {
                archives.Select(item);
            }
        });
        ::SendMessageA(dialog.hwnd(), WM_COMMAND, ID_OPEN_ARCHIVE, 0);
        PumpFor(300);
        if (dialog.openViewers().empty()) {
            std::fprintf(stderr, "no viewer opened\n");
            ++failures;
        } else {
            const HWND viewer = dialog.openViewers().front();
            ::MoveWindow(viewer, 40, 60, 640, 420, TRUE);
            const CListCtrl list(::GetDlgItem(viewer, IDC_VIEWER_LIST));
            list.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
            failures += !Picture(viewer, out + "\\archive-viewer.bmp");
        }

        CAboutDlg about(dialog.hwnd());
        if (about.Create()) {
            ::ShowWindow(about.hwnd(), SW_SHOW);
            failures += !Picture(about.hwnd(), out + "\\about-dialog.bmp");
        }
    }
    return failures == 0 ? 0 : 1;
}
