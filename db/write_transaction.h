// A transaction that is rolled back unless it was committed, also when an
// error leaves the scope early.
#pragma once

#include "db/ado_database.h"
#include "db/ado_exception.h"

class WriteTransaction {
public:
    // Throws CADOException when the transaction cannot begin.
    explicit WriteTransaction(CADODatabase& database) : database_(database) {
        database_.BeginTrans();
    }
    ~WriteTransaction() {
        if (!committed_) {
            try {
                database_.RollbackTrans();
            } catch (const CADOException&) {
                // The connection's next transaction rolls it back.
            }
        }
    }
    WriteTransaction(const WriteTransaction&) = delete;
    WriteTransaction& operator=(const WriteTransaction&) = delete;

    // Throws CADOException; the transaction is then rolled back.
    void Commit() {
        database_.CommitTrans();
        committed_ = true;
    }

private:
    CADODatabase& database_;
    bool committed_ = false;
};
