// The header fields of a raw message, read as the archive task has them:
// the test host's sender, subject, recipients, date, priority and leading
// status line, and the plug-in's own reading of header lines (the header
// block, a field's value, the X-Status a restore wrote), each decoded as the
// filter and the viewer decode them.
#include "mailbox/encoded_words.h"
#include "mailbox/header_value.h"
#include "testhost/mailstore/header_date.h"
#include "testhost/mailstore/mbox_format.h"
#include "testhost/mailstore/message_headers.h"
#include "testhost/mailstore/message_priority.h"
#include "targets/memory_file.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string Joined(const std::vector<std::string>& parts, const std::string& delimiter) {
    std::string text;
    for (size_t i = 0; i < parts.size(); ++i) {
        text += (i ? delimiter : std::string()) + parts[i];
    }
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string raw(reinterpret_cast<const char*>(data), size);
    HeaderDecoder decoder;

    // The test host's side: what it answers for the header field numbers.
    const std::optional<size_t> end = HeaderBlockEnd(raw);
    FUZZ_CHECK(!end || *end <= raw.size());
    const std::string hostHeaders = raw.substr(0, end ? *end : raw.size());
    for (const char* name : {"From", "Subject", "To", "Date", "X-Priority"}) {
        if (std::optional<std::string> value = FindHeader(hostHeaders, name)) {
            FUZZ_CHECK(value->size() <= hostHeaders.size());
            decoder.DecodeInPlace(*value);
        }
    }
    const int32_t priority = PriorityOfHeader(FindHeader(hostHeaders, "X-Priority"));
    FUZZ_CHECK(priority >= 0 && priority <= 5);
    FUZZ_CHECK(PriorityText(priority).empty() == (priority == 0));
    const std::string shownDate = DisplayDateOfHeader(FindHeader(hostHeaders, "Date"));
    FUZZ_CHECK(shownDate.size() <= hostHeaders.size() + 20);
    if (const std::optional<StatusLine> status = LeadingStatusLine(raw)) {
        FUZZ_CHECK(status->length <= kLongestStatusLine && status->length <= raw.size());
        FUZZ_CHECK(status->status >= 0);
    }

    // The plug-in's side.
    const std::string headers = HeaderBlock(raw);
    FUZZ_CHECK(raw.compare(0, headers.size(), headers) == 0);
    FUZZ_CHECK(headers.find("\r\n\r\n") == std::string::npos);
    for (const char* field : {"From: ", "Subject: ", "To: ", "Date: ", "X-Status: "}) {
        std::string value = HeaderValue(headers, field);
        FUZZ_CHECK(value.size() <= headers.size());
        decoder.DecodeUtf8InPlace(value);
    }
    FindHeaderValue(raw.substr(0, raw.find("\r\n")), "X-Status: ");

    // Splitting is undone by joining, whatever the delimiter.
    const size_t cut = raw.find('\0');
    if (cut != std::string::npos) {
        const std::string delimiter = raw.substr(0, cut);
        const std::string text = raw.substr(cut + 1);
        std::vector<std::string> parts{"kept"};
        const int count = SplitAtText(text, delimiter, parts);
        if (delimiter.empty()) {
            FUZZ_CHECK(count == 0 && parts.size() == 1);
        } else {
            FUZZ_CHECK(count == static_cast<int>(parts.size()));
            parts.erase(parts.begin());
            FUZZ_CHECK(Joined(parts, delimiter) == text);
        }
    }
    return 0;
}
