// Windows that must see a keystroke before it is dispatched: modeless
// dialogs need the dialog keyboard interface (Tab, mnemonics), the main
// dialog its accelerators. The host's own loop knows nothing of our windows,
// so every loop the plug-in runs (its modal loop, the tasks' pumping, the
// splitter's drag) hands each message here first.
#pragma once

#include "base/win32.h"

#include <vector>

class KeyboardTarget {
public:
    virtual ~KeyboardTarget() = default;
    // The top-level window whose messages (its own and its children's) this
    // target looks at.
    virtual HWND KeyboardWindow() const = 0;
    // True when the message was used up and must not be dispatched.
    virtual bool PreTranslateMessage(MSG& message) = 0;
};

class MessageRouting {
public:
    void Add(KeyboardTarget& target);
    void Remove(KeyboardTarget& target);
    // Offers the message to the target owning its window.
    bool PreTranslate(MSG& message) const;

private:
    std::vector<KeyboardTarget*> targets_;
};
