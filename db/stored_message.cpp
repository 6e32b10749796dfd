#include "db/stored_message.h"

#include "db/ado_recordset.h"
#include "db/archive_schema.h"
#include "base/ansi_text.h"

std::string StoredMessage::ShownUtf8() const {
    return exact ? AnsiToUtf8(text) : utf8;
}

StoredMessage ReadStoredMessage(CADODatabase& database, const std::string& tableName,
                                std::optional<long long> rowid, int id) {
    StoredMessage message;
    CADORecordset records(database);
    if (records.Open(rowid ? RowAtSql(tableName, *rowid) : RowsWithIdSql(tableName, id),
                     CADORecordset::OpenQuery) &&
        !records.AtEnd()) {
        records.ReadField(mailbox_column::kMessage, message.text, message.exact);
        if (!message.exact) {
            records.ReadFieldUtf8(mailbox_column::kMessage, message.utf8);
        }
    }
    return message;
}
