#include "testhost/mailstore/toc_in_place.h"

#include "testhost/mailstore/file_writer.h"
#include "testhost/mailstore/little_endian.h"
#include "testhost/mailstore/store_error.h"

namespace {

// Where a status lies inside its entry.
const size_t kStatusOffset = 20;

uint64_t EntryBytes(const TocContents& toc, size_t count) {
    uint64_t bytes = 0;
    for (size_t i = 0; i < count; ++i) {
        bytes += TocEntrySize(toc.entries[i]);
    }
    return bytes;
}

} // namespace

void AppendTocEntries(const std::string& path, const TocContents& toc, size_t kept) {
    FileWriter file(path);
    const uint64_t keptEnd = kTocHeaderSize + EntryBytes(toc, kept);
    std::string added;
    for (size_t i = kept; i < toc.entries.size(); ++i) {
        AppendTocEntryBytes(added, toc.entries[i]);
    }
    file.WriteAt(keptEnd, added);
    file.SetEnd(keptEnd + added.size());
    file.Flush();
    file.WriteAt(0, SerializeTocHeader(toc, keptEnd - kTocHeaderSize + added.size()));
    file.Flush();
}

void DropTocEntries(const std::string& path, const TocContents& toc) {
    FileWriter file(path);
    const uint64_t entryBytes = EntryBytes(toc, toc.entries.size());
    file.WriteAt(0, SerializeTocHeader(toc, entryBytes));
    file.Flush();
    try {
        file.SetEnd(kTocHeaderSize + entryBytes);
    } catch (const StoreError&) {
        // The header no longer counts the dropped entries: they are gone
        // whether or not their bytes are.
    }
}

void WriteTocStatus(const std::string& path, const TocContents& toc, size_t index) {
    if (index >= toc.entries.size()) {
        throw StoreError("No entry " + std::to_string(index) + " in " + path);
    }
    std::string status;
    AppendLittleEndian(status, static_cast<uint32_t>(toc.entries[index].message.status), 4);
    FileWriter file(path);
    file.WriteAt(kTocHeaderSize + EntryBytes(toc, index) + kStatusOffset, status);
    file.Flush();
}
