#include "mailbox/html_text.h"

#include <cstring>

namespace {

// HTML 4's Latin-1 names, from U+00A0 on.
const char* const kLatin1Names[] = {
    "nbsp",   "iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar", "sect",   "uml",
    "copy",   "ordf",   "laquo",  "not",    "shy",    "reg",    "macr",   "deg",    "plusmn",
    "sup2",   "sup3",   "acute",  "micro",  "para",   "middot", "cedil",  "sup1",   "ordm",
    "raquo",  "frac14", "frac12", "frac34", "iquest", "Agrave", "Aacute", "Acirc",  "Atilde",
    "Auml",   "Aring",  "AElig",  "Ccedil", "Egrave", "Eacute", "Ecirc",  "Euml",   "Igrave",
    "Iacute", "Icirc",  "Iuml",   "ETH",    "Ntilde", "Ograve", "Oacute", "Ocirc",  "Otilde",
    "Ouml",   "times",  "Oslash", "Ugrave", "Uacute", "Ucirc",  "Uuml",   "Yacute", "THORN",
    "szlig",  "agrave", "aacute", "acirc",  "atilde", "auml",   "aring",  "aelig",  "ccedil",
    "egrave", "eacute", "ecirc",  "euml",   "igrave", "iacute", "icirc",  "iuml",   "eth",
    "ntilde", "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide", "oslash", "ugrave",
    "uacute", "ucirc",  "uuml",   "yacute", "thorn",  "yuml"};

// Tags that style a run of text without ending a word.
const char* const kInlineTags[] = {"a",    "b",    "i",    "u",     "em",   "strong",
                                   "span", "font", "s",    "small", "big",  "sub",
                                   "sup",  "tt",   "code", "abbr",  "mark", "strike"};

void AppendUtf8(unsigned value, std::string& text) {
    if (value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        text += ' ';
    } else if (value < 0x80) {
        text += static_cast<char>(value);
    } else if (value < 0x800) {
        text += static_cast<char>(0xC0 | value >> 6);
        text += static_cast<char>(0x80 | (value & 0x3F));
    } else if (value < 0x10000) {
        text += static_cast<char>(0xE0 | value >> 12);
        text += static_cast<char>(0x80 | ((value >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (value & 0x3F));
    } else {
        text += static_cast<char>(0xF0 | value >> 18);
        text += static_cast<char>(0x80 | ((value >> 12) & 0x3F));
        text += static_cast<char>(0x80 | ((value >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (value & 0x3F));
    }
}

bool IsAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsNameChar(char c) {
    return IsAsciiLetter(c) || (c >= '0' && c <= '9');
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The character a reference names, or 0 when it names none this knows.
unsigned NamedCharacter(std::string_view name) {
    static const std::pair<const char*, unsigned> kBasic[] = {
        {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
    for (const auto& [known, value] : kBasic) {
        if (name == known) {
            return value;
        }
    }
    for (size_t i = 0; i < sizeof kLatin1Names / sizeof *kLatin1Names; ++i) {
        if (name == kLatin1Names[i]) {
            return static_cast<unsigned>(0xA0 + i);
        }
    }
    return 0;
}

// A reference at `at` ("&eacute;", "&#233;", "&#xE9;"): its character into
// `text` and the position after it, or `at` when there is none.
size_t ReadReference(std::string_view html, size_t at, std::string& text) {
    size_t pos = at + 1;
    unsigned value = 0;
    if (pos < html.size() && html[pos] == '#') {
        ++pos;
        const bool hex = pos < html.size() && Lower(html[pos]) == 'x';
        pos += hex ? 1 : 0;
        const size_t digits = pos;
        while (pos < html.size() && pos - digits < 8) {
            const char c = Lower(html[pos]);
            if (c >= '0' && c <= '9') {
                value = value * (hex ? 16 : 10) + static_cast<unsigned>(c - '0');
            } else if (hex && c >= 'a' && c <= 'f') {
                value = value * 16 + static_cast<unsigned>(c - 'a' + 10);
            } else {
                break;
            }
            ++pos;
        }
        if (pos == digits) {
            return at;
        }
    } else {
        const size_t begin = pos;
        while (pos < html.size() && pos - begin < 8 && IsNameChar(html[pos])) {
            ++pos;
        }
        value = NamedCharacter(html.substr(begin, pos - begin));
        if (value == 0) {
            return at;
        }
    }
    if (pos < html.size() && html[pos] == ';') {
        ++pos;
    }
    AppendUtf8(value == 0xA0 ? ' ' : value, text);
    return pos;
}

// The tag's name in lower case, without a leading "/".
std::string TagName(std::string_view html, size_t at, bool& closing) {
    size_t pos = at + 1;
    closing = pos < html.size() && html[pos] == '/';
    pos += closing ? 1 : 0;
    std::string name;
    while (pos < html.size() && IsNameChar(html[pos]) && name.size() < 16) {
        name += Lower(html[pos++]);
    }
    return name;
}

bool IsInlineTag(const std::string& name) {
    for (const char* tag : kInlineTags) {
        if (name == tag) {
            return true;
        }
    }
    return false;
}

// The position after the tag at `at`; quoted attribute values may hold ">".
size_t TagEnd(std::string_view html, size_t at) {
    char quote = 0;
    for (size_t pos = at + 1; pos < html.size(); ++pos) {
        const char c = html[pos];
        if (quote) {
            quote = c == quote ? 0 : quote;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            return pos + 1;
        }
    }
    return html.size();
}

// Past the closing tag of `name`, whose content is no text.
size_t SkipElement(std::string_view html, size_t from, const std::string& name) {
    for (size_t pos = html.find("</", from); pos != std::string_view::npos;
         pos = html.find("</", pos + 2)) {
        bool closing = false;
        if (TagName(html, pos, closing) == name) {
            return TagEnd(html, pos);
        }
    }
    return html.size();
}

} // namespace

std::string HtmlToText(std::string_view html) {
    std::string text;
    text.reserve(html.size() / 2);
    size_t pos = 0;
    while (pos < html.size()) {
        const char c = html[pos];
        if (c == '&') {
            const size_t after = ReadReference(html, pos, text);
            if (after == pos) {
                text += c;
                ++pos;
            } else {
                pos = after;
            }
            continue;
        }
        const bool tagStart = c == '<' && pos + 1 < html.size() &&
                              (IsAsciiLetter(html[pos + 1]) || html[pos + 1] == '/' ||
                               html[pos + 1] == '!' || html[pos + 1] == '?');
        if (!tagStart) {
            text += c;
            ++pos;
            continue;
        }
        if (html.compare(pos, 4, "<!--") == 0) {
            const size_t end = html.find("-->", pos + 4);
            pos = end == std::string_view::npos ? html.size() : end + 3;
            text += ' ';
            continue;
        }
        bool closing = false;
        const std::string name = TagName(html, pos, closing);
        pos = TagEnd(html, pos);
        if (!closing && (name == "script" || name == "style")) {
            pos = SkipElement(html, pos, name);
        }
        if (!IsInlineTag(name)) {
            text += ' ';
        }
    }
    return text;
}
