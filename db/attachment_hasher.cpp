#include "db/attachment_hasher.h"

#include "db/attachment_files.h"

#include <algorithm>
#include <system_error>

ChunkBuffers::ChunkBuffers(long long fileSize)
    : chunk_(static_cast<size_t>(std::clamp<long long>(fileSize, 1, kFileChunk))),
      bytes_(2 * chunk_) {}

char* ChunkBuffers::Next() {
    turn_ ^= 1;
    return bytes_.data() + turn_ * chunk_;
}

ChunkHasher::ChunkHasher(long long total) {
    if (total > static_cast<long long>(kFileChunk)) {
        try {
            thread_ = std::thread([this] { Run(); });
        } catch (const std::system_error&) {
            // No thread to be had: the caller's hashes every chunk itself.
        }
    }
}

ChunkHasher::~ChunkHasher() {
    if (thread_.joinable()) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stop_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }
}

void ChunkHasher::Update(const char* bytes, size_t size) {
    if (!thread_.joinable()) {
        hash_.Update(bytes, size);
        return;
    }
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return !pending_; });
    bytes_ = bytes;
    size_ = size;
    pending_ = true;
    lock.unlock();
    changed_.notify_all();
}

std::string ChunkHasher::FinishHex() {
    Wait();
    return hash_.FinishHex();
}

void ChunkHasher::Wait() {
    if (thread_.joinable()) {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return !pending_; });
    }
}

// Runs the chunks in hand to the end, stopped or not: the caller's buffer
// outlives the hasher.
void ChunkHasher::Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return pending_ || stop_; });
        if (!pending_) {
            return;
        }
        lock.unlock();
        hash_.Update(bytes_, size_);
        lock.lock();
        pending_ = false;
        changed_.notify_all();
    }
}
