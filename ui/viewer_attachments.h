// The files kept in the archive for the viewer's messages: listed under the
// selected message in the preview, and written into a folder the user picks
// by "Save Attachments...".
#pragma once

#include "db/attachment_store.h"
#include "ui/viewer_rows.h"

#include <string>
#include <vector>

class CADODatabase;

// The files kept for `row` of `table`; none for a row without a place of its
// own, or when the archive cannot say.
std::vector<KeptFile> KeptFilesOf(CADODatabase& database, const std::string& table,
                                  const ViewerRow& row);

// The preview's list of `files` (UTF-8): each file's name, size, and "on
// disk" or "only in the archive". Empty for no files.
std::string KeptFilesPage(const std::vector<KeptFile>& files);
std::string KeptFilesText(const std::vector<KeptFile>& files);

// Writes the files kept for `rows` into `folder`, each under its own name
// made unique there ("report (2).pdf"), written and then renamed. Gives how
// many were saved; `errors` gets a line for each that was not.
int SaveKeptFiles(CADODatabase& database, const std::string& table,
                  const std::vector<const ViewerRow*>& rows, const std::string& folder,
                  std::string& errors);
