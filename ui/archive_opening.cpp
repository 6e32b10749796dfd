#include "ui/archive_opening.h"

#include "db/archive_schema.h"
#include "db/jet/jet_header.h"
#include "engine/conversion_recovery.h"
#include "base/file_utils.h"
#include "base/message_box.h"
#include "base/settings_keys.h"
#include "base/stowlark_app.h"
#include "ui/archive_refusals.h"

namespace {

std::string ChosenArchivePath(const PluginContext& context) {
    const std::string location = ReadSetting(settings::kLocation, context.settingsPath);
    if (!location.empty() && FileExists(location)) {
        return location;
    }
    if (!location.empty()) {
        // A renamed folder or a drive not attached: the user expects the
        // archives kept there, and must not take the default for them.
        ShowStandardErrorBox("The archive " + location +
                             " named in the settings was not found, so the archive " +
                             context.databasePath + " is used instead.");
    }
    return context.databasePath;
}

// Empty when the archive may be opened, or made when missing.
std::string ConvertWhatIsLeft(const std::string& path, const std::string& logPath,
                              const JetArchiveConverter& convert) {
    if (FileExists(path)) {
        return HasJetSignature(path) ? convert(path, path) : std::string();
    }
    // A new, empty archive beside the mail of a conversion cut short would
    // leave that mail unseen.
    const ConversionLeftover leftover = TakeUpCutOffConversion(path, logPath);
    switch (leftover.kind) {
    case ConversionLeftover::Kind::JetBackup:
        return convert(leftover.backupPath, path);
    case ConversionLeftover::Kind::Blocked: {
        const std::string problem = CannotOpenArchiveText(path, leftover.problem);
        ShowStandardErrorBox(problem);
        return problem;
    }
    case ConversionLeftover::Kind::None:
    case ConversionLeftover::Kind::Finished:
        break;
    }
    return std::string();
}

} // namespace

DialogArchive OpenDialogArchive(const JetArchiveConverter& convert) {
    const PluginContext& context = App().Context();
    DialogArchive archive;
    archive.path = ChosenArchivePath(context);
    archive.database = std::make_unique<CADODatabase>();
    archive.problem = ConvertWhatIsLeft(archive.path, context.logPath, convert);
    if (!archive.problem.empty()) {
        // Never opened: nothing may be written to that file.
        return archive;
    }
    const std::string connection = ArchiveConnectionString(archive.path);
    if (!FileExists(archive.path) && CreateArchiveDatabase(connection)) {
        // The new file settles before the first connection to it.
        ::Sleep(1000);
    }
    try {
        archive.database->Open(connection, "", "");
    } catch (const CADOException&) {
        // The dialog still opens: the mailboxes can be looked at.
        archive.problem =
            CannotOpenArchiveText(archive.path, archive.database->GetErrorDescription());
        ShowStandardErrorBox(archive.problem);
    }
    return archive;
}
