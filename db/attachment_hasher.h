// SHA-256 of a file's chunks on a thread of its own, so that hashing one
// chunk overlaps reading, storing or writing the next: the caller alternates
// between two buffers (ChunkBuffers), and a chunk handed over must stay
// unchanged until the next one is. A file of one chunk is hashed on the
// caller's thread.
#pragma once

#include "base/sha256.h"

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// The hasher's two buffers, of a chunk each or of the file's size when it is
// smaller: small files are many, and fresh memory costs its first touch.
class ChunkBuffers {
public:
    explicit ChunkBuffers(long long fileSize);

    size_t chunk() const { return chunk_; }
    // The other buffer than the last call gave.
    char* Next();

private:
    size_t chunk_;
    std::vector<char> bytes_;
    size_t turn_ = 1;
};

class ChunkHasher {
public:
    explicit ChunkHasher(long long total);
    // Waits for the chunk in hand, then stops the thread.
    ~ChunkHasher();
    ChunkHasher(const ChunkHasher&) = delete;
    ChunkHasher& operator=(const ChunkHasher&) = delete;

    // Waits until the chunk handed over before is hashed, then hands over this one.
    void Update(const char* bytes, size_t size);
    // Of every chunk handed over.
    std::string FinishHex();

private:
    void Wait();
    void Run();

    Sha256 hash_;
    std::mutex mutex_;
    std::condition_variable changed_;
    const char* bytes_ = nullptr;
    size_t size_ = 0;
    bool pending_ = false;
    bool stop_ = false;
    std::thread thread_;
};
