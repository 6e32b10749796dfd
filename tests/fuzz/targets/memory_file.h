// A file that lives in memory only, for readers that take a path: each run
// of a target puts its input there and hands the reader the file's name.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

class MemoryFile {
public:
    MemoryFile() : fd_(memfd_create("stowlark-fuzz", 0)) {
        if (fd_ < 0) {
            std::abort();
        }
    }
    ~MemoryFile() { close(fd_); }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    // The file now holds exactly these bytes.
    void Fill(const uint8_t* data, size_t size) {
        if (ftruncate(fd_, 0) != 0) {
            std::abort();
        }
        for (size_t done = 0; done < size;) {
            const ssize_t wrote = pwrite(fd_, data + done, size - done, static_cast<off_t>(done));
            if (wrote <= 0) {
                std::abort();
            }
            done += static_cast<size_t>(wrote);
        }
    }
    std::string path() const { return "/proc/self/fd/" + std::to_string(fd_); }

private:
    int fd_;
};

// A finding of a target's own check: libFuzzer keeps the input as a crash.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);     \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)
