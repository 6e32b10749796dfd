#include "ui/jet_archive_prompt.h"

#include "db/jet/jet_header.h"
#include "engine/conversion_controls.h"
#include "engine/jet_backup_path.h"
#include "engine/jet_conversion.h"
#include "host/host_application.h"
#include "host/host_error.h"
#include "base/message_box.h"
#include "base/stowlark_app.h"
#include "ui/archive_refusals.h"

#include <optional>

namespace {

// The dialog's bar, Stop and log window, and the host's status line.
class DialogConversionControls : public ConversionControls {
public:
    explicit DialogConversionControls(TaskControls& controls) : controls_(controls) {
        try {
            host_.emplace(HostApplication::Connect());
        } catch (const HostConnectError&) {
            // Without the host the bar alone shows the progress.
        }
    }

    void ShowProgress(int percent, const std::string& status) override {
        controls_.SetProgress(percent);
        if (host_) {
            try {
                host_->SetStatusText(status);
            } catch (const HostError&) {
                host_.reset();
            }
        }
    }
    bool StopRequested() override { return controls_.StopRequested(); }
    void LogWritten() override { controls_.ReloadLog(); }

private:
    TaskControls& controls_;
    std::optional<HostApplication> host_;
};

int Ask(HWND owner, const std::string& text, UINT type) {
    return ShowMessageBox(owner, text, CStowlarkApp::kAppName, type);
}

} // namespace

std::string ConvertJetArchiveIfAgreed(HWND owner, const std::string& jetPath,
                                      const std::string& archivePath, const std::string& logPath,
                                      TaskControls& controls) {
    const bool fromBackup = jetPath != archivePath;
    std::string refusal = fromBackup ? JetBackupNotConvertedText(archivePath, jetPath)
                                     : JetNotConvertedText(archivePath);
    try {
        if (!JetConversion::HoldsArchives(jetPath)) {
            // Another program's database: neither offered for conversion
            // nor touched.
            refusal = NotAnArchiveText(jetPath);
            Ask(owner, refusal, MB_OK | MB_ICONEXCLAMATION);
            return refusal;
        }
    } catch (const JetNotSupported& later) {
        // No use asking: the file cannot be converted.
        refusal = CannotOpenArchiveText(jetPath, later.what());
        Ask(owner, refusal, MB_OK | MB_ICONEXCLAMATION);
        return refusal;
    } catch (const JetError&) {
        // Said, with what to do, when the conversion meets it.
    }
    const std::string question =
        fromBackup ? "The archive " + archivePath + " is missing. Its mail is in " + jetPath +
                         ", the Jet archive of earlier versions it was converted from; the last "
                         "conversion was cut off.\n\nConvert it again now? " +
                         jetPath + " is kept as it is."
                   : "The archive " + archivePath +
                         " is in the Jet format of earlier versions. It must be converted before "
                         "it can be used.\n\nConvert it now? The original file is kept beside "
                         "it as " +
                         JetBackupPath(archivePath) + ".";
    if (Ask(owner, question, MB_YESNO | MB_ICONQUESTION) != IDYES) {
        Ask(owner, "The archive was not converted.\n\n" + refusal, MB_OK | MB_ICONINFORMATION);
        return refusal;
    }
    DialogConversionControls conversionControls(controls);
    const JetConversionOutcome outcome =
        JetConversion(jetPath, archivePath, logPath, conversionControls).Run();
    controls.SetProgress(0);
    switch (outcome.result) {
    case JetConversionOutcome::Result::Converted:
        return std::string();
    case JetConversionOutcome::Result::Stopped:
        Ask(owner, "The conversion of the archive was stopped.\n\n" + refusal,
            MB_OK | MB_ICONINFORMATION);
        return refusal;
    case JetConversionOutcome::Result::Failed:
        break;
    }
    Ask(owner,
        "The archive could not be converted:\n" + outcome.problem +
            "\n\nIf the disk is full or the folder cannot be written, make room or allow "
            "writing there; if the file is damaged, repair it with Microsoft Access (Compact "
            "and Repair) or restore it from a backup.\n\n" +
            refusal,
        MB_OK | MB_ICONEXCLAMATION);
    return refusal;
}
