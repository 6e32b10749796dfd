// Everything the Jet reader refuses travels as a JetError; its text is ready
// to be shown (ANSI) and names the table and page where they are known.
#pragma once

#include <stdexcept>
#include <string>

class JetError : public std::runtime_error {
public:
    explicit JetError(const std::string& text) : std::runtime_error(text) {}
};

// The file is in a format the reader knows of but does not read (Access 2007
// and later); told apart so that the message can say so rather than "damaged".
class JetNotSupported : public JetError {
public:
    using JetError::JetError;
};
