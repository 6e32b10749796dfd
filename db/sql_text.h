// The little SQL the layer reads itself: identifiers, and the two statement
// shapes it must recognise before the engine sees them. All text is UTF-8.
#pragma once

#include <string>

// A name as an SQL identifier; any name, also one holding quotes, brackets
// or semicolons, stays one identifier.
std::string QuoteIdentifier(const std::string& name);

// A text as an SQL string literal.
std::string QuoteText(const std::string& text);

// Reads an identifier at `pos` (after blanks): [bracketed], "quoted",
// `quoted` or a bare word. Advances `pos` past it.
bool ReadIdentifier(const std::string& sql, std::string::size_type& pos, std::string& name);

// "SELECT * FROM table rest": the table and what follows it (a WHERE or
// ORDER BY clause, or nothing).
bool ParseSelectAllFrom(const std::string& sql, std::string& table, std::string& rest);

// "DELETE [*] FROM table rest". `normalized` is the statement the engine
// accepts: Jet's "DELETE *" form loses its star.
bool ParseDelete(const std::string& sql, std::string& normalized, std::string& table,
                 std::string& rest);

// Whether the clause orders its rows itself.
bool HasOrderBy(const std::string& clause);

// ASCII letters compared ignoring case, as the engine compares names.
bool SameName(const std::string& a, const std::string& b);
