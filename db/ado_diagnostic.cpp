#include "db/ado_diagnostic.h"

#include "base/system_error.h"

#include <cstdio>

std::string CodeMeaning(HRESULT code) {
    std::string meaning = SystemMessageText(static_cast<DWORD>(code));
    if (!meaning.empty()) {
        return meaning;
    }
    const unsigned long value = static_cast<unsigned long>(code);
    char buffer[64];
    if (value >= 0x80040200UL && value <= 0x8004FFFFUL) {
        std::snprintf(buffer, sizeof buffer, "IDispatch error #%d",
                      static_cast<int>(value - 0x80040200UL));
    } else {
        std::snprintf(buffer, sizeof buffer, "Unknown error 0x%0lX", value);
    }
    return buffer;
}

std::string DiagnosticText(const char* title, const DbError& error) {
    char code[16];
    std::snprintf(code, sizeof code, "%08lx", static_cast<unsigned long>(error.code()));
    return std::string(title) + "\n\tCode = " + code +
           "\n\tCode meaning = " + CodeMeaning(error.code()) + "\n\tSource = " + error.source() +
           "\n\tDescription = " + error.description() + "\n";
}

void TraceCatalogError(const char* title, const DbError& error) {
    ::OutputDebugStringA(DiagnosticText(title, error).c_str());
}
