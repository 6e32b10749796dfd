#include "testhost/mailstore/mbox_format.h"

#include "testhost/mailstore/store_error.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

const std::string_view kSeparatorStart = "From ???@??? ";
// Longer than any separator line, so a line's first bytes are enough to judge it.
const size_t kLongestSeparator = 64;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsOneOf(std::string_view word, const char* (*name)(int), int first, int last) {
    for (int i = first; i <= last; ++i) {
        if (word == name(i)) {
            return true;
        }
    }
    return false;
}

// "d ", "dd " or " d " with 1..31; how many characters the day took, 0 if none.
size_t DayLength(std::string_view text) {
    if (text.size() >= 3 && text[0] == ' ' && text[1] >= '1' && text[1] <= '9' && text[2] == ' ') {
        return 2;
    }
    if (text.size() >= 2 && text[0] >= '1' && text[0] <= '9' && text[1] == ' ') {
        return 1;
    }
    if (text.size() >= 3 && IsDigit(text[0]) && IsDigit(text[1]) && text[2] == ' ') {
        const int day = (text[0] - '0') * 10 + (text[1] - '0');
        return day >= 1 && day <= 31 ? 2 : 0;
    }
    return 0;
}

bool MatchesPattern(std::string_view text, std::string_view pattern) {
    if (text.size() != pattern.size()) {
        return false;
    }
    for (size_t i = 0; i < text.size(); ++i) {
        if (pattern[i] == '9' ? !IsDigit(text[i]) : text[i] != pattern[i]) {
            return false;
        }
    }
    return true;
}

struct SeparatorAt {
    uint64_t start;
    uint64_t messageStart;
    bool crlfBefore;
};

} // namespace

bool IsSeparatorLine(std::string_view line) {
    if (line.substr(0, kSeparatorStart.size()) != kSeparatorStart) {
        return false;
    }
    std::string_view rest = line.substr(kSeparatorStart.size());
    if (rest.size() < 8 || rest[3] != ' ' || rest[7] != ' ' ||
        !IsOneOf(rest.substr(0, 3), WeekdayAbbreviation, 0, 6) ||
        !IsOneOf(rest.substr(4, 3), MonthAbbreviation, 1, 12)) {
        return false;
    }
    rest = rest.substr(8);
    const size_t day = DayLength(rest);
    return day > 0 && MatchesPattern(rest.substr(day + 1), "99:99:99 9999");
}

std::string SeparatorLine(const CivilTime& time) {
    char line[64];
    std::snprintf(line, sizeof line, "From ???@??? %s %s %d %02d:%02d:%02d %04d\r\n",
                  WeekdayAbbreviation(DayOfWeek(time.year, time.month, time.day)),
                  MonthAbbreviation(time.month), time.day, time.hour, time.minute, time.second,
                  time.year);
    return line;
}

bool HoldsSeparatorLine(std::string_view message) {
    size_t start = 0;
    while (start < message.size()) {
        const size_t lf = message.find('\n', start);
        std::string_view line = message.substr(
            start, lf == std::string_view::npos ? std::string_view::npos : lf - start);
        // The record's closing CR LF ends an unfinished last line, so only a
        // finished line loses a CR to its line end.
        if (lf != std::string_view::npos && !line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (IsSeparatorLine(line)) {
            return true;
        }
        if (lf == std::string_view::npos) {
            break;
        }
        start = lf + 1;
    }
    return false;
}

std::vector<RecordSpan> ScanRecords(const DiskFile& file, uint64_t from) {
    const uint64_t size = file.Size();
    std::vector<SeparatorAt> separators;
    std::vector<char> buffer(1 << 16);
    std::string head; // the current line's first bytes
    uint64_t lineStart = from;
    bool lineAfterCrlf = false;
    char previous = '\0';

    auto judgeLine = [&](uint64_t next, bool finished) {
        std::string_view line = head;
        if (finished && !line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (IsSeparatorLine(line)) {
            separators.push_back({lineStart, next, lineAfterCrlf});
        }
    };

    for (uint64_t position = from; position < size;) {
        const size_t want = static_cast<size_t>(std::min<uint64_t>(size - position, buffer.size()));
        const size_t got = file.ReadSome(position, buffer.data(), want);
        if (got == 0) {
            throw StoreError("Cannot read " + file.path() + ": it ended early while being read");
        }
        size_t i = 0;
        while (i < got) {
            const void* found = std::memchr(buffer.data() + i, '\n', got - i);
            const size_t end = found ? static_cast<const char*>(found) - buffer.data() : got;
            if (head.size() < kLongestSeparator) {
                head.append(buffer.data() + i, std::min(end - i, kLongestSeparator - head.size()));
            }
            const char beforeEnd = end > i ? buffer[end - 1] : previous;
            if (!found) {
                previous = beforeEnd;
                break;
            }
            judgeLine(position + end + 1, true);
            head.clear();
            lineStart = position + end + 1;
            lineAfterCrlf = beforeEnd == '\r';
            previous = '\n';
            i = end + 1;
        }
        position += got;
    }
    if (lineStart < size) {
        judgeLine(size, false);
    }

    const bool fileEndsInCrlf = size >= 2 && file.ReadAt(size - 2, 2) == "\r\n";
    std::vector<RecordSpan> records;
    records.reserve(separators.size());
    for (size_t k = 0; k < separators.size(); ++k) {
        const bool last = k + 1 == separators.size();
        const uint64_t end = last ? size : separators[k + 1].start;
        const bool closed = last ? fileEndsInCrlf : separators[k + 1].crlfBefore;
        RecordSpan span;
        span.recordOffset = separators[k].start;
        span.offset = separators[k].messageStart;
        span.length = end - span.offset;
        if (closed && span.length >= 2) {
            span.length -= 2;
        }
        records.push_back(span);
    }
    return records;
}

std::optional<StatusLine> LeadingStatusLine(std::string_view messageStart) {
    constexpr std::string_view kField = "X-Status: ";
    if (messageStart.substr(0, kField.size()) != kField) {
        return std::nullopt;
    }
    size_t end = kField.size();
    int32_t status = 0;
    while (end < messageStart.size() && end - kField.size() < 9 && messageStart[end] >= '0' &&
           messageStart[end] <= '9') {
        status = status * 10 + (messageStart[end] - '0');
        ++end;
    }
    if (end == kField.size() || messageStart.substr(end, 2) != "\r\n") {
        return std::nullopt;
    }
    return StatusLine{end + 2, status};
}
