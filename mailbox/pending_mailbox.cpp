#include "mailbox/pending_mailbox.h"

#include "mailbox/separator_line.h"
#include "plugin/unique_resource.h"
#include "plugin/win32.h"

#include <limits>

bool HoldsSeparatorLikeLine(const std::string& rawText) {
    static const char kSeparatorStart[] = "From ???@???";
    for (size_t line = 0; line != std::string::npos;) {
        if (rawText.compare(line, sizeof kSeparatorStart - 1, kSeparatorStart) == 0) {
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
