#include "db/field_conversion.h"

#include "db/engine_values.h"

#include "base/win32.h"

#include <cstdio>
#include <ctime>

namespace {

std::string Printed(const char* format, double number) {
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, format, number);
    return buffer;
}

std::string CurrencyText(double amount) {
    const std::string plain = Printed("%f", amount);
    char formatted[64];
    if (::GetCurrencyFormatA(LOCALE_USER_DEFAULT, 0, plain.c_str(), nullptr, formatted,
                             static_cast<int>(sizeof formatted) - 1) > 0) {
        return formatted;
    }
    return plain;
}

std::string DateText(const std::string& stored, const std::string& dateFormat) {
    std::tm parts = {};
    ParseStoredDate(stored, parts.tm_year, parts.tm_mon, parts.tm_mday, parts.tm_hour, parts.tm_min,
                    parts.tm_sec);
    parts.tm_year -= 1900;
    parts.tm_mon -= 1;
    parts.tm_isdst = -1;
    // Day of week and of year for formats that name them.
    std::tm normalised = parts;
    if (std::mktime(&normalised) != static_cast<std::time_t>(-1)) {
        parts.tm_wday = normalised.tm_wday;
        parts.tm_yday = normalised.tm_yday;
    }
    const std::string& format = dateFormat.empty() ? std::string("%Y-%m-%d %H:%M:%S") : dateFormat;
    char buffer[256];
    const size_t length = std::strftime(buffer, sizeof buffer, format.c_str(), &parts);
    return std::string(buffer, length);
}

} // namespace

int FieldValueToInt(const FieldValue& value) {
    switch (value.kind) {
    case ValueKind::Boolean:
        return value.integer ? -1 : 0;
    case ValueKind::Integer:
        return static_cast<int>(value.integer);
    case ValueKind::Single:
    case ValueKind::Double:
    case ValueKind::Decimal:
    case ValueKind::Currency:
        return static_cast<int>(value.number);
    default:
        return 0;
    }
}

bool FieldValueToText(const FieldValue& value, const std::string& dateFormat, std::string& text) {
    switch (value.kind) {
    case ValueKind::Null:
        text.clear();
        return true;
    case ValueKind::Boolean:
        text = value.integer ? "T" : "F";
        return true;
    case ValueKind::Integer:
        text = std::to_string(value.integer);
        return true;
    case ValueKind::Single:
        text = Printed("%.10g", value.number);
        return true;
    case ValueKind::Double:
    case ValueKind::Decimal:
        text = Printed("%.20g", value.number);
        return true;
    case ValueKind::Currency:
        text = CurrencyText(value.number);
        return true;
    case ValueKind::Date:
        text = DateText(value.text, dateFormat);
        return true;
    case ValueKind::Text:
        text = value.text;
        return true;
    case ValueKind::Binary:
        break;
    }
    text.clear();
    return false;
}
