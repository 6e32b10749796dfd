// A conversion of a Jet archive cut off (a power loss, the host killed)
// after the Jet file was renamed to its backup name but before the converted
// file took the archive's place leaves no archive file, only the backup and
// perhaps the converted file beside it. The start of the next session takes
// it up from there, so that the converted mail does not stay invisible
// beside a new, empty archive.
#pragma once

#include <string>

struct ConversionLeftover {
    enum class Kind {
        // Nothing of a conversion: a missing archive is a new one.
        None,
        // The converted file, complete and checked, now is the archive.
        Finished,
        // Only the Jet file at `backupPath` holds the mail: the archive
        // must be converted again from it.
        JetBackup,
        // The converted file is there but cannot be moved into place: no
        // new archive may be started beside it. `problem` says why.
        Blocked,
    };
    Kind kind = Kind::None;
    std::string backupPath;
    std::string problem;
};

// For an archive file that is missing. Finishing the renames is written to
// the log at `logPath`.
ConversionLeftover TakeUpCutOffConversion(const std::string& archivePath,
                                          const std::string& logPath);
