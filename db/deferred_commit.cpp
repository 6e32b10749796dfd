#include "db/deferred_commit.h"

#include "db/ado_database.h"
#include "db/ado_exception.h"

DeferredCommit::~DeferredCommit() {
    try {
        Commit();
    } catch (const CADOException&) {
        // Rolled back already.
    }
}

void DeferredCommit::Begin() {
    if (!open_) {
        database_.BeginTrans();
        open_ = true;
        openedAt_ = ::GetTickCount();
    }
}

bool DeferredCommit::CommitIfDue() {
    return open_ && ::GetTickCount() - openedAt_ >= interval_ && Commit();
}

bool DeferredCommit::Commit() {
    if (!open_) {
        return false;
    }
    open_ = false;
    try {
        database_.CommitTrans();
    } catch (const CADOException&) {
        try {
            database_.RollbackTrans();
        } catch (const CADOException&) {
            // The engine ended it already.
        }
        throw;
    }
    return true;
}
