// What the database classes throw: the engine's description of the error and its code.
#pragma once

#include "base/win32.h"

#include <exception>
#include <string>

class CADOException : public std::exception {
public:
    CADOException(long code, std::string message, bool lasting = false)
        : code_(code), message_(std::move(message)), lasting_(lasting) {}
    ~CADOException() override = default;
    CADOException(const CADOException&) = default;
    CADOException& operator=(const CADOException&) = default;

    long GetError() const { return code_; }
    // The text a caller shows.
    const std::string& GetErrorMessage() const { return message_; }
    const char* what() const noexcept override { return message_.c_str(); }
    // The archive file refuses writes for a reason that will not heal while
    // a task runs: a full disk, a read-only file, a lock still held after
    // the wait, a file that is gone or damaged.
    bool IsLasting() const { return lasting_; }

private:
    long code_;
    std::string message_;
    bool lasting_;
};
