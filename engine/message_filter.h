// Which messages a task touches: the "Match" settings of the main dialog,
// applied alike to a host message (archiving) and to an archive row
// (restoring).
#pragma once

#include "base/win32.h"

#include <memory>
#include <string>

class HeaderDecoder;

// The values of one message that the filter reads.
struct FilterCandidate {
    int status = 0;
    std::string priority;
    std::string from;
    std::string date;
    std::string subject;
    std::string to;
};

// The status list's rows are the host's status numbers.
constexpr int kStatusCount = 11;
extern const char* const kStatusTexts[kStatusCount];
constexpr int kPriorityCount = 5;
extern const char* const kPriorityTexts[kPriorityCount];

struct MessageFilter {
    // Every message matches; the tests below are not used.
    bool allMessages = true;
    bool statusOn = false;
    int statusIndex = 8;
    std::string statusText = "Sent";
    bool priorityOn = false;
    int priorityIndex = 2;
    // The text, not the index, is what a message's priority is compared with.
    std::string priorityText = "Normal";
    bool fromOn = false;
    std::string fromText;
    bool dateOn = false;
    // Both days belong to the range.
    DATE dateStart = 0;
    DATE dateEnd = 0;
    bool subjectOn = false;
    std::string subjectText;
    bool toOn = false;
    std::string toText;
    // "All Filters" rather than "Any Filter".
    bool matchAll = false;

    // The "Filters" section of the settings file; dates that are missing or
    // unreadable become today. "All Messages" is on when no test is.
    void loadFromSettings(const std::string& settingsFile);
    void saveToSettings(const std::string& settingsFile) const;

    // The reason a task may not start yet, or "" when it may.
    std::string validate(int selectedCount, bool restoring) const;
    bool matches(const FilterCandidate& message) const;
    // For the log: "None", or one tab-indented line per test and the match
    // rule.
    std::string describe() const;

private:
    bool HeaderContains(const std::string& header, const std::string& text) const;

    // Made at the first encoded header and kept as long as the filter: a
    // task tests every message with it, and setting one up costs far more
    // than a test. Copies of the filter share it.
    mutable std::shared_ptr<HeaderDecoder> decoder_;
};
