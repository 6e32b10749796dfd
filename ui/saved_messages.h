// "Save As..." of the viewer's selected messages: one file holding their
// stored texts, alone or as records of a host mailbox.
#pragma once

#include "ui/viewer_rows.h"

#include <string>
#include <vector>

class CADODatabase;

// Writes the messages of `rows`, in that order, to `path`. A stored text is
// never written with a substitute in place of a character: a message the
// code page cannot hold exactly goes as its stored UTF-8 where it goes alone,
// and is left out of a mailbox, whose records the host reads in the code
// page; a box then says how many and why. False after a box that says why
// nothing was written; no part of the file is left then.
bool SaveArchivedMessages(CADODatabase& database, const std::string& tableName,
                          const std::vector<const ViewerRow*>& rows, const std::string& path,
                          bool asMailbox);
