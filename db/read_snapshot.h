// One read lock held across a walk of many rows. Outside a transaction every
// statement takes and drops the file's lock, which costs more than the read
// itself when a walk asks for the rows a run at a time, column by column.
#pragma once

#include "db/ado_database.h"
#include "db/ado_exception.h"

class ReadSnapshot {
public:
    // Throws CADOException when the transaction cannot begin.
    explicit ReadSnapshot(CADODatabase& database) : database_(database) { database_.BeginTrans(); }
    // Nothing was written, so ending it either way loses nothing.
    ~ReadSnapshot() {
        try {
            database_.CommitTrans();
        } catch (const CADOException&) {
            // The read lock must not outlive the walk.
            try {
                database_.RollbackTrans();
            } catch (const CADOException&) {
            }
        }
    }
    ReadSnapshot(const ReadSnapshot&) = delete;
    ReadSnapshot& operator=(const ReadSnapshot&) = delete;

private:
    CADODatabase& database_;
};
