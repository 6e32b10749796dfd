#include "testhost/mailstore/message_headers.h"

namespace {

bool IsFoldingBlank(char c) {
    return c == ' ' || c == '\t';
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// One line without its CR LF or LF; `next` moves past the line end.
std::string_view NextLine(std::string_view text, size_t& next) {
    const size_t start = next;
    size_t end = text.find('\n', start);
    next = end == std::string_view::npos ? text.size() : end + 1;
    if (end == std::string_view::npos) {
        end = text.size();
    }
    if (end > start && text[end - 1] == '\r') {
        --end;
    }
    return text.substr(start, end - start);
}

// The value after "name:" (blanks before the colon allowed), or empty.
std::optional<std::string_view> ValueIfNamed(std::string_view line, std::string_view name) {
    if (line.size() < name.size()) {
        return std::nullopt;
    }
    for (size_t i = 0; i < name.size(); ++i) {
        if (Lower(line[i]) != Lower(name[i])) {
            return std::nullopt;
        }
    }
    size_t at = name.size();
    while (at < line.size() && IsFoldingBlank(line[at])) {
        ++at;
    }
    if (at >= line.size() || line[at] != ':') {
        return std::nullopt;
    }
    return line.substr(at + 1);
}

} // namespace

std::optional<size_t> HeaderBlockEnd(std::string_view message) {
    size_t next = 0;
    while (next < message.size()) {
        const size_t start = next;
        const std::string_view line = NextLine(message, next);
        // Only a complete line can be the blank one.
        if (line.empty() && next > start && message[next - 1] == '\n') {
            return start;
        }
    }
    return std::nullopt;
}

std::optional<std::string> FindHeader(std::string_view headers, std::string_view name) {
    size_t next = 0;
    while (next < headers.size()) {
        const std::string_view line = NextLine(headers, next);
        if (line.empty()) {
            break;
        }
        const auto first = ValueIfNamed(line, name);
        if (!first) {
            continue;
        }
        std::string value(*first);
        while (next < headers.size() && IsFoldingBlank(headers[next])) {
            value += NextLine(headers, next);
        }
        const size_t start = value.find_first_not_of(" \t");
        return start == std::string::npos ? std::string() : value.substr(start);
    }
    return std::nullopt;
}
