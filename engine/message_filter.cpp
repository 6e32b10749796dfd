#include "engine/message_filter.h"

#include "mailbox/date_formats.h"
#include "mailbox/encoded_words.h"
#include "base/file_utils.h"
#include "base/settings_keys.h"

#include <optional>

const char* const kStatusTexts[kStatusCount] = {
    "Unread", "Read",   "Replied To", "Forwarded", "Redirected", "Unsendable",
    "Draft",  "Queued", "Sent",       "Unsent",    "Time Queued"};
const char* const kPriorityTexts[kPriorityCount] = {"Highest", "High", "Normal", "Low", "Lowest"};

namespace {

DATE ReadDate(const TextSetting& setting, const std::string& file) {
    const std::optional<DATE> stored = ParseLocaleDate(ReadSetting(setting, file));
    return stored ? *stored : Today();
}

std::string ListText(const char* const* texts, int count, int index) {
    return index >= 0 && index < count ? texts[index] : "";
}

// A position no list has would show an empty list while the test used an
// empty text, which matches every message that lacks the value.
int ListIndex(const IntSetting& setting, int count, const std::string& file) {
    const int index = ReadSetting(setting, file);
    return index >= 0 && index < count ? index : setting.defaultValue;
}

} // namespace

void MessageFilter::loadFromSettings(const std::string& file) {
    statusOn = ReadSetting(settings::kStatusFilter, file) != 0;
    statusIndex = ListIndex(settings::kMatchStatus, kStatusCount, file);
    statusText = ListText(kStatusTexts, kStatusCount, statusIndex);
    priorityOn = ReadSetting(settings::kPriorityFilter, file) != 0;
    priorityIndex = ListIndex(settings::kMatchPriority, kPriorityCount, file);
    priorityText = ListText(kPriorityTexts, kPriorityCount, priorityIndex);
    fromOn = ReadSetting(settings::kFromFilter, file) != 0;
    fromText = ReadSetting(settings::kMatchFrom, file);
    dateOn = ReadSetting(settings::kDateFilter, file) != 0;
    dateStart = ReadDate(settings::kDateStart, file);
    dateEnd = ReadDate(settings::kDateEnd, file);
    subjectOn = ReadSetting(settings::kSubjectFilter, file) != 0;
    subjectText = ReadSetting(settings::kMatchSubject, file);
    toOn = ReadSetting(settings::kToFilter, file) != 0;
    toText = ReadSetting(settings::kMatchTo, file);
    matchAll = ReadSetting(settings::kMatchAllFilters, file) != 0;
    allMessages = !(statusOn || priorityOn || fromOn || dateOn || subjectOn || toOn);
}

void MessageFilter::saveToSettings(const std::string& file) const {
    WriteSetting(settings::kStatusFilter, statusOn, file);
    WriteSetting(settings::kMatchStatus, statusIndex, file);
    WriteSetting(settings::kPriorityFilter, priorityOn, file);
    WriteSetting(settings::kMatchPriority, priorityIndex, file);
    WriteSetting(settings::kFromFilter, fromOn, file);
    WriteSetting(settings::kMatchFrom, fromText, file);
    WriteSetting(settings::kSubjectFilter, subjectOn, file);
    WriteSetting(settings::kMatchSubject, subjectText, file);
    WriteSetting(settings::kToFilter, toOn, file);
    WriteSetting(settings::kMatchTo, toText, file);
    WriteSetting(settings::kDateFilter, dateOn, file);
    WriteSetting(settings::kDateStart, FormatLocaleDate(dateStart), file);
    WriteSetting(settings::kDateEnd, FormatLocaleDate(dateEnd), file);
    WriteSetting(settings::kMatchAllFilters, matchAll, file);
}

std::string MessageFilter::validate(int selectedCount, bool restoring) const {
    if (selectedCount == 0) {
        return restoring ? "Please select at least one mail-archive."
                         : "Please select at least one mail-box.";
    }
    if (fromOn && fromText.empty()) {
        return "Filter not specified. Please specify From-field.";
    }
    if (subjectOn && subjectText.empty()) {
        return "Filter not specified. Please specify Subject-field.";
    }
    if (toOn && toText.empty()) {
        return "Filter not specified. Please specify To-field.";
    }
    // A range that ends before it starts selects nothing, silently.
    if (dateOn && DatePart(dateStart) > DatePart(dateEnd)) {
        return "The date range ends before it starts. Please choose a Starts date on or before "
               "the Ends date.";
    }
    return std::string();
}

bool MessageFilter::matches(const FilterCandidate& message) const {
    if (allMessages) {
        return true;
    }
    bool anyHit = false;
    bool allHit = true;
    const auto test = [&](bool on, bool hit) {
        if (!on) {
            return;
        }
        if (hit) {
            anyHit = true;
        } else {
            allHit = false;
        }
    };
    test(statusOn, message.status == statusIndex);
    test(priorityOn, message.priority == priorityText);
    if (dateOn) {
        // The host shows "Mon 12/06/2006 10:00"; the word with the slashes
        // is the date.
        const std::optional<DATE> day = ParseLocaleDate(FirstSlashWord(message.date));
        test(true, day && dateStart <= *day && *day <= dateEnd);
    }
    test(fromOn, fromOn && HeaderContains(message.from, fromText));
    test(subjectOn, subjectOn && HeaderContains(message.subject, subjectText));
    test(toOn, toOn && HeaderContains(message.to, toText));
    return matchAll ? anyHit && allHit : anyHit;
}

// A header matches as it was sent or as the viewer shows it: a sender sent
// as "=?UTF-8?B?...?=" is found by the name the user reads. Most headers hold
// no encoded word and are searched once, as they are.
bool MessageFilter::HeaderContains(const std::string& header, const std::string& text) const {
    if (header.find(text) != std::string::npos) {
        return true;
    }
    if (header.find("=?") == std::string::npos) {
        return false;
    }
    if (!decoder_) {
        decoder_ = std::make_shared<HeaderDecoder>();
    }
    return decoder_->Decode(header).find(text) != std::string::npos;
}

std::string MessageFilter::describe() const {
    if (allMessages) {
        return "None";
    }
    std::string text;
    if (statusOn) {
        text += "\n\tStatus - " + statusText;
    }
    if (priorityOn) {
        text += "\n\tPriority - " + priorityText;
    }
    if (dateOn) {
        text += "\n\tDate Range " + FormatLocaleDate(dateStart) + " - " + FormatLocaleDate(dateEnd);
    }
    if (fromOn) {
        text += "\n\t'From' contains " + fromText;
    }
    if (subjectOn) {
        text += "\n\t'Subject' contains " + subjectText;
    }
    if (toOn) {
        text += "\n\t'To' contains " + toText;
    }
    return text + (matchAll ? "\nMatch: All Filters" : "\nMatch: Any Filter");
}
