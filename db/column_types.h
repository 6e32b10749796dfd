// How ADO's column types are declared to the engine, and how a stored value
// is seen again as one of those types.
#pragma once

#include "db/field_value.h"

#include <string>

// The declaration for a new column; empty when the type is not supported.
// adInteger becomes "INTEGER" and adLongVarWChar "TEXT", the names every
// SQLite tool understands.
std::string DeclaredTypeFor(int adoType, long definedSize);

// The ADO type a declared column type stands for (adEmpty when unknown).
int AdoTypeOfDeclared(const std::string& declaredType);

// A stored value of one of the engine's storage classes (SQLITE_INTEGER ...)
// in a column of the given ADO type (as AdoTypeOfDeclared gives it).
ValueKind KindOfStored(int adoType, int storageClass);
