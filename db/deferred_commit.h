// Rows written each in a transaction of its own, nested in an outer one that
// reaches the disk only now and then. A row need not be on disk before its
// message leaves the mailbox, and no earlier: until then the message itself
// is its copy, and a crash costs a little work (done again by the next run)
// but never a message. Each disk write of a commit is paid once for many
// rows instead of once for each.
#pragma once

#include "base/win32.h"

class CADODatabase;

class DeferredCommit {
public:
    explicit DeferredCommit(CADODatabase& database, DWORD intervalMilliseconds = 1000)
        : database_(database), interval_(intervalMilliseconds) {}
    // What is still open is committed; a failure then is for the caller's
    // check of the rows on disk to find.
    ~DeferredCommit();
    DeferredCommit(const DeferredCommit&) = delete;
    DeferredCommit& operator=(const DeferredCommit&) = delete;

    // Opens the outer transaction when none is. Throws CADOException.
    void Begin();
    // Commits once the outer transaction is older than the interval; true
    // when it did. Throws CADOException, with every row since the last
    // commit rolled back: a commit the disk refused may leave the
    // transaction open, holding the file's lock.
    bool CommitIfDue();
    // Puts every row written so far on disk; true when there was any
    // transaction to commit. Throws CADOException, as CommitIfDue.
    bool Commit();

private:
    CADODatabase& database_;
    DWORD interval_;
    bool open_ = false;
    DWORD openedAt_ = 0;
};
