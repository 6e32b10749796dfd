#include "base/message_routing.h"

#include "base/guarded_call.h"

#include <algorithm>

void MessageRouting::Add(KeyboardTarget& target) {
    if (std::find(targets_.begin(), targets_.end(), &target) == targets_.end()) {
        targets_.push_back(&target);
    }
}

void MessageRouting::Remove(KeyboardTarget& target) {
    targets_.erase(std::remove(targets_.begin(), targets_.end(), &target), targets_.end());
}

bool MessageRouting::PreTranslate(MSG& message) const {
    if (!message.hwnd) {
        return false;
    }
    // The newest window first: a viewer opened from the main dialog is asked
    // before the dialog that owns it.
    for (auto it = targets_.rbegin(); it != targets_.rend(); ++it) {
        KeyboardTarget* target = *it;
        const HWND window = target->KeyboardWindow();
        if (window && (message.hwnd == window || ::IsChild(window, message.hwnd))) {
            // A keystroke whose handling failed goes on to the window as
            // if no one had looked at it.
            return CallGuarded(false, [&] { return target->PreTranslateMessage(message); });
        }
    }
    return false;
}
