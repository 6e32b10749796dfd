// Changing a mailbox file in place: adding bytes at its end and cutting it
// short. Both flush before they return.
#pragma once

#include <cstdint>
#include <string>

// Writes `bytes` at offset `at`, which must be the file's present size.
void AppendToMailboxFile(const std::string& path, uint64_t at, const std::string& bytes);
void TruncateMailboxFile(const std::string& path, uint64_t size);
