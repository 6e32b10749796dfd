// A drop-down list and a progress bar, one platform request per call.
#pragma once

#include "base/win32.h"

#include <commctrl.h>

#include <string>

class CComboBox {
public:
    explicit CComboBox(HWND window) : hwnd_(window) {}
    int AddString(const std::string& text) const {
        return static_cast<int>(
            ::SendMessageA(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
    }
    void SetCurSel(int index) const { ::SendMessageA(hwnd_, CB_SETCURSEL, index, 0); }
    int GetCurSel() const { return static_cast<int>(::SendMessageA(hwnd_, CB_GETCURSEL, 0, 0)); }

private:
    HWND hwnd_;
};

class CProgressBar {
public:
    explicit CProgressBar(HWND window) : hwnd_(window) {}
    void SetRange(int low, int high) const { ::SendMessageA(hwnd_, PBM_SETRANGE32, low, high); }
    void SetPos(int position) const { ::SendMessageA(hwnd_, PBM_SETPOS, position, 0); }
    int GetPos() const { return static_cast<int>(::SendMessageA(hwnd_, PBM_GETPOS, 0, 0)); }

private:
    HWND hwnd_;
};
