#include "ui/about_dialog.h"

#include "base/shell_launch.h"
#include "base/stowlark_app.h"
#include "res/resource_ids.h"

CAboutDlg::CAboutDlg(HWND parent) : CDialog(IDD_ABOUT, parent) {}

std::string AboutText(const std::string& productName, const std::string& versionText,
                      const std::string& legalNotice) {
    return productName + "\r\n\r\nVersion: " + versionText + "\r\n\r\n" + legalNotice;
}

bool CAboutDlg::OnInitDialog() {
    const PluginContext& context = App().Context();
    ::SetWindowTextA(hwnd(), ("About " + context.productName).c_str());
    SetItemText(IDC_ABOUT_TEXT,
                AboutText(context.productName, context.versionText, context.legalNotice));
    return true;
}

void CAboutDlg::OnCommand(int id, int notifyCode, HWND control) {
    if (id == IDC_HOME_SITE) {
        openedAddress_ = kHomeSite;
        OpenDocument(openedAddress_);
        return;
    }
    CDialog::OnCommand(id, notifyCode, control);
}
