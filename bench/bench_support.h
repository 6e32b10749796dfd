// What the benchmarks measure with and what they store: a stopwatch, the
// process's memory, and archived messages of a chosen size.
#pragma once

#include "base/win32.h"

#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>

class Stopwatch {
public:
    double Seconds() const {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    }
    double Milliseconds() const { return Seconds() * 1000; }

private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

inline PROCESS_MEMORY_COUNTERS MemoryCounters() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters);
    return counters;
}

inline double PrivateMegabytes() {
    return MemoryCounters().PagefileUsage / 1048576.0;
}

inline double PeakWorkingSetMegabytes() {
    return MemoryCounters().PeakWorkingSetSize / 1048576.0;
}

// The most private memory the process held while this lived. Wine's own
// PeakPagefileUsage only repeats the present figure, so a thread samples
// the figure every few milliseconds.
class PrivatePeak {
public:
    PrivatePeak() : sampler_([this] { Sample(); }) {}
    ~PrivatePeak() {
        stop_ = true;
        sampler_.join();
    }
    PrivatePeak(const PrivatePeak&) = delete;
    PrivatePeak& operator=(const PrivatePeak&) = delete;

    double Megabytes() const { return std::max(peak_.load(), PrivateMegabytes()); }

private:
    void Sample() {
        while (!stop_) {
            const double now = PrivateMegabytes();
            if (now > peak_) {
                peak_ = now;
            }
            ::Sleep(2);
        }
    }

    std::atomic<bool> stop_{false};
    std::atomic<double> peak_{0};
    std::thread sampler_;
};

// A message of `bytes` bytes with 8-bit letters in it, different for each row.
inline std::string SampleMessage(int row, size_t bytes) {
    std::string text = "From: sender" + std::to_string(row) + "@example.com\r\nSubject: Report " +
                       std::to_string(row) + " \xE9t\xE9\r\n\r\n";
    static const char kWords[] = "archive mailbox message restore filter caf\xE9 na\xEFve ";
    while (text.size() < bytes) {
        text += kWords[(text.size() + static_cast<size_t>(row)) % (sizeof kWords - 1)];
    }
    return text;
}
