// A converted archive says inside itself that its comparison with the Jet
// file passed. A file found at start under its working name with the mark is
// the whole archive, cut off only before it could take the archive's place;
// one without it is half made and worth nothing.
#pragma once

#include "db/db_connection.h"

#include <string>

// Once the comparison has passed and every page is on the disk; the mark's
// own commit syncs it.
void MarkConversionComplete(DbConnection& file);
// False also for a file that cannot be opened or read.
bool IsCompleteConversion(const std::string& path);
