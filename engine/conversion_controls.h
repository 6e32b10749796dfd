// What the conversion of a Jet archive may ask of the window that started it.
#pragma once

#include <string>

class ConversionControls {
public:
    virtual ~ConversionControls() = default;

    // `percent` 0 to 100; `status` for the host's status line.
    virtual void ShowProgress(int percent, const std::string& status) = 0;
    // Lets the window handle what is waiting (a click on Stop among it),
    // then tells whether the user asked the conversion to stop.
    virtual bool StopRequested() = 0;
    // The log file has grown.
    virtual void LogWritten() = 0;
};
