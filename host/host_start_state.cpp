#include "host/host_start_state.h"

#include "host/host_application.h"
#include "host/host_error.h"
#include "base/file_utils.h"
#include "base/message_box.h"
#include "base/message_pump.h"
#include "base/win32.h"

namespace {

const DWORD kReadinessPollMilliseconds = 20;

// The host reports no top-level folder until it has read its mailboxes; the
// wait keeps its windows responsive and has no time limit, as the host is
// known to be running. False when the host is asked to quit meanwhile.
bool WaitUntilHostReady(const HostFolderList& folders) {
    while (folders.Count() == 0) {
        if (!PumpWaitingMessages()) {
            return false;
        }
        ::Sleep(kReadinessPollMilliseconds);
    }
    return true;
}

} // namespace

bool ReadHostStartState(PluginContext& context) {
    try {
        HostApplication host = HostApplication::Connect();
        host.SetStatusText("Archive Messages.");
        {
            HostFolderList folders = host.Folders();
            if (!WaitUntilHostReady(folders)) {
                return false;
            }
            HostFolder inBox = host.InBox();
            context.hostDataDir = WithoutTrailingBackslashes(inBox.Directory());
            const std::string inPath = inBox.Path();
            if (FileExists(inPath)) {
                context.inMailboxPath = inPath;
            }
        }
        return true;
    } catch (const HostConnectError& failure) {
        ShowHostConnectFailure(failure);
        return false;
    } catch (const std::exception& failure) {
        // An exception must not unwind into the host; the command cannot
        // run without the host's mailboxes.
        ShowStandardErrorBox(failure.what());
        return false;
    }
}
