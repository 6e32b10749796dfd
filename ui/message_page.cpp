#include "ui/message_page.h"

#include "base/ansi_text.h"
#include "base/file_utils.h"
#include "base/win32.h"

namespace {

const std::string kLineBreak = "\r\n";

std::string AfterFirstBlankLine(const std::string& message) {
    const std::string::size_type blank = message.find("\r\n\r\n");
    return blank == std::string::npos ? message : message.substr(blank + 4);
}

} // namespace

std::string PreviewBody(const std::string& message) {
    std::string body = AfterFirstBlankLine(message);
    // A body with tags of its own is taken as a page fragment already.
    if (body.find("<br>") == std::string::npos && body.find("<BR>") == std::string::npos) {
        ReplaceAll(body, kLineBreak, kLineBreak + "<br>");
    }
    return body;
}

std::string ComposeMessagePage(std::string pageTemplate, const ViewerRow& row,
                               const std::string& body) {
    ReplaceAll(pageTemplate, "%FROM%", row.from());
    ReplaceAll(pageTemplate, "%SUBJECT%", row.subject());
    ReplaceAll(pageTemplate, "%TO%", row.to());
    ReplaceAll(pageTemplate, "%DATE%", row.date());
    ReplaceAll(pageTemplate, "%PRIORITY%", row.priority());
    ReplaceAll(pageTemplate, "%RAW_TEXT%", body);
    return pageTemplate;
}

std::string PlainMessageText(const ViewerRow& row, const std::string& message) {
    return "From: " + row.from() + kLineBreak + "Subject: " + row.subject() + kLineBreak +
           "To: " + row.to() + kLineBreak + "Date: " + row.date() + kLineBreak +
           "Priority: " + row.priority() + kLineBreak + kLineBreak + AfterFirstBlankLine(message);
}

std::string PageBytes(const std::string& utf8Page) {
    std::string bytes;
    if (Utf8ToAnsiExact(utf8Page, bytes)) {
        return bytes;
    }
    const std::wstring wide = WideFromUtf8(utf8Page);
    bytes.clear();
    bytes.reserve(wide.size() + wide.size() / 4);
    for (size_t i = 0; i < wide.size();) {
        // A character beyond the first 65,536 takes two units.
        const bool pair =
            i + 1 < wide.size() && IS_HIGH_SURROGATE(wide[i]) && IS_LOW_SURROGATE(wide[i + 1]);
        const size_t units = pair ? 2 : 1;
        std::string narrow;
        if (wide[i] < 0x80) {
            bytes += static_cast<char>(wide[i]);
        } else if (Utf8ToAnsiExact(Utf8FromWide(wide.data() + i, units), narrow)) {
            bytes += narrow;
        } else {
            const unsigned long code =
                pair ? 0x10000 + ((wide[i] - 0xD800ul) << 10) + (wide[i + 1] - 0xDC00ul)
                     : static_cast<unsigned long>(wide[i]);
            bytes += "&#" + std::to_string(code) + ";";
        }
        i += units;
    }
    return bytes;
}
