#include "db/sql_text.h"

#include <sqlite3.h>

#include <cctype>

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

bool IsWordChar(char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    return std::isalnum(u) || c == '_' || c == '$' || u >= 0x80;
}

void SkipBlanks(const std::string& sql, std::string::size_type& pos) {
    while (pos < sql.size() && IsBlank(sql[pos])) {
        ++pos;
    }
}

// A keyword at `pos` (after blanks) that is not the start of a longer word.
bool ReadKeyword(const std::string& sql, std::string::size_type& pos, const char* keyword) {
    std::string::size_type at = pos;
    SkipBlanks(sql, at);
    const std::string::size_type length = std::char_traits<char>::length(keyword);
    if (sql.size() - at < length || sqlite3_strnicmp(sql.c_str() + at, keyword, length) != 0) {
        return false;
    }
    if (at + length < sql.size() && IsWordChar(sql[at + length])) {
        return false;
    }
    pos = at + length;
    return true;
}

bool ReadSymbol(const std::string& sql, std::string::size_type& pos, char symbol) {
    std::string::size_type at = pos;
    SkipBlanks(sql, at);
    if (at >= sql.size() || sql[at] != symbol) {
        return false;
    }
    pos = at + 1;
    return true;
}

// The rest after a table name must be separated from it, or be empty.
bool ReadRest(const std::string& sql, std::string::size_type pos, std::string& rest) {
    if (pos < sql.size() && !IsBlank(sql[pos]) && sql[pos] != ';') {
        return false;
    }
    rest = sql.substr(pos);
    return true;
}

// Between two `quote`s, each one inside doubled.
std::string Quoted(const std::string& text, char quote) {
    std::string quoted(1, quote);
    for (char c : text) {
        quoted += c;
        if (c == quote) {
            quoted += quote;
        }
    }
    return quoted + quote;
}

} // namespace

std::string QuoteIdentifier(const std::string& name) {
    return Quoted(name, '"');
}

std::string QuoteText(const std::string& text) {
    return Quoted(text, '\'');
}

bool ReadIdentifier(const std::string& sql, std::string::size_type& pos, std::string& name) {
    std::string::size_type at = pos;
    SkipBlanks(sql, at);
    if (at >= sql.size()) {
        return false;
    }
    const char open = sql[at];
    if (open == '[') {
        const std::string::size_type close = sql.find(']', at + 1);
        if (close == std::string::npos) {
            return false;
        }
        name = sql.substr(at + 1, close - at - 1);
        pos = close + 1;
        return true;
    }
    if (open == '"' || open == '`') {
        std::string text;
        for (std::string::size_type i = at + 1; i < sql.size(); ++i) {
            if (sql[i] == open) {
                if (i + 1 < sql.size() && sql[i + 1] == open) {
                    text += open;
                    ++i;
                    continue;
                }
                name = text;
                pos = i + 1;
                return true;
            }
            text += sql[i];
        }
        return false;
    }
    std::string::size_type end = at;
    while (end < sql.size() && IsWordChar(sql[end])) {
        ++end;
    }
    if (end == at) {
        return false;
    }
    name = sql.substr(at, end - at);
    pos = end;
    return true;
}

bool ParseSelectAllFrom(const std::string& sql, std::string& table, std::string& rest) {
    std::string::size_type pos = 0;
    return ReadKeyword(sql, pos, "select") && ReadSymbol(sql, pos, '*') &&
           ReadKeyword(sql, pos, "from") && ReadIdentifier(sql, pos, table) &&
           ReadRest(sql, pos, rest);
}

bool ParseDelete(const std::string& sql, std::string& normalized, std::string& table,
                 std::string& rest) {
    std::string::size_type pos = 0;
    if (!ReadKeyword(sql, pos, "delete")) {
        return false;
    }
    ReadSymbol(sql, pos, '*');
    if (!ReadKeyword(sql, pos, "from") || !ReadIdentifier(sql, pos, table) ||
        !ReadRest(sql, pos, rest)) {
        return false;
    }
    normalized = "DELETE FROM " + QuoteIdentifier(table) + rest;
    return true;
}

bool HasOrderBy(const std::string& clause) {
    for (std::string::size_type pos = 0; pos < clause.size(); ++pos) {
        if ((pos == 0 || !IsWordChar(clause[pos - 1])) && ReadKeyword(clause, pos, "order")) {
            std::string::size_type after = pos;
            if (ReadKeyword(clause, after, "by")) {
                return true;
            }
        }
    }
    return false;
}

bool SameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() &&
           sqlite3_strnicmp(a.c_str(), b.c_str(), static_cast<int>(a.size())) == 0;
}
