#include "ui/message_page.h"

#include "plugin/file_utils.h"

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
