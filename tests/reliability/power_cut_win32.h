// The program's own calls to the platform for plain files (a file written
// and flushed, renamed, deleted), recorded beside the database engine's into
// one recorder while this object lives: it takes this program's import
// entries for those calls and gives them back at the end. The code under
// test calls the platform exactly as it always does.
#pragma once

#include "tests/reliability/power_cut_vfs.h"

#include <memory>

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
