#include "testhost/mailstore/store_error.h"

#include "base/system_error.h"

void ThrowSystemError(const std::string& action, const std::string& path, DWORD error) {
    std::string text = SystemMessageText(error);
    if (text.empty()) {
        text = "error " + std::to_string(error);
    }
    throw StoreError(action + " " + path + ": " + text);
}
