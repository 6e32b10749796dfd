#include "base/guarded_call.h"

#include "base/message_box.h"
#include "base/stowlark_app.h"

#include <exception>
#include <string>

namespace {

std::string EscapedExceptionText() {
    try {
        throw;
    } catch (const std::bad_alloc&) {
        return "There is not enough memory to finish this.";
    } catch (const std::exception& error) {
        return error.what();
    } catch (...) {
        return "An unexpected error stopped this.";
    }
}

} // namespace

void ReportEscapedException() noexcept {
    try {
        ShowStandardErrorBox(EscapedExceptionText());
    } catch (...) {
        // Not even the text could be put together: the box without it.
        ::MessageBoxA(nullptr, "An unexpected error stopped this.", CStowlarkApp::kAppName,
                      MB_OK | MB_ICONEXCLAMATION);
    }
}
