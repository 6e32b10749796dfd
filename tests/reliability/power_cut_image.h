// The files a power cut leaves: everything a sync made durable stays; of
// the writes and truncations since each file's last sync any subset
// survives, in any order, and a write may survive only in part, whole
// 512-byte sectors of it. A deletion is durable when made (the file system
// journals its own records). The choices come from a seed, so that a
// failing case can be made again.
#pragma once

#include "tests/reliability/power_cut_vfs.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct CutFile {
    std::string path;
    // Absent when the file was not on the disk at the cut.
    std::optional<std::string> bytes;
};

// The files as a cut just before event `cut` leaves them, in the order of
// `files`. Seed 0 keeps only what was synced: the harshest cut of all.
std::vector<CutFile> FilesAfterCut(const std::vector<RecordedFile>& files,
                                   const std::vector<FileEvent>& events, size_t cut, uint64_t seed);

// How many writes and truncations at the cut no sync had yet made durable.
size_t UnsyncedAt(const std::vector<FileEvent>& events, size_t cut);

// Puts each file of `cut` at its path under `toFolder` instead of
// `fromFolder`, and removes the ones it lacks.
void WriteCutFiles(const std::vector<CutFile>& cut, const std::string& fromFolder,
                   const std::string& toFolder);
