// The main dialog's archive file at its start: which file it is, a
// conversion cut off at the last start taken up, a Jet archive converted when
// the user agrees, and the file opened. What keeps the file from use is told
// once and kept, so that Archive and Restore refuse in the same words.
#pragma once

#include "db/ado_database.h"

#include <functional>
#include <memory>
#include <string>

struct DialogArchive {
    std::string path;
    // Never null; open only when the archive can be used.
    std::unique_ptr<CADODatabase> database;
    // Why the archive cannot be used; empty when it can.
    std::string problem;
};

// Converts the Jet file (first) into the archive (second) in the dialog;
// gives the problem text, empty once converted.
using JetArchiveConverter =
    std::function<std::string(const std::string& jetPath, const std::string& archivePath)>;

DialogArchive OpenDialogArchive(const JetArchiveConverter& convert);
