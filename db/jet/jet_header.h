// The database definition page: which format, the code page of Jet 3 text
// and whether the database has a password.
#pragma once

#include "db/jet/jet_format.h"
#include "db/jet/jet_file.h"

#include <cstdint>

struct JetHeader {
    const JetFormat* format = nullptr;
    uint16_t codePage = 0;
    bool hasPassword = false;
    uint32_t pageCount = 0;
};

// Throws JetNotSupported for a later Access file and JetError for anything
// that is not a Jet database.
JetHeader ReadJetHeader(const JetFile& file);
// True when the first bytes are those of a Jet or Access database, whatever
// its version: what tells the dialog that the archive needs converting.
bool HasJetSignature(const std::string& path);
