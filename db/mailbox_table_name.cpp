#include "db/mailbox_table_name.h"

#include "base/file_utils.h"

namespace {

struct Marker {
    const char* character;
    const char* word;
};

// In the order the replacements are made.
constexpr Marker kMarkers[] = {
    {".", "_PERIOD_"},       {"!", "_EXCLAMATION_POINT_"}, {"`", "_ACCENT_GRAVE_"},
    {"[", "_LEFT_BRACKET_"}, {"]", "_RIGHT_BRACKET_"},     {"-", "_MINUS_"},
    {" ", "_SPACE_"},
};

} // namespace

std::string TableNameFromMailboxName(const std::string& mailboxName) {
    std::string name = TrimWhiteSpace(mailboxName);
    for (const Marker& marker : kMarkers) {
        ReplaceAll(name, marker.character, marker.word);
    }
    name = kMailboxTablePrefix + name;
    if (name.size() > kMaxTableNameLength) {
        name.resize(kMaxTableNameLength);
    }
    return name;
}

std::string MailboxNameFromTableName(const std::string& tableName) {
    std::string name = TrimWhiteSpace(tableName);
    for (const Marker& marker : kMarkers) {
        ReplaceAll(name, marker.word, marker.character);
    }
    if (IsArchiveTableName(name)) {
        name.erase(0, std::char_traits<char>::length(kMailboxTablePrefix));
    }
    return name;
}

bool IsArchiveTableName(const std::string& tableName) {
    return tableName.compare(0, std::char_traits<char>::length(kMailboxTablePrefix),
                             kMailboxTablePrefix) == 0;
}
