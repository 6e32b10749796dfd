// The access keys of a dialog's controls (the underlined letter of "&Archive"),
// answered as the Windows dialog manager answers them, whatever dialog
// manager the platform has: a letter that one control has presses it, a
// letter that several share only moves the focus from one to the next. Wine's
// presses the first of them, so a key meant for a check box could start a
// task.
#pragma once

#include "base/win32.h"

#include <vector>

struct AccessKey {
    HWND control;
    // Upper case.
    char key;
};

// The dialog's controls that have an access key, in tab order, hidden and
// disabled ones too.
std::vector<AccessKey> DialogAccessKeys(HWND dialog);

// Acts on `message` when it is an access key of `dialog`: Alt with a letter,
// or a plain letter the focused control does not take as typing (a button's,
// say). True when the message is used up.
bool HandleAccessKey(HWND dialog, const MSG& message);
