// One archived message's text as the archive file keeps it: a converted Jet
// archive may hold characters the code page lacks, and whoever shows or
// writes the text must know whether its code-page form lost any.
#pragma once

#include <optional>
#include <string>

class CADODatabase;

struct StoredMessage {
    // In the code page; bytes it does not define as characters stay as
    // they were stored.
    std::string text;
    // False when `text` shows "?" for characters the code page lacks;
    // `utf8` then holds the stored text whole.
    bool exact = true;
    std::string utf8;

    // The text with every stored character, for a wide-character view.
    std::string ShownUtf8() const;
};

// The message of the row at `rowid`, or without one the first row of `id`
// (as ArchivedMessageText finds it); empty when there is none. Throws
// CADOException on a database error.
StoredMessage ReadStoredMessage(CADODatabase& database, const std::string& tableName,
                                std::optional<long long> rowid, int id);
