// Which rows a restore with deletion has staged into "Pending", kept in the
// archive file itself: between the host's move of a message and the removal
// of its row, only this tells a message already home from one still on its
// way. A restore that was cut off is finished from it.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class CADODatabase;

// A check of a message text that tells different texts apart: a hash of its
// bytes, and its length. A restore holds one for every row it stages, so it
// is kept as numbers; the journal keeps it as text.
struct MessageCheck {
    uint64_t hash = 0;
    uint32_t length = 0;
    // False for a journal's text that is no check of ours: it matches no text.
    bool known = false;

    std::string Text() const;
    static MessageCheck FromText(const std::string& text);
    bool operator==(const MessageCheck& other) const {
        return known && other.known && hash == other.hash && length == other.length;
    }
    bool operator!=(const MessageCheck& other) const { return !(*this == other); }
    bool operator<(const MessageCheck& other) const {
        return hash != other.hash ? hash < other.hash : length < other.length;
    }
};

struct JournalEntry {
    long long rowid = 0;   // the row's place in its table
    MessageCheck checksum; // of the message text, to know the row again
    long place = 0;        // the record's place in "Pending", from 1
    int id = 0;            // the row's `id`
};

MessageCheck MessageChecksum(const std::string& text);

class RestoreJournal {
public:
    explicit RestoreJournal(CADODatabase& database) : database_(database) {}

    // The `count` staged rows of `table`, replacing what the journal held
    // for it, in one transaction. The entries are asked for one at a time,
    // so that a restore of many rows never holds them all. `entryAt` may
    // throw CADOException; nothing is then recorded. Throws CADOException.
    void Record(const std::string& table, size_t count,
                const std::function<JournalEntry(size_t)>& entryAt);
    // Empty when there is no journal. Throws CADOException.
    std::vector<JournalEntry> Entries(const std::string& table);
    // The row at the entry's rowid, when it is still the row that was
    // staged; nullopt when it is gone or another. Throws CADOException.
    struct StagedRow {
        int status = 0;
        std::string text;
    };
    std::optional<StagedRow> Staged(const std::string& table, const JournalEntry& entry);
    // The entry's row and the entry, in one transaction: the message is
    // home. Throws CADOException.
    void RemoveRow(const std::string& table, const JournalEntry& entry);
    // Throws CADOException.
    void Forget(const std::string& table, long place);
    void ForgetAll(const std::string& table);

private:
    bool Exists();

    CADODatabase& database_;
};
