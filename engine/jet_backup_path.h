// Where a converted Jet archive is kept: beside it, "-jet" added to its name
// ("archive-jet.mdb"), or "-jet-2", "-jet-3", ... when that name is taken, so
// that no earlier backup is ever overwritten.
#pragma once

#include <string>

// The first of those names that is free.
std::string JetBackupPath(const std::string& archivePath);
// The last of those names in use, the newest conversion's backup; empty
// when there is none.
std::string LatestJetBackup(const std::string& archivePath);
