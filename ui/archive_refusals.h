// Why the main dialog's archive cannot be used, in the words the user sees
// at the dialog's start and again, the same, each time Archive or Restore is
// pressed: what is wrong, the file's path, and what to do.
#pragma once

#include <string>

// A Jet archive the user has not had converted (No, Stop or a failure).
std::string JetNotConvertedText(const std::string& archivePath);
// The archive is missing and its mail is only in the Jet backup of an
// earlier conversion, which has not been converted again.
std::string JetBackupNotConvertedText(const std::string& archivePath,
                                      const std::string& backupPath);
// A Jet file without a single "Mailbox_" table: another program's database.
std::string NotAnArchiveText(const std::string& path);
// The file could not be opened; `description` is the database's own text.
std::string CannotOpenArchiveText(const std::string& path, const std::string& description);
