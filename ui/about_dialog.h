// Who made the plug-in, which version this is, and where to find it.
#pragma once

#include "ui/dialog.h"

#include <string>

class CAboutDlg : public CDialog {
public:
    static constexpr const char* kHomeSite = "https://message-stowlark.github.io/";

    explicit CAboutDlg(HWND parent = nullptr);

    const std::string& openedAddress() const { return openedAddress_; }

protected:
    bool OnInitDialog() override;
    void OnCommand(int id, int notifyCode, HWND control) override;

private:
    std::string openedAddress_;
};

// Product name, version and legal notice, one paragraph each.
std::string AboutText(const std::string& productName, const std::string& versionText,
                      const std::string& legalNotice);
