#include "mailbox/encoded_words.h"

#include "mailbox/transfer_decoding.h"
#include "base/ansi_text.h"
#include "base/code_pages.h"
#include "base/mime_charsets.h"

#include <algorithm>
#include <climits>
#include <optional>
#include <utility>
#include <vector>

namespace {

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string LowerAscii(std::string text) {
    for (char& c : text) {
        c = LowerAscii(c);
    }
    return text;
}

// For platforms whose MLang is missing or does not know a common name (Wine's
// lacks euc-kr and names 51932 for euc-jp, which its conversions refuse).
// Windows has no code page for ISO-8859-10, -12 or -14.
UINT BuiltInCodePage(const std::string& lowerName) {
    static const std::pair<const char*, UINT> kTable[] = {
        {"utf-8", 65001},        {"us-ascii", 20127},    {"iso-8859-1", 28591},
        {"iso-8859-2", 28592},   {"iso-8859-3", 28593},  {"iso-8859-4", 28594},
        {"iso-8859-5", 28595},   {"iso-8859-6", 28596},  {"iso-8859-7", 28597},
        {"iso-8859-8", 28598},   {"iso-8859-9", 28599},  {"iso-8859-11", 874},
        {"iso-8859-13", 28603},  {"iso-8859-15", 28605}, {"windows-1250", 1250},
        {"windows-1251", 1251},  {"windows-1252", 1252}, {"windows-1253", 1253},
        {"windows-1254", 1254},  {"windows-1255", 1255}, {"windows-1256", 1256},
        {"windows-1257", 1257},  {"windows-1258", 1258}, {"koi8-r", 20866},
        {"koi8-u", 21866},       {"shift_jis", 932},     {"euc-jp", 20932},
        {"iso-2022-jp", 50220},  {"gb2312", 936},        {"gbk", 936},
        {"gb18030", 54936},      {"big5", 950},          {"euc-kr", 949},
        {"ks_c_5601-1987", 949}, {"utf-7", 65000},
    };
    for (const auto& [name, codePage] : kTable) {
        if (lowerName == name) {
            return codePage;
        }
    }
    return 0;
}

} // namespace

// The Windows code page of each charset a header names, asking MLang first.
// COM and the MLang object are set up only at the first encoded word, and
// each charset is looked up once for all the headers a decoder reads.
class CharsetResolver {
public:
    // 0 when neither MLang nor the built-in table gives a code page this
    // platform converts.
    UINT CodePage(const std::string& charset) {
        const std::string lower = LowerAscii(charset);
        for (const auto& [name, codePage] : resolved_) {
            if (name == lower) {
                return codePage;
            }
        }
        UINT codePage = platform_.InternetCodePage(lower);
        if (codePage == 0 || !IsConvertibleCodePage(codePage)) {
            codePage = BuiltInCodePage(lower);
        }
        if (codePage != 0 && !IsConvertibleCodePage(codePage)) {
            codePage = 0;
        }
        resolved_.emplace_back(lower, codePage);
        return codePage;
    }

private:
    MimeCharsets platform_;
    std::vector<std::pair<std::string, UINT>> resolved_;
};

namespace {

bool IsLinearWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool IsLinearWhiteSpace(const std::string& text, size_t begin, size_t end) {
    for (size_t i = begin; i < end; ++i) {
        if (!IsLinearWhiteSpace(text[i])) {
            return false;
        }
    }
    return true;
}

bool DecodeQ(const char* text, size_t length, std::string& bytes) {
    for (size_t i = 0; i < length; ++i) {
        if (text[i] == '_') {
            bytes += ' ';
        } else if (text[i] != '=') {
            bytes += text[i];
        } else {
            const int high = i + 2 < length ? HexDigitValue(text[i + 1]) : -1;
            const int low = i + 2 < length ? HexDigitValue(text[i + 2]) : -1;
            if (high < 0 || low < 0) {
                return false;
            }
            bytes += static_cast<char>(high * 16 + low);
            i += 2;
        }
    }
    return true;
}

// Padding may be left off, as some mailers do; anything after it may not.
bool DecodeB(const char* text, size_t length, std::string& bytes) {
    unsigned bits = 0;
    int bitCount = 0;
    size_t digits = 0;
    size_t padding = 0;
    for (size_t i = 0; i < length; ++i) {
        if (text[i] == '=') {
            ++padding;
            continue;
        }
        const int value = Base64DigitValue(text[i]);
        if (value < 0 || padding > 0) {
            return false;
        }
        ++digits;
        bits = (bits << 6) | static_cast<unsigned>(value);
        bitCount += 6;
        if (bitCount >= 8) {
            bitCount -= 8;
            bytes += static_cast<char>((bits >> bitCount) & 0xFF);
        }
    }
    if (digits % 4 == 1 || padding > 2) {
        return false;
    }
    return padding == 0 || (digits + padding) % 4 == 0;
}

struct EncodedWord {
    size_t begin = 0;
    size_t end = 0;
    UINT codePage = 0;
    std::string bytes;
};

// Charset and encoded text are printable ASCII without blanks; the RFC's
// 75-character limit is not enforced, as long words from real mailers are
// otherwise well formed.
bool IsWordChar(char c) {
    return c > ' ' && c < 0x7F && c != '?';
}

// The encoded word that starts with "=?" at `begin`, or nothing when the text
// there is not one this platform can decode.
std::optional<EncodedWord> ParseWord(const std::string& header, size_t begin,
                                     CharsetResolver& charsets) {
    const size_t size = header.size();
    const size_t charsetBegin = begin + 2;
    size_t pos = charsetBegin;
    while (pos < size && IsWordChar(header[pos]) && header[pos] != '=') {
        ++pos;
    }
    // RFC 2231 lets the charset carry a language ("utf-8*en").
    std::string charset = header.substr(charsetBegin, pos - charsetBegin);
    charset.erase(std::min(charset.find('*'), charset.size()));
    if (charset.empty() || pos + 2 >= size || header[pos] != '?' || header[pos + 2] != '?') {
        return std::nullopt;
    }
    const char encoding = LowerAscii(header[pos + 1]);
    if (encoding != 'b' && encoding != 'q') {
        return std::nullopt;
    }
    const size_t textBegin = pos + 3;
    pos = textBegin;
    while (pos < size && IsWordChar(header[pos])) {
        ++pos;
    }
    if (pos == textBegin || pos + 1 >= size || header[pos] != '?' || header[pos + 1] != '=') {
        return std::nullopt;
    }
    EncodedWord word;
    const char* text = header.data() + textBegin;
    const size_t length = pos - textBegin;
    if (!(encoding == 'q' ? DecodeQ(text, length, word.bytes)
                          : DecodeB(text, length, word.bytes))) {
        return std::nullopt;
    }
    word.codePage = charsets.CodePage(charset);
    if (word.codePage == 0) {
        return std::nullopt;
    }
    word.begin = begin;
    word.end = pos + 2;
    return word;
}

// The bytes in the user's code page or in UTF-8, or nothing when the
// platform cannot convert them.
std::optional<std::string> Convert(UINT codePage, const std::string& bytes, bool utf8) {
    if (bytes.empty()) {
        return std::string();
    }
    if (bytes.size() > INT_MAX) {
        return std::nullopt;
    }
    const int size = static_cast<int>(bytes.size());
    const int wide = WideFromCodePage(codePage, 0, bytes.data(), size, nullptr, 0);
    if (wide <= 0) {
        return std::nullopt;
    }
    std::wstring text(static_cast<size_t>(wide), L'\0');
    WideFromCodePage(codePage, 0, bytes.data(), size, &text[0], wide);
    return utf8 ? Utf8FromWide(text) : AnsiFromWide(text);
}

} // namespace

HeaderDecoder::HeaderDecoder() = default;
HeaderDecoder::~HeaderDecoder() = default;

void HeaderDecoder::DecodeInPlace(std::string& header) {
    if (header.find("=?") != std::string::npos) {
        header = Decode(header);
    }
}

void HeaderDecoder::DecodeUtf8InPlace(std::string& header) {
    if (header.find("=?") != std::string::npos) {
        header = DecodeInto(header, true);
    }
}

std::string HeaderDecoder::Decode(const std::string& header) {
    return DecodeInto(header, false);
}

std::string HeaderDecoder::DecodeInto(const std::string& header, bool utf8) {
    size_t found = header.find("=?");
    if (found == std::string::npos) {
        return header;
    }
    if (!charsets_) {
        charsets_ = std::make_unique<CharsetResolver>();
    }
    CharsetResolver& charsets = *charsets_;
    std::vector<EncodedWord> words;
    while (found != std::string::npos) {
        std::optional<EncodedWord> word = ParseWord(header, found, charsets);
        if (word) {
            found = header.find("=?", word->end);
            words.push_back(std::move(*word));
        } else {
            found = header.find("=?", found + 1);
        }
    }

    std::string result;
    size_t copied = 0;
    bool lastWasDecoded = false;
    for (size_t first = 0; first < words.size();) {
        // A character may be split across adjacent words of one charset, so
        // their bytes convert together.
        std::string bytes = words[first].bytes;
        size_t last = first;
        while (last + 1 < words.size() && words[last + 1].codePage == words[first].codePage &&
               IsLinearWhiteSpace(header, words[last].end, words[last + 1].begin)) {
            ++last;
            bytes += words[last].bytes;
        }
        const std::optional<std::string> text = Convert(words[first].codePage, bytes, utf8);
        const size_t begin = words[first].begin;
        if (!(text && lastWasDecoded && IsLinearWhiteSpace(header, copied, begin))) {
            result.append(header, copied, begin - copied);
        }
        if (text) {
            result += *text;
        } else {
            result.append(header, begin, words[last].end - begin);
        }
        lastWasDecoded = text.has_value();
        copied = words[last].end;
        first = last + 1;
    }
    result.append(header, copied, std::string::npos);
    return result;
}

std::string DecodeEncodedWords(const std::string& header) {
    return HeaderDecoder().Decode(header);
}

std::string DecodeEncodedWordsUtf8(const std::string& header) {
    std::string decoded = header;
    HeaderDecoder().DecodeUtf8InPlace(decoded);
    return decoded;
}
