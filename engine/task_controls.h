// What a running task may ask of the window that started it. The tasks know
// nothing else of the user interface, so they run just as well without one.
#pragma once

class TaskControls {
public:
    virtual ~TaskControls() = default;

    // 0 to 100.
    virtual void SetProgress(int percent) = 0;
    // Lets the window handle what is waiting for it (a click on Stop among
    // it), then tells whether the user asked the task to stop.
    virtual bool StopRequested() = 0;
    // Stop is refused while messages are being moved inside the host.
    virtual void EnableStop(bool enable) = 0;
    // The log file has grown; the log window shows it anew.
    virtual void ReloadLog() = 0;
};
