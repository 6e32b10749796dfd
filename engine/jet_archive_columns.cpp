#include "engine/jet_archive_columns.h"

#include "db/archive_schema.h"
#include "base/ansi_text.h"

namespace {

const char* const kNames[kArchiveColumnCount] = {
    mailbox_column::kId,      mailbox_column::kStatus, mailbox_column::kPriority,
    mailbox_column::kFrom,    mailbox_column::kDate,   mailbox_column::kSize,
    mailbox_column::kSubject, mailbox_column::kTo,     mailbox_column::kMessage};

bool SameName(const std::wstring& a, const char* b) {
    std::string ansi = AnsiFromWide(a);
    return _stricmp(ansi.c_str(), b) == 0;
}

} // namespace

bool JetArchiveColumns::IsNumber(size_t column) {
    return column == 0 || column == 1 || column == 5;
}

const char* ArchiveColumnName(size_t column) {
    return kNames[column];
}

JetArchiveColumns FindArchiveColumns(const JetTable& table) {
    const std::vector<JetColumn>& columns = table.definition.columns;
    JetArchiveColumns found;
    for (size_t i = 0; i < kArchiveColumnCount; ++i) {
        size_t at = 0;
        while (at < columns.size() && !SameName(columns[at].name, kNames[i])) {
            ++at;
        }
        if (at == columns.size()) {
            throw JetError(TableText(table.name) + " has no column " + kNames[i]);
        }
        found.index[i] = at;
    }
    if (columns.size() != kArchiveColumnCount) {
        for (const JetColumn& column : columns) {
            bool known = false;
            for (const char* name : kNames) {
                known = known || SameName(column.name, name);
            }
            if (!known) {
                throw JetError(TableText(table.name) + " has a column " +
                               AnsiFromWide(column.name) + " that archives do not have");
            }
        }
    }
    return found;
}
