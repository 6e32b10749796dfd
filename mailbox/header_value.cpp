#include "mailbox/header_value.h"

#include <cctype>

namespace {

bool StartsWithIgnoringCase(const std::string& line, const std::string& prefix) {
    if (line.size() < prefix.size()) {
        return false;
    }
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(line[i])) !=
            std::tolower(static_cast<unsigned char>(prefix[i]))) {
            return false;
        }
    }
    return true;
}

} // namespace

int SplitAtText(const std::string& text, const std::string& delimiter,
                std::vector<std::string>& parts) {
    if (delimiter.empty()) {
        return 0;
    }
    size_t start = 0;
    for (size_t found = text.find(delimiter); found != std::string::npos;
         found = text.find(delimiter, start)) {
        parts.push_back(text.substr(start, found - start));
        start = found + delimiter.size();
    }
    parts.push_back(text.substr(start));
    return static_cast<int>(parts.size());
}

std::string HeaderBlock(const std::string& rawText) {
    const size_t blank = rawText.find("\r\n\r\n");
    return blank == std::string::npos ? rawText : rawText.substr(0, blank);
}

std::optional<std::string> FindHeaderValue(const std::string& headers, const std::string& field) {
    std::vector<std::string> lines;
    SplitAtText(headers, "\r\n", lines);
    std::optional<std::string> value;
    size_t lastTaken = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (value && i == lastTaken + 1) {
            // The next field ends the value; a line without a colon is folded
            // into it.
            if (line.find(':') != std::string::npos) {
                break;
            }
            *value += line.size() > field.size() ? line.substr(field.size()) : std::string();
            lastTaken = i;
        } else if (StartsWithIgnoringCase(line, field)) {
            value = value.value_or("") + line.substr(field.size());
            lastTaken = i;
        }
    }
    return value;
}

std::string HeaderValue(const std::string& headers, const std::string& field) {
    return FindHeaderValue(headers, field).value_or(std::string());
}
