// One value read from a Jet row, kept as stored: numbers unrounded, text as
// the UTF-16 Jet holds, currency in ten-thousandths.
#pragma once

#include <cstdint>
#include <string>

enum class JetValueKind {
    Null,
    Boolean,  // integer is 0 or 1
    Integer,  // byte, integer, long integer
    Currency, // integer, in 1/10000
    Real,     // single, double
    DateTime, // real: days since 30 December 1899, the fraction the time of day
    Text,     // text and memo
    Binary,   // bytes: binary and OLE object
    Unsupported,
};

struct JetValue {
    JetValueKind kind = JetValueKind::Null;
    int64_t integer = 0;
    double real = 0;
    std::wstring text;
    std::string bytes;

    bool IsNull() const { return kind == JetValueKind::Null; }
};
