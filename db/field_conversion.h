// The conversions of the recordset's two field getters.
#pragma once

#include "db/field_value.h"

#include <string>

// Null gives 0, a boolean -1 or 0, an integer its value.
int FieldValueToInt(const FieldValue& value);

// Null gives ""; numbers, dates, texts and booleans their text. A date uses
// `dateFormat` (strftime's codes), "%Y-%m-%d %H:%M:%S" when it is empty.
// Binary values give "" and false.
bool FieldValueToText(const FieldValue& value, const std::string& dateFormat, std::string& text);
