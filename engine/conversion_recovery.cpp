#include "engine/conversion_recovery.h"

#include "db/jet/jet_header.h"
#include "engine/conversion_mark.h"
#include "engine/jet_backup_path.h"
#include "engine/jet_conversion.h"
#include "engine/task_log.h"
#include "mailbox/date_formats.h"
#include "base/file_utils.h"
#include "base/system_error.h"

ConversionLeftover TakeUpCutOffConversion(const std::string& archivePath,
                                          const std::string& logPath) {
    ConversionLeftover leftover;
    leftover.backupPath = LatestJetBackup(archivePath);
    const std::string working = JetConversion::WorkingPath(archivePath);
    if (IsCompleteConversion(working)) {
        std::string record = TaskLog::StartRecord(CurrentDateTime(), "Convert Archive") +
                             "\nArchive: " + archivePath;
        if (::MoveFileExA(working.c_str(), archivePath.c_str(), MOVEFILE_WRITE_THROUGH)) {
            leftover.kind = ConversionLeftover::Kind::Finished;
            record += "\nThe last conversion was cut off before the converted archive, complete "
                      "and checked, could take the archive's place. It now has." +
                      (leftover.backupPath.empty()
                           ? std::string()
                           : "\nThe Jet archive is kept as " + leftover.backupPath) +
                      "\nTask completed at " + FormatLocaleTime(CurrentDateTime());
        } else {
            leftover.kind = ConversionLeftover::Kind::Blocked;
            leftover.problem =
                "The converted archive " + working +
                " cannot take the archive's place: " + SystemMessageText(::GetLastError());
            record +=
                "\n" + leftover.problem + "\nTask failed at " + FormatLocaleTime(CurrentDateTime());
        }
        TaskLog::append(logPath, record + "\n" + std::string(60, '-'));
        return leftover;
    }
    if (!leftover.backupPath.empty() && HasJetSignature(leftover.backupPath)) {
        leftover.kind = ConversionLeftover::Kind::JetBackup;
    }
    return leftover;
}
