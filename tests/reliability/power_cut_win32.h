// The program's own calls to the platform for plain files (a file written
// and flushed, renamed, deleted), recorded beside the database engine's into
// one recorder while this object lives: it takes this program's import
// entries for those calls and gives them back at the end. The code under
// test calls the platform exactly as it always does.
#pragma once

#include "tests/reliability/power_cut_vfs.h"

#include <memory>
#include <utility>
#include <vector>

class Win32FileRecording {
public:
    explicit Win32FileRecording(PowerCutRecorder& recorder);
    ~Win32FileRecording();
    Win32FileRecording(const Win32FileRecording&) = delete;
    Win32FileRecording& operator=(const Win32FileRecording&) = delete;

private:
    struct State;
    std::unique_ptr<State> state_;
};

// While alive, this program's clock (GetTickCount) moves on by `step`
// milliseconds each time it is read instead of with the wall: a recorded
// task then commits at the same rows in every run, so that a case named by
// its cut is the same case when run again, and commits often enough to
// interleave with the host's moves.
class SteppedClock {
public:
    explicit SteppedClock(unsigned step);
    ~SteppedClock();
    SteppedClock(const SteppedClock&) = delete;
    SteppedClock& operator=(const SteppedClock&) = delete;

private:
    std::vector<std::pair<void**, void*>> patched_;
};
