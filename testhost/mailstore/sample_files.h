// The files the sample's messages name outside themselves: attachments that
// arrived in "Attach", inline pictures in "Embedded", and in "Documents" a
// file the user sent. One attachment is large, made from a seeded pattern
// at each run, so that large files are tried without one in the sources.
// "Attach\itinerary.pdf" is named but never written: the user deleted it.
#pragma once

#include <cstdint>
#include <string>

// The large attachment: more than 50 MB, and no whole number of any chunk
// size a reader might use.
constexpr const char* kLargeSampleFile = "Attach\\release-1.0-rc1.zip";
constexpr uint64_t kLargeSampleFileSize = 50ull * 1024 * 1024 + 4321;

// Writes the folders and their files into `mailFolder`. StoreError when a
// file is already there, which it never overwrites, or cannot be written.
void WriteSampleFilesBeside(const std::string& mailFolder);
