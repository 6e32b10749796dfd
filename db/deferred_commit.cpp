#include "db/deferred_commit.h"

#include "db/ado_database.h"
#include "db/ado_exception.h"

DeferredCommit::~DeferredCommit() {
    try {
        Commit();
    } catch (const CADOException&) {
        try {
            database_.RollbackTrans();
        } catch (const CADOException&) {
            // The engine ended it already.
        }
    }
}

void DeferredCommit::Begin() {
    if (!open_) {
        database_.BeginTrans();
        open_ = true;
        openedAt_ = ::GetTickCount();
    }
}

void DeferredCommit::CommitIfDue() {
    if (open_ && ::GetTickCount() - openedAt_ >= interval_) {
        Commit();
    }
}

void DeferredCommit::Commit() {
    if (open_) {
        open_ = false;
        database_.CommitTrans();
    }
}
