#include "testhost/mailstore/append_journal.h"

#include "testhost/mailstore/disk_file.h"
#include "testhost/mailstore/little_endian.h"
#include "testhost/mailstore/mailbox_bytes.h"
#include "testhost/mailstore/store_error.h"
#include "testhost/mailstore/toc_file.h"

#include <cstring>
#include <optional>

namespace {

const char kJournalMagic[8] = {'S', 'T', 'W', 'K', 'J', 'N', 'L', '\x1A'};
const size_t kJournalSize = 20;

std::optional<AppendIntent> ReadJournal(const std::string& path) {
    try {
        const DiskFile file(path);
        if (file.Size() != kJournalSize) {
            return std::nullopt;
        }
        const std::string bytes = file.ReadAt(0, kJournalSize);
        if (std::memcmp(bytes.data(), kJournalMagic, sizeof kJournalMagic) != 0) {
            return std::nullopt;
        }
        AppendIntent intent;
        intent.mbxSizeBefore = GetLittleEndian(bytes, 8, 8);
        intent.messageId = static_cast<uint32_t>(GetLittleEndian(bytes, 16, 4));
        return intent;
    } catch (const StoreError&) {
        return std::nullopt;
    }
}

} // namespace

std::string JournalPathFor(const std::string& mbxPath) {
    return mbxPath + ".jnl";
}

void WriteAppendJournal(const std::string& mbxPath, const AppendIntent& intent) {
    std::string bytes(kJournalMagic, sizeof kJournalMagic);
    AppendLittleEndian(bytes, intent.mbxSizeBefore, 8);
    AppendLittleEndian(bytes, intent.messageId, 4);
    const std::string path = JournalPathFor(mbxPath);
    UniqueFile file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        ThrowSystemError("Cannot create", path, ::GetLastError());
    }
    DWORD written = 0;
    if (!::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                     nullptr) ||
        written != bytes.size() || !::FlushFileBuffers(file.get())) {
        const DWORD error = ::GetLastError();
        file.reset();
        ::DeleteFileA(path.c_str());
        ThrowSystemError("Cannot write", path, error);
    }
}

void RemoveAppendJournal(const std::string& mbxPath) {
    ::DeleteFileA(JournalPathFor(mbxPath).c_str());
}

void RecoverInterruptedAppend(const std::string& mbxPath, const std::string& tocPath) {
    const std::string path = JournalPathFor(mbxPath);
    if (::GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        return;
    }
    const std::optional<AppendIntent> intent = ReadJournal(path);
    if (intent) {
        const std::optional<TocReading> toc = ReadTocFile(tocPath);
        bool committed = false;
        if (toc && toc->entriesIntact) {
            for (const TocEntry& entry : toc->contents.entries) {
                committed = committed || entry.message.id == intent->messageId;
            }
        }
        if (!committed && ReadFileStamp(mbxPath).size > intent->mbxSizeBefore) {
            TruncateMailboxFile(mbxPath, intent->mbxSizeBefore);
        }
    }
    RemoveAppendJournal(mbxPath);
}
