// Values between the engine's columns and FieldValue: text crosses from
// UTF-8 to the ANSI code page here and nowhere else.
#pragma once

#include "db/field_value.h"
#include "db/sqlite_statement.h"

#include <string>

FieldValue ReadColumnValue(const Statement& statement, int column, const std::string& declaredType);
// The same for a column whose ADO type was read once (AdoTypeOfDeclared): the
// declaration is parsed for a walk, not for each of its values.
FieldValue ReadColumnValue(const Statement& statement, int column, int adoType);
// `index` counts from 1, as the engine's parameters do.
void BindValue(Statement& statement, int index, const FieldValue& value);

// Dates are kept as "YYYY-MM-DD HH:MM:SS" text, which sorts and reads well
// in any tool; a date part alone means midnight.
bool ParseStoredDate(const std::string& text, int& year, int& month, int& day, int& hour,
                     int& minute, int& second);
