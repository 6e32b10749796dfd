// Where a converted Jet archive is kept: beside it, "-jet" added to its name
// ("archive-jet.mdb"), or "-jet-2", "-jet-3", ... when that name is taken, so
// that no earlier backup is ever overwritten.
#pragma once

#include <string>

std::string JetBackupPath(const std::string& archivePath);
