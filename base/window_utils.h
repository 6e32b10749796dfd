// Small waits and window and resource helpers shared by the tasks and the
// preview.
#pragma once

#include <functional>
#include <string>

// Blocks the thread (no message pumping) for `milliseconds`, at most 10 s.
// 0 when the full pause ran, 258 when the cap ended it, -1 when no timer
// could be set, else the wait's failure code.
int Delay(int milliseconds);
// As Delay with a cap of the caller's choosing.
int DelayCapped(int milliseconds, int capMilliseconds);

// The pauses asked of Delay since the module loaded: the floor under a
// task's wall time, which the benchmarks compare it with.
struct DelayTally {
    long calls = 0;
    long long requestedMilliseconds = 0;
};

// Takes a pause, already tallied, in place of the wait: only a program that
// links the plug-in's code sets one (a benchmark of a hundred thousand
// messages would otherwise sleep for hours). What it returns is Delay's.
using DelaySink = std::function<int(int milliseconds)>;

// Asks the host's mailbox window with exactly this caption to close, without
// waiting for it to do so. True when the request was delivered.
bool CloseHostMailboxWindow(const std::string& caption);

// The bytes of the module's resource `number` of type `type` into `text`;
// the resource's size, or 0 (text untouched) when there is none.
int LoadTextResource(int number, const char* type, std::string& text);
