#include "db/ado_database.h"

#include "db/ado_diagnostic.h"

template <typename Action> auto CADODatabase::Guarded(Action action) -> decltype(action()) {
    try {
        return action();
    } catch (const DbError& error) {
        Fail(error);
    }
}

CADODatabase::CADODatabase() : connection_(std::make_shared<DbConnection>()) {}

CADODatabase::~CADODatabase() {
    Close();
}

void CADODatabase::Fail(const DbError& error) {
    lastDescription_ = error.description();
    lastError_ = "Connection String = " + connectionString_ + "\n" +
                 DiagnosticText("CADODataBase Error", error);
    lastCode_ = static_cast<DWORD>(error.code());
    throw CADOException(error.code(), error.description(), error.lasting());
}

void CADODatabase::SetConnection(const std::string& connectionString) {
    connectionString_ = connectionString;
}

bool CADODatabase::Open(const std::string& connectionString, const std::string&,
                        const std::string&) {
    Close();
    if (!connectionString.empty()) {
        connectionString_ = connectionString;
    }
    return Guarded([&] {
        connection_->Open(connectionString_, static_cast<int>(timeout_));
        return true;
    });
}

bool CADODatabase::IsOpen() const {
    return connection_ && connection_->IsOpen();
}

void CADODatabase::Close() {
    if (IsOpen()) {
        connection_->Close();
    }
}

void CADODatabase::SetLockWaitListener(LockWaitListener listener) {
    connection_->SetLockWaitListener(std::move(listener));
}

bool CADODatabase::Execute(const std::string& sql) {
    recordsAffected_ = 0;
    return Guarded([&] {
        recordsAffected_ = connection_->Execute(sql);
        return true;
    });
}

bool CADODatabase::BeginTrans() {
    return Guarded([&] {
        connection_->BeginTrans();
        return true;
    });
}

bool CADODatabase::CommitTrans() {
    return Guarded([&] {
        connection_->CommitTrans();
        return true;
    });
}

bool CADODatabase::RollbackTrans() {
    return Guarded([&] {
        connection_->RollbackTrans();
        return true;
    });
}

bool RefreshJetCache(const ConnectionHandle& connection) {
    return connection && connection->IsOpen();
}
