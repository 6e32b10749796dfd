// One value of one column, in the variant types the field getters convert from.
#pragma once

#include <string>

enum class ValueKind {
    Null,
    Boolean,
    Integer,
    Single,
    Double,
    Decimal,
    Currency,
    Date,
    Text,
    Binary,
};

struct FieldValue {
    ValueKind kind = ValueKind::Null;
    long long integer = 0; // Boolean (0 or 1), Integer
    double number = 0;     // Single, Double, Decimal, Currency
    std::string text;      // Text (ANSI), Date ("YYYY-MM-DD HH:MM:SS"), Binary
    // False when the stored text holds characters the code page lacks, which
    // `text` shows as "?"; the stored UTF-8 is then kept in `utf8`.
    bool exact = true;
    std::string utf8;

    static FieldValue Null() { return FieldValue(); }
    static FieldValue Integer(long long value) {
        FieldValue v;
        v.kind = ValueKind::Integer;
        v.integer = value;
        return v;
    }
    static FieldValue Boolean(bool value) {
        FieldValue v;
        v.kind = ValueKind::Boolean;
        v.integer = value ? 1 : 0;
        return v;
    }
    static FieldValue Text(std::string value) {
        FieldValue v;
        v.kind = ValueKind::Text;
        v.text = std::move(value);
        return v;
    }
};
