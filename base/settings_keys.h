// Every key of the settings file with its section and default. Windows read
// their keys when they open and write them when they close.
#pragma once

#include "base/settings.h"

#include <string>

struct IntSetting {
    const char* section;
    const char* key;
    int defaultValue;
};

struct TextSetting {
    const char* section;
    const char* key;
    const char* defaultValue;
};

inline int ReadSetting(const IntSetting& setting, const std::string& file) {
    return ReadInt(setting.section, setting.key, setting.defaultValue, file);
}
inline std::string ReadSetting(const TextSetting& setting, const std::string& file) {
    return ReadText(setting.section, setting.key, setting.defaultValue, file);
}
inline void WriteSetting(const IntSetting& setting, int value, const std::string& file) {
    WriteInt(setting.section, setting.key, value, file);
}
inline void WriteSetting(const TextSetting& setting, const std::string& value,
                         const std::string& file) {
    WriteText(setting.section, setting.key, value, file);
}

namespace settings {

// "Settings": the archive and what the tasks do with the messages.
constexpr TextSetting kLocation{"Settings", "Location", ""};
constexpr IntSetting kDeleteArchived{"Settings", "DeleteArchived", 0};
constexpr IntSetting kDeleteRestored{"Settings", "DeleteRestored", 0};
constexpr IntSetting kGlobalSortOrder{"Settings", "GlobalSortOrder", 0};
constexpr IntSetting kGlobalSortKey{"Settings", "GlobalSortKey", 0};
// The files messages name outside themselves go into the archive with them;
// 0 keeps only the messages' texts. Folders beside the host's own attachment
// folder whose files may be kept, separated by ";".
constexpr IntSetting kKeepAttachments{"Settings", "KeepAttachments", 1};
constexpr TextSetting kAttachmentFolders{"Settings", "AttachmentFolders", ""};

// "Filters". "From-Filed" is the key's name in every settings file written
// so far, so it stays spelled that way.
constexpr IntSetting kStatusFilter{"Filters", "Status", 0};
constexpr IntSetting kMatchStatus{"Filters", "MatchStatus", 8};
constexpr IntSetting kPriorityFilter{"Filters", "Priority", 0};
constexpr IntSetting kMatchPriority{"Filters", "MatchPriority", 2};
constexpr IntSetting kFromFilter{"Filters", "From-Filed", 0};
constexpr TextSetting kMatchFrom{"Filters", "MatchFrom", ""};
constexpr IntSetting kSubjectFilter{"Filters", "Subject", 0};
constexpr TextSetting kMatchSubject{"Filters", "MatchSubject", ""};
constexpr IntSetting kToFilter{"Filters", "To-Field", 0};
constexpr TextSetting kMatchTo{"Filters", "MatchTo", ""};
constexpr IntSetting kDateFilter{"Filters", "Date", 0};
constexpr TextSetting kDateStart{"Filters", "DateStart", ""};
constexpr TextSetting kDateEnd{"Filters", "DateEnd", ""};
constexpr IntSetting kMatchAllFilters{"Filters", "MatchAllFilters", 0};

// "Log"
constexpr IntSetting kLogOnStartUp{"Log", "DisplayOnStartUp", 0};
constexpr IntSetting kLogAfterTasks{"Log", "DisplayAfterTasks", 1};

// "Windows": placements in screen pixels; a state of 1 is minimised, 2
// maximised.
constexpr IntSetting kMainLeft{"Windows", "Left", 0};
constexpr IntSetting kMainTop{"Windows", "Top", 0};
constexpr IntSetting kLogState{"Windows", "LogState", 0};
constexpr IntSetting kLogLeft{"Windows", "LogLeft", 0};
constexpr IntSetting kLogTop{"Windows", "LogTop", 0};
constexpr IntSetting kViewerState{"Windows", "ArchiveState", 0};
constexpr IntSetting kViewerLeft{"Windows", "ArchiveLeft", 0};
constexpr IntSetting kViewerTop{"Windows", "ArchiveTop", 0};
constexpr IntSetting kViewerWidth{"Windows", "ArchiveWidth", 401};
constexpr IntSetting kViewerHeight{"Windows", "ArchiveHeight", 201};
constexpr IntSetting kViewerSplitterTop{"Windows", "SplitterTop", 71};

// "Global Column Widths": the viewer's list columns.
constexpr IntSetting kFromColumnWidth{"Global Column Widths", "From", 100};
constexpr IntSetting kSubjectColumnWidth{"Global Column Widths", "Subject", 100};
constexpr IntSetting kToColumnWidth{"Global Column Widths", "To", 100};
constexpr IntSetting kDateColumnWidth{"Global Column Widths", "Date", 100};
constexpr IntSetting kSizeColumnWidth{"Global Column Widths", "Size", 50};

} // namespace settings
