// What the database classes throw: the engine's description of the error and its code.
#pragma once

#include "plugin/win32.h"

#include <exception>
#include <string>

class CADOException : public std::exception {
public:
    CADOException(long code, std::string message) : code_(code), message_(std::move(message)) {}
    ~CADOException() override = default;
    CADOException(const CADOException&) = default;
    CADOException& operator=(const CADOException&) = default;

    long GetError() const { return code_; }
    // The text a caller shows.
    const std::string& GetErrorMessage() const { return message_; }
    const char* what() const noexcept override { return message_.c_str(); }

private:
    long code_;
    std::string message_;
};
