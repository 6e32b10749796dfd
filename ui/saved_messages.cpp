#include "ui/saved_messages.h"

#include "db/ado_exception.h"
#include "db/stored_message.h"
#include "mailbox/pending_mailbox.h"
#include "base/ansi_text.h"
#include "base/message_box.h"
#include "base/replacing_file.h"

namespace {

std::string LeftOutText(size_t leftOut, size_t count, bool nothingWritten) {
    std::string text = count == 1     ? std::string("The message holds")
                       : leftOut == 1 ? "1 of the " + std::to_string(count) + " messages holds"
                                      : std::to_string(leftOut) + " of the " +
                                            std::to_string(count) + " messages hold";
    text += " characters that the code page lacks, and a mailbox keeps its messages in the "
            "code page: ";
    text += leftOut == 1 ? "it was not saved." : "they were not saved.";
    if (nothingWritten) {
        text += " Nothing was written.";
    }
    return text + "\nSaved alone as a message (.eml), a message keeps every character.";
}

} // namespace

bool SaveArchivedMessages(CADODatabase& database, const std::string& tableName,
                          const std::vector<const ViewerRow*>& rows, const std::string& path,
                          bool asMailbox) {
    ReplacingFile file(path);
    std::string failure;
    size_t leftOut = 0;
    if (file.Open()) {
        try {
            for (const ViewerRow* row : rows) {
                const StoredMessage message =
                    ReadStoredMessage(database, tableName, row->rowid(), row->id);
                if (asMailbox && !message.exact) {
                    ++leftOut;
                    continue;
                }
                // An ordinary message stays byte for byte as it always was.
                const std::string& text = message.exact ? message.text : message.utf8;
                if (!file.Write(asMailbox
                                    ? PendingRecord(Utf8ToAnsi(row->date()), row->status, text)
                                    : text)) {
                    failure = file.error();
                    break;
                }
            }
        } catch (const CADOException& error) {
            failure = error.GetErrorMessage();
        }
        if (failure.empty() && leftOut > 0 && leftOut == rows.size()) {
            ShowStandardErrorBox(LeftOutText(leftOut, rows.size(), true));
            return false;
        }
        if (failure.empty() && file.Commit()) {
            if (leftOut > 0) {
                ShowStandardErrorBox(LeftOutText(leftOut, rows.size(), false));
            }
            return true;
        }
    }
    if (failure.empty()) {
        failure = file.error();
    }
    ShowStandardErrorBox("The messages could not be saved to " + path + ":\n" + failure +
                         "\nNothing was written there.");
    return false;
}
