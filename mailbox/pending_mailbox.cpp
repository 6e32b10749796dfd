#include "mailbox/pending_mailbox.h"

#include "mailbox/separator_line.h"
#include "base/unique_resource.h"
#include "base/win32.h"

#include <limits>

namespace {

bool IsOneOfNames(const std::string& text, size_t at, const char* const* names, int count) {
    if (text.size() < at + 3) {
        return false;
    }
    for (int i = 0; i < count; ++i) {
        if (::CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, text.c_str() + at, 3, names[i],
                             3) == CSTR_EQUAL) {
            return true;
        }
    }
    return false;
}

// The host takes a line for the start of a record only when a weekday and a
// month follow, then the day, the time and the year. Weekday and month are
// enough here, so that whatever the host might take is kept out; a line
// such as "From ???@??? is not one" is only text to it.
bool StartsLikeSeparator(const std::string& text, size_t line) {
    static const char kStart[] = "From ???@??? ";
    static const char* const kWeekdays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const size_t length = sizeof kStart - 1;
    if (text.compare(line, length, kStart) != 0) {
        return false;
    }
    const size_t weekday = line + length;
    return IsOneOfNames(text, weekday, kWeekdays, 7) && text.size() > weekday + 3 &&
           text[weekday + 3] == ' ' && IsOneOfNames(text, weekday + 4, kMonths, 12);
}

} // namespace

bool HoldsSeparatorLikeLine(const std::string& rawText) {
    for (size_t line = 0; line != std::string::npos;) {
        if (StartsLikeSeparator(rawText, line)) {
            return true;
        }
        const size_t end = rawText.find('\n', line);
        line = end == std::string::npos ? end : end + 1;
    }
    return false;
}

std::string PendingRecord(const std::string& dateText, int status, const std::string& rawText) {
    return MakeSeparatorLine(dateText) + "\r\n" + "X-Status: " + std::to_string(status) + "\r\n" +
           rawText + "\r\n";
}

AppendOutcome AppendPendingRecord(const std::string& mbxPath, const std::string& dateText,
                                  int status, const std::string& rawText) {
    const std::string record = PendingRecord(dateText, status, rawText);
    if (HoldsSeparatorLikeLine(rawText) || record.size() > std::numeric_limits<DWORD>::max()) {
        return AppendOutcome::NotWritten;
    }
    UniqueFile file(::CreateFileA(mbxPath.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return AppendOutcome::NotWritten;
    }
    LARGE_INTEGER end{};
    const LARGE_INTEGER none{};
    if (!::SetFilePointerEx(file.get(), none, &end, FILE_END)) {
        return AppendOutcome::NotWritten;
    }
    DWORD written = 0;
    const DWORD size = static_cast<DWORD>(record.size());
    if (::WriteFile(file.get(), record.data(), size, &written, nullptr) && written == size) {
        return AppendOutcome::Appended;
    }
    // Half a record would read back as a different message, or run into the
    // next one: cut the file back to where it ended.
    if (written == 0 ||
        (::SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN) && ::SetEndOfFile(file.get()))) {
        return AppendOutcome::NotWritten;
    }
    return AppendOutcome::FileDamaged;
}

bool AppendPendingMessage(const std::string& mbxPath, const std::string& dateText, int status,
                          const std::string& rawText) {
    return AppendPendingRecord(mbxPath, dateText, status, rawText) == AppendOutcome::Appended;
}
