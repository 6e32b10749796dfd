#include "testhost/mailstore/mailbox_bytes.h"

#include "testhost/mailstore/file_writer.h"
#include "testhost/mailstore/store_error.h"

void AppendToMailboxFile(const std::string& path, uint64_t at, const std::string& bytes) {
    FileWriter file(path);
    if (file.Size() != at) {
        throw StoreError("Cannot append to " + path + ": it changed on disk since it was loaded");
    }
    try {
        file.WriteAt(at, bytes);
    } catch (const StoreError&) {
        // Nothing of a failed append stays behind.
        try {
            file.SetEnd(at);
        } catch (const StoreError&) {
            // The write's own failure is the one to report.
        }
        throw;
    }
    file.Flush();
}

void TruncateMailboxFile(const std::string& path, uint64_t size) {
    FileWriter file(path);
    file.SetEnd(size);
    file.Flush();
}
