// One connection to the archive file. Every failing operation stores the
// layer's diagnostic text and throws CADOException; nothing is shown here.
#pragma once

#include "db/ado_exception.h"
#include "db/db_connection.h"
#include "db/db_error.h"

#include "base/win32.h"

#include <memory>
#include <string>

// The connection object a database and its recordsets share.
using ConnectionHandle = std::shared_ptr<DbConnection>;

class CADODatabase {
public:
    CADODatabase();
    virtual ~CADODatabase();
    CADODatabase(const CADODatabase&) = delete;
    CADODatabase& operator=(const CADODatabase&) = delete;

    // Stores the connection string; nothing is opened.
    void SetConnection(const std::string& connectionString);
    // Opens the file named by the connection string (the stored one when
    // this one is empty). A missing file is an error: see CADOXCatalog to
    // make one. User id and password are accepted and not used.
    bool Open(const std::string& connectionString = "", const std::string& userId = "",
              const std::string& password = "");
    bool IsOpen() const;
    void Close();

    // One SQL statement; Jet's "DELETE * FROM" is accepted.
    bool Execute(const std::string& sql);

    bool BeginTrans();
    bool CommitTrans();
    bool RollbackTrans();

    // Seconds a writer waits for another connection to the same file; 0
    // keeps the default. Takes effect at the next Open.
    void SetConnectionTimeout(long seconds) { timeout_ = seconds; }
    // Told when a statement starts and stops waiting for another
    // connection's lock on the file (see LockWaitListener); an empty one
    // removes it. Kept across Close and Open.
    void SetLockWaitListener(LockWaitListener listener);
    long GetRecordsAffected() const { return recordsAffected_; }
    const std::string& GetConnectionString() const { return connectionString_; }
    const ConnectionHandle& GetActiveConnection() const { return connection_; }

    // "Connection String = ...\n" and the diagnostic text of the last error.
    const std::string& GetLastErrorString() const { return lastError_; }
    const std::string& GetErrorDescription() const { return lastDescription_; }
    DWORD GetLastError() const { return lastCode_; }

private:
    template <typename Action> auto Guarded(Action action) -> decltype(action());
    [[noreturn]] void Fail(const DbError& error);

    ConnectionHandle connection_;
    std::string connectionString_;
    std::string lastError_;
    std::string lastDescription_;
    DWORD lastCode_ = 0;
    long recordsAffected_ = 0;
    long timeout_ = 0;
};

// Every connection sees what another has committed as soon as it reads
// again, so there is no cache to refresh; the result says whether the
// connection is open, as the refresh would.
bool RefreshJetCache(const ConnectionHandle& connection);
