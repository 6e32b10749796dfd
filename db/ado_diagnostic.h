// The diagnostic texts of the database classes, in one layout:
// "<title>\n\tCode = ...\n\tCode meaning = ...\n\tSource = ...\n\tDescription = ...\n".
#pragma once

#include "db/db_error.h"

#include <string>

// The system's text for the code; when it has none, "IDispatch error #n" for
// codes of the automation range and "Unknown error 0x..." for the rest.
std::string CodeMeaning(HRESULT code);

// `title` is e.g. "CADODataBase Error".
std::string DiagnosticText(const char* title, const DbError& error);

// The catalog classes report their errors only to a debugger.
void TraceCatalogError(const char* title, const DbError& error);
