#include "mailbox/mime_text_parts.h"

namespace {

// Deeper nesting is no mail a person wrote.
constexpr int kMaxDepth = 8;
constexpr size_t kMaxParts = 200;

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string LowerText(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        c = Lower(c);
    }
    return lower;
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i])) {
            return false;
        }
    }
    return true;
}

std::string_view Trimmed(std::string_view text) {
    const size_t begin = text.find_first_not_of(" \t\r\n");
    if (begin == std::string_view::npos) {
        return std::string_view();
    }
    return text.substr(begin, text.find_last_not_of(" \t\r\n") - begin + 1);
}

// The end of the line at `pos` (before its CR LF or LF) and where the next
// one starts.
size_t LineEnd(std::string_view text, size_t pos, size_t& next) {
    const size_t lf = text.find('\n', pos);
    if (lf == std::string_view::npos) {
        next = text.size();
        return text.size();
    }
    next = lf + 1;
    return lf > pos && text[lf - 1] == '\r' ? lf - 1 : lf;
}

// Where the blank line after the header lines begins and where the body
// after it begins; both the text's size when there is none.
// A text whose first line is no header field has no header lines.
bool StartsWithField(std::string_view message) {
    size_t next = 0;
    const std::string_view line = message.substr(0, LineEnd(message, 0, next));
    const size_t colon = line.find(':');
    return colon != std::string_view::npos && colon > 0 &&
           line.substr(0, colon).find_first_of(" \t") == std::string_view::npos;
}

void SplitHeaders(std::string_view message, size_t& headersEnd, size_t& bodyBegin) {
    if (!StartsWithField(message)) {
        headersEnd = 0;
        bodyBegin = 0;
        return;
    }
    size_t pos = 0;
    while (pos < message.size()) {
        size_t next = 0;
        const size_t end = LineEnd(message, pos, next);
        if (end == pos) {
            headersEnd = pos;
            bodyBegin = next;
            return;
        }
        pos = next;
    }
    headersEnd = message.size();
    bodyBegin = message.size();
}

struct PartHeaders {
    std::string type; // "text/plain", lower case; empty when not given
    std::string charset;
    std::string boundary;
    std::string transferEncoding;
    bool attachment = false;
};

PartHeaders ReadPartHeaders(std::string_view headers) {
    PartHeaders part;
    const std::string type = MimeHeaderField(headers, "Content-Type");
    const std::string_view trimmed = Trimmed(std::string_view(type).substr(0, type.find(';')));
    part.type = LowerText(trimmed);
    part.charset = FieldParameter(type, "charset");
    part.boundary = FieldParameter(type, "boundary");
    part.transferEncoding =
        LowerText(Trimmed(MimeHeaderField(headers, "Content-Transfer-Encoding")));
    const std::string disposition = MimeHeaderField(headers, "Content-Disposition");
    part.attachment = SameIgnoringCase(
        Trimmed(std::string_view(disposition).substr(0, disposition.find(';'))), "attachment");
    return part;
}

// The bodies between the delimiter lines of `boundary`; none when the body
// has no delimiter at all.
std::vector<std::string_view> SplitMultipart(std::string_view body, const std::string& boundary) {
    std::vector<std::string_view> parts;
    const std::string delimiter = "--" + boundary;
    size_t partBegin = std::string_view::npos;
    size_t pos = 0;
    while (pos < body.size()) {
        size_t next = 0;
        const size_t end = LineEnd(body, pos, next);
        const std::string_view line = body.substr(pos, end - pos);
        if (line.size() >= delimiter.size() && line.compare(0, delimiter.size(), delimiter) == 0) {
            const std::string_view rest = Trimmed(line.substr(delimiter.size()));
            if (rest.empty() || rest == "--") {
                if (partBegin != std::string_view::npos) {
                    // The line break before a delimiter belongs to it.
                    size_t partEnd = pos;
                    if (partEnd > partBegin && body[partEnd - 1] == '\n') {
                        --partEnd;
                        if (partEnd > partBegin && body[partEnd - 1] == '\r') {
                            --partEnd;
                        }
                    }
                    parts.push_back(body.substr(partBegin, partEnd - partBegin));
                }
                if (rest == "--") {
                    return parts;
                }
                partBegin = next;
            }
        }
        pos = next;
    }
    if (partBegin != std::string_view::npos && partBegin < body.size()) {
        parts.push_back(body.substr(partBegin));
    }
    return parts;
}

class PartCollector {
public:
    explicit PartCollector(std::vector<MimeTextPart>& parts) : parts_(parts) {}

    // `entity`: a part's header lines, a blank line and its body.
    void Collect(std::string_view entity, bool defaultText, int depth) {
        if (depth > kMaxDepth || parts_.size() >= kMaxParts) {
            return;
        }
        size_t headersEnd = 0;
        size_t bodyBegin = 0;
        SplitHeaders(entity, headersEnd, bodyBegin);
        const PartHeaders headers = ReadPartHeaders(entity.substr(0, headersEnd));
        const std::string_view body = entity.substr(bodyBegin);
        if (headers.type.empty() && !defaultText) {
            return;
        }
        if (headers.type.compare(0, 10, "multipart/") == 0) {
            CollectMultipart(headers, body, depth);
            return;
        }
        const bool plain = headers.type.empty() || headers.type == "text/plain";
        if ((!plain && headers.type != "text/html") || headers.attachment) {
            return;
        }
        parts_.push_back(MimeTextPart{!plain, headers.charset, headers.transferEncoding, body});
    }

private:
    void CollectMultipart(const PartHeaders& headers, std::string_view body, int depth) {
        const std::vector<std::string_view> children = headers.boundary.empty()
                                                           ? std::vector<std::string_view>()
                                                           : SplitMultipart(body, headers.boundary);
        if (children.empty()) {
            // The parts were taken out; what is left is what the reader sees.
            parts_.push_back(MimeTextPart{false, headers.charset, std::string(), body});
            return;
        }
        const bool alternative = headers.type == "multipart/alternative";
        const size_t first = parts_.size();
        for (const std::string_view child : children) {
            Collect(child, true, depth + 1);
        }
        if (alternative) {
            KeepPlainAlternative(first);
        }
    }

    // The same text twice costs time and says nothing more.
    void KeepPlainAlternative(size_t first) {
        bool anyPlain = false;
        for (size_t i = first; i < parts_.size(); ++i) {
            anyPlain = anyPlain || !parts_[i].html;
        }
        if (!anyPlain) {
            return;
        }
        size_t kept = first;
        for (size_t i = first; i < parts_.size(); ++i) {
            if (!parts_[i].html) {
                parts_[kept++] = parts_[i];
            }
        }
        parts_.resize(kept);
    }

    std::vector<MimeTextPart>& parts_;
};

} // namespace

std::string MimeHeaderField(std::string_view headers, std::string_view name) {
    std::string value;
    bool inField = false;
    size_t pos = 0;
    while (pos < headers.size()) {
        size_t next = 0;
        const size_t end = LineEnd(headers, pos, next);
        const std::string_view line = headers.substr(pos, end - pos);
        pos = next;
        if (!line.empty() && (line[0] == ' ' || line[0] == '\t')) {
            if (inField) {
                value += ' ';
                value += Trimmed(line);
            }
            continue;
        }
        if (inField) {
            break;
        }
        const size_t colon = line.find(':');
        if (colon != std::string_view::npos &&
            SameIgnoringCase(Trimmed(line.substr(0, colon)), name)) {
            value = std::string(Trimmed(line.substr(colon + 1)));
            inField = true;
        }
    }
    return value;
}

std::string FieldParameter(std::string_view value, std::string_view name) {
    size_t pos = value.find(';');
    while (pos != std::string_view::npos) {
        const size_t begin = pos + 1;
        const size_t equals = value.find('=', begin);
        if (equals == std::string_view::npos) {
            return std::string();
        }
        const std::string_view key = Trimmed(value.substr(begin, equals - begin));
        size_t valueBegin = equals + 1;
        while (valueBegin < value.size() &&
               (value[valueBegin] == ' ' || value[valueBegin] == '\t')) {
            ++valueBegin;
        }
        std::string parameter;
        size_t after = valueBegin;
        if (after < value.size() && value[after] == '"') {
            for (++after; after < value.size() && value[after] != '"'; ++after) {
                if (value[after] == '\\' && after + 1 < value.size()) {
                    ++after;
                }
                parameter += value[after];
            }
            after = value.find(';', after);
        } else {
            after = value.find(';', valueBegin);
            parameter = std::string(Trimmed(value.substr(valueBegin, after == std::string_view::npos
                                                                         ? std::string_view::npos
                                                                         : after - valueBegin)));
        }
        if (SameIgnoringCase(key, name)) {
            return parameter;
        }
        pos = after;
    }
    return std::string();
}

std::string_view MessageHeaders(std::string_view message) {
    size_t headersEnd = 0;
    size_t bodyBegin = 0;
    SplitHeaders(message, headersEnd, bodyBegin);
    return message.substr(0, headersEnd);
}

std::string_view MessageBody(std::string_view message) {
    size_t headersEnd = 0;
    size_t bodyBegin = 0;
    SplitHeaders(message, headersEnd, bodyBegin);
    return message.substr(bodyBegin);
}

std::vector<MimeTextPart> MimeTextParts(std::string_view message) {
    std::vector<MimeTextPart> parts;
    PartCollector(parts).Collect(message, true, 0);
    return parts;
}
