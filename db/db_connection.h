// One connection to an archive file: what ADO calls the Connection object.
// Shared by the CADODatabase that made it and the recordsets opened on it.
#pragma once

#include "db/sqlite_handles.h"

#include "base/win32.h"

#include <functional>
#include <string>
#include <vector>

class RowSource;

// Told true when a statement has waited a moment for another connection's
// lock on the file and goes on waiting, and false once it no longer waits.
// It runs inside the engine's call: it must neither use the connection nor
// throw.
using LockWaitListener = std::function<void(bool waiting)>;

class DbConnection {
public:
    DbConnection() = default;
    ~DbConnection() { Close(); }
    DbConnection(const DbConnection&) = delete;
    DbConnection& operator=(const DbConnection&) = delete;

    // Opens an existing file only; a missing file is an error, as with Jet.
    // `busySeconds` is how long a statement waits for another connection's
    // lock on the file before it fails with "database is locked"; 0 keeps
    // the layer's default.
    void Open(const std::string& connectionString, int busySeconds = 0);
    // Makes a new, empty archive file and opens it; fails when the file exists.
    void Create(const std::string& connectionString);
    // Closes every recordset still open on the connection first, and rolls
    // back a transaction left open.
    void Close() noexcept;
    bool IsOpen() const { return db_.valid(); }

    // DbError "object is closed" when not open.
    sqlite3* Handle() const;

    // Runs one statement (ANSI text) and gives the number of rows changed.
    long Execute(const std::string& sql);

    // Nested calls nest, as Jet's transactions do. A transaction in which a
    // write failed and that its caller left open is rolled back when the
    // caller begins the next one: its work was given up, and the new one
    // must not be nested inside it and vanish with it.
    void BeginTrans();
    void CommitTrans();
    void RollbackTrans();
    // A write of this connection failed; see BeginTrans.
    void NoteWriteFailure() noexcept;

    // Kept across Close and Open; an empty one removes it.
    void SetLockWaitListener(LockWaitListener listener);

    // Open row sources, told when the connection closes or deletes their rows.
    void Attach(RowSource* source);
    void Forget(RowSource* source) noexcept;
    // Tells every open row source but `deleter` that these rows of
    // `tableUtf8` are about to go, so the snapshots that list them keep them.
    void RowsDeleting(const std::string& tableUtf8, const std::vector<long long>& rowids,
                      const RowSource* deleter);

private:
    void OpenFile(const std::string& connectionString, bool create, int busySeconds);
    void KeepRowsBeforeDelete(const std::string& table, const std::string& rest);
    void Run(const std::string& sqlUtf8);
    void EndLevel(bool commit);
    static int OnBusy(void* connection, int count);
    static int OnProgress(void* connection);
    bool WaitAgain(int count);
    void EndWait() noexcept;

    UniqueSqlite db_;
    std::vector<RowSource*> sources_;
    int depth_ = 0;
    // The transaction level in which a write failed, or 0.
    int failedLevel_ = 0;
    DWORD busyMilliseconds_ = 0;
    DWORD waitStartedAt_ = 0;
    // The listener was told of the present wait.
    bool waiting_ = false;
    LockWaitListener waitListener_;
};
