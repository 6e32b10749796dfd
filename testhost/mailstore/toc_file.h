// The host's table of contents (.toc) beside each mailbox file: an index that
// lets a mailbox window open without reading every message.
//
// All numbers little-endian. A 104-byte header:
//
//   offset size
//        0    8  magic "STWKTOC" followed by 0x1A
//        8    4  format version, 2
//       12    4  header size, 104
//       16    4  number of messages
//       20    4  next message id to give out
//       24    8  size of the .mbx in bytes, right after the host last wrote it
//       32    8  last write time of the .mbx then (FILETIME ticks)
//       40    4  bytes of entries following the header; any bytes after
//                them are left from a change in place that never finished
//                and belong to no entry
//       44    4  end of the bytes before the first record, kept as they are
//       48   54  zero
//      102    2  number of messages, 65535 when there are more; the plug-in
//                reads the count here
//
// then one entry per message in file order:
//
//        0    4  offset of the record's separator line in the .mbx
//        4    4  end of the record (after its closing line end)
//        8    4  offset of the message's bytes
//       12    4  length of the message's bytes
//       16    4  id
//       20    4  status (signed)
//       24    4  priority (signed), 0 none or 1..5
//       28    4  checksum of the message's bytes
//       32    2  length n of the date text
//       34    n  the date as the host shows it, no terminating zero

#pragma once

#include "testhost/mailstore/message_entry.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

const size_t kTocHeaderSize = 104;
const size_t kTocCountOffset = 102;

struct TocEntry {
    uint32_t recordOffset = 0;
    uint32_t recordEnd = 0;
    uint32_t checksum = 0;
    MessageEntry message;
};

struct TocContents {
    uint64_t mbxSize = 0;
    uint64_t mbxLastWrite = 0;
    uint32_t nextId = 1;
    uint32_t preambleEnd = 0;
    std::vector<TocEntry> entries;
};

struct TocReading {
    TocContents contents;
    // False when the header is sound but the entries are not; the entries are
    // then empty and only the id counter can be trusted.
    bool entriesIntact = false;
};

std::string SerializeToc(const TocContents& toc);
// The pieces of SerializeToc, for changing a file in place.
std::string SerializeTocHeader(const TocContents& toc, size_t entryBytes);
void AppendTocEntryBytes(std::string& out, const TocEntry& entry);
size_t TocEntrySize(const TocEntry& entry);
// Empty when the bytes are not a table of contents of this format.
std::optional<TocReading> ParseToc(std::string_view bytes);

// Empty when the file is missing or cannot be read.
std::optional<TocReading> ReadTocFile(const std::string& path);
// Replaces the file atomically; StoreError when it cannot.
void WriteTocFile(const std::string& path, const TocContents& toc);

// The 16-bit count at offset 102, read the way the plug-in reads it.
// StoreError when the file is missing or too short.
uint16_t ReadTocMessageCount(const std::string& tocPath);
