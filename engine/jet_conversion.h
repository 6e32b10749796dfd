// Converts an archive kept in the Jet format (the archives people already
// have) into an archive file of the current format, losing nothing: every
// "Mailbox_" table is copied into a new file beside the Jet file, compared
// with it value by value, marked complete, and only then does the new file
// take the archive's place, the Jet file kept beside it under a backup name.
// The Jet file is never written to; on a stop or any failure nothing is left
// behind.
#pragma once

#include "engine/conversion_controls.h"

#include <string>

struct JetConversionOutcome {
    enum class Result { Converted, Stopped, Failed };
    Result result = Result::Failed;
    // Where the Jet file now is, once converted.
    std::string backupPath;
    // What went wrong, for Failed.
    std::string problem;
    long messages = 0;
};

class JetConversion {
public:
    // The Jet file is the archive itself, moved aside once converted.
    JetConversion(std::string archivePath, std::string logPath, ConversionControls& controls)
        : JetConversion(archivePath, archivePath, std::move(logPath), controls) {}
    // The Jet file is `jetPath`, a backup an earlier conversion kept: it
    // stays where it is, and the archive is made anew from it.
    JetConversion(std::string jetPath, std::string archivePath, std::string logPath,
                  ConversionControls& controls)
        : jetPath_(std::move(jetPath)), archivePath_(std::move(archivePath)),
          logPath_(std::move(logPath)), controls_(controls) {}

    JetConversionOutcome Run();

    // The name the new file has while it is made.
    static std::string WorkingPath(const std::string& archivePath);
    // Whether the Jet file holds at least one "Mailbox_" table: a Jet file
    // without one is another program's database, not an archive. Throws
    // JetError when its catalog cannot be read.
    static bool HoldsArchives(const std::string& jetPath);

private:
    JetConversionOutcome Convert(const std::string& workingPath);
    void PutInPlace(const std::string& workingPath, JetConversionOutcome& outcome);
    void Log(const std::string& record);

    std::string jetPath_;
    std::string archivePath_;
    std::string logPath_;
    ConversionControls& controls_;
};
