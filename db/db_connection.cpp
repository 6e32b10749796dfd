#include "db/db_connection.h"

#include "base/ansi_text.h"
#include "db/column_properties.h"
#include "db/connection_string.h"
#include "db/db_error.h"
#include "db/row_source.h"
#include "db/sql_text.h"
#include "db/sqlite_statement.h"

#include "base/system_error.h"
#include "base/unique_resource.h"
#include "base/win32.h"

#include <algorithm>

namespace {

// Connections to one file, also those of several hosts sharing an archive,
// take turns at writing. A writer keeps its turn for the tasks' commit
// interval (a second), the row in hand when the interval ran out and the
// commit's own writes, two or three seconds on a slow share at worst; five
// leave room for that, and only a lock held longer fails the statement.
constexpr int kDefaultBusySeconds = 5;
// The other writer's lock is free only between its commit and its next row,
// some tens of milliseconds: a waiter that looked less often would miss
// that gap again and again and run out of time.
constexpr DWORD kBusyPollMilliseconds = 5;
// Shorter waits, as for a reader or a commit, go unmentioned.
constexpr DWORD kWaitNoticeMilliseconds = 200;

bool IsFile(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string DataSourceOf(const std::string& connectionString) {
    if (::lstrcmpiA(ConnectionStringValue(connectionString, "Provider").c_str(), kJetProvider) !=
        0) {
        throw DbError(db_code::kProviderNotFound, kConnectionSource,
                      "Provider cannot be found. It may not be properly installed.");
    }
    return ConnectionStringValue(connectionString, "Data Source");
}

} // namespace

void DbConnection::Open(const std::string& connectionString, int busySeconds) {
    OpenFile(connectionString, false, busySeconds);
}

void DbConnection::Create(const std::string& connectionString) {
    OpenFile(connectionString, true, 0);
}

void DbConnection::OpenFile(const std::string& connectionString, bool create, int busySeconds) {
    Close();
    const std::string path = DataSourceOf(connectionString);
    if (create) {
        // CREATE_NEW both tests and claims the name, so two creators cannot
        // both believe they made the file.
        UniqueFile file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            const DWORD error = ::GetLastError();
            if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) {
                throw DbError(db_code::kDataSourceExists, kJetProvider, "Database already exists.");
            }
            throw DbError(HRESULT_FROM_WIN32(error), kJetProvider, SystemMessageText(error));
        }
    } else if (!IsFile(path)) {
        throw DbError(db_code::kUnspecified, kJetProvider, "Could not find file '" + path + "'.");
    }

    sqlite3* opened = nullptr;
    const int result =
        sqlite3_open_v2(AnsiToUtf8(path).c_str(), &opened, SQLITE_OPEN_READWRITE, nullptr);
    UniqueSqlite db(opened);
    try {
        if (result != SQLITE_OK) {
            throw EngineError(db.get());
        }
        busyMilliseconds_ =
            1000 * static_cast<DWORD>(busySeconds > 0 ? busySeconds : kDefaultBusySeconds);
        sqlite3_busy_handler(db.get(), OnBusy, this);
        sqlite3_extended_result_codes(db.get(), 0);
        // The engine reads the header lazily; read it now so that a file of
        // another kind fails here and not at the first query.
        const int header =
            sqlite3_exec(db.get(), "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
        EndWait();
        if (header != SQLITE_OK) {
            if (sqlite3_errcode(db.get()) == SQLITE_NOTADB) {
                throw DbError(db_code::kUnspecified, kJetProvider,
                              "Unrecognized database format '" + path + "'.");
            }
            throw EngineError(db.get());
        }
        if (create) {
            CreatePropertyTable(db.get());
        }
    } catch (...) {
        if (create) {
            db.reset();
            ::DeleteFileA(path.c_str());
        }
        throw;
    }
    db_ = std::move(db);
}

void DbConnection::Close() noexcept {
    EndWait();
    std::vector<RowSource*> open;
    open.swap(sources_);
    for (RowSource* source : open) {
        source->Detach();
    }
    // Closing rolls back what was never committed.
    db_.reset();
    depth_ = 0;
    failedLevel_ = 0;
}

sqlite3* DbConnection::Handle() const {
    if (!db_) {
        throw DbError(db_code::kObjectClosed, kConnectionSource,
                      "Operation is not allowed when the object is closed.");
    }
    return db_.get();
}

void DbConnection::Run(const std::string& sqlUtf8) {
    try {
        Statement(Handle(), sqlUtf8).Run();
    } catch (const DbError&) {
        EndWait();
        throw;
    }
    EndWait();
}

long DbConnection::Execute(const std::string& sql) {
    std::string text = AnsiToUtf8(sql);
    std::string normalized, table, rest;
    if (ParseDelete(text, normalized, table, rest)) {
        text = normalized;
        KeepRowsBeforeDelete(table, rest);
    }
    try {
        Statement statement(Handle(), text);
        const sqlite3_int64 before = sqlite3_total_changes64(Handle());
        statement.Run();
        EndWait();
        return static_cast<long>(sqlite3_total_changes64(Handle()) - before);
    } catch (const DbError&) {
        EndWait();
        NoteWriteFailure();
        throw;
    }
}

// A recordset is a snapshot: rows that a statement of this connection is about
// to delete are copied into the recordsets that still list them, so a walk
// that deletes as it goes (the restore task) still reads every row it listed.
void DbConnection::KeepRowsBeforeDelete(const std::string& table, const std::string& rest) {
    const bool anyReader = std::any_of(sources_.begin(), sources_.end(), [&](RowSource* source) {
        return source->ReadsTable(table);
    });
    if (!anyReader) {
        return;
    }
    Statement select(Handle(), "SELECT rowid FROM " + QuoteIdentifier(table) + rest);
    std::vector<long long> rowids;
    {
        StatementRun run(select);
        while (select.Step()) {
            rowids.push_back(select.ColumnInteger(0));
        }
    }
    RowsDeleting(table, rowids, nullptr);
}

void DbConnection::RowsDeleting(const std::string& tableUtf8, const std::vector<long long>& rowids,
                                const RowSource* deleter) {
    for (RowSource* source : sources_) {
        if (source != deleter && source->ReadsTable(tableUtf8)) {
            source->RowsDeleting(tableUtf8, rowids);
        }
    }
}

void DbConnection::BeginTrans() {
    if (sqlite3_get_autocommit(Handle())) {
        depth_ = 0; // the engine ended a transaction by itself (a failed commit)
        failedLevel_ = 0;
    }
    if (depth_ > 0 && failedLevel_ == depth_) {
        EndLevel(false);
    }
    Run(depth_ == 0 ? "BEGIN" : "SAVEPOINT level" + std::to_string(depth_));
    ++depth_;
}

void DbConnection::CommitTrans() {
    EndLevel(true);
}

void DbConnection::RollbackTrans() {
    EndLevel(false);
}

void DbConnection::EndLevel(bool commit) {
    if (depth_ == 0 || sqlite3_get_autocommit(Handle())) {
        depth_ = 0;
        failedLevel_ = 0;
        throw DbError(db_code::kUnspecified, kJetProvider,
                      "You tried to commit or rollback a transaction without first beginning a "
                      "transaction.");
    }
    const std::string level = "level" + std::to_string(depth_ - 1);
    try {
        if (commit) {
            Run(depth_ == 1 ? "COMMIT" : "RELEASE " + level);
        } else if (depth_ == 1) {
            Run("ROLLBACK");
        } else {
            Run("ROLLBACK TO " + level);
            Run("RELEASE " + level);
        }
    } catch (const DbError&) {
        NoteWriteFailure();
        throw;
    }
    if (failedLevel_ >= depth_) {
        failedLevel_ = 0;
    }
    --depth_;
}

void DbConnection::NoteWriteFailure() noexcept {
    if (depth_ > 0) {
        failedLevel_ = depth_;
    }
}

void DbConnection::Attach(RowSource* source) {
    sources_.push_back(source);
}

void DbConnection::Forget(RowSource* source) noexcept {
    sources_.erase(std::remove(sources_.begin(), sources_.end(), source), sources_.end());
}

void DbConnection::SetLockWaitListener(LockWaitListener listener) {
    waitListener_ = std::move(listener);
}

int DbConnection::OnBusy(void* connection, int count) {
    return static_cast<DbConnection*>(connection)->WaitAgain(count) ? 1 : 0;
}

int DbConnection::OnProgress(void* connection) {
    static_cast<DbConnection*>(connection)->EndWait();
    return 0;
}

// The engine asks before each new try at a lock another connection holds;
// `count` is 0 at the first of a statement's step, whose waits together
// are held to the bound.
bool DbConnection::WaitAgain(int count) {
    const DWORD now = ::GetTickCount();
    if (count == 0) {
        waitStartedAt_ = now;
    }
    const DWORD waited = now - waitStartedAt_;
    if (waited >= busyMilliseconds_) {
        EndWait();
        return false;
    }
    if (!waiting_ && waited >= kWaitNoticeMilliseconds) {
        waiting_ = true;
        // The engine says nothing when a wait ends with the lock; the
        // connection's next statement, or its own end here, tells.
        if (db_) {
            sqlite3_progress_handler(db_.get(), 1, OnProgress, this);
        }
        if (waitListener_) {
            waitListener_(true);
        }
    }
    ::Sleep(std::min(kBusyPollMilliseconds, busyMilliseconds_ - waited));
    return true;
}

void DbConnection::EndWait() noexcept {
    if (!waiting_) {
        return;
    }
    waiting_ = false;
    if (db_) {
        sqlite3_progress_handler(db_.get(), 0, nullptr, nullptr);
    }
    if (waitListener_) {
        waitListener_(false);
    }
}
