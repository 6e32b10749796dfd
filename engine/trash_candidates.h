// The messages of one mailbox that may leave it for "Trash" once archived.
// Ids repeat (the host numbers a mailbox again when it rebuilds its index,
// and Trash emptied between two archivings frees them), so a message goes
// only when its own row, its id and the check of its text, is read back from
// the archive file as it is on disk. Rows are read back a commit's worth at a
// time: only the ids of those found are held until the moves.
#pragma once

#include "db/archive_schema.h"

#include <cstdint>
#include <deque>
#include <string>

class TrashCandidates {
public:
    TrashCandidates(std::string connectionString, std::string table)
        : connectionString_(std::move(connectionString)), table_(std::move(table)) {}

    // A row written by this run, not yet committed.
    void Written(long id, uint32_t check) { written_.push_back({static_cast<int32_t>(id), check}); }
    // A row an earlier run wrote for this message.
    void FoundWritten(long id, uint32_t check) {
        found_.push_back({static_cast<int32_t>(id), check});
    }

    // Reads the rows noted since the last check back from the file.
    // `committed` says whether the file took the new rows' commit. Gives how
    // many committed rows the file does not hold. Throws CADOException when
    // the file cannot be read; the rows noted are then given up.
    int Check(bool committed);
    // Right before the moves: whether the file at its path still holds the
    // rows last found there. A file moved or replaced since the checks gives
    // false. Throws CADOException when it cannot be read.
    bool StillThere();
    // The checks found nothing to let go after all (the file went).
    void GiveUpChecked();

    const std::deque<long>& verified() const { return verified_; }
    int unverified() const { return unverified_; }
    bool empty() const { return verified_.empty() && written_.empty() && found_.empty(); }

private:
    std::string connectionString_;
    std::string table_;
    std::deque<WrittenRow> written_;
    std::deque<WrittenRow> found_;
    std::deque<WrittenRow> lastFound_;
    std::deque<long> verified_;
    int unverified_ = 0;
};
