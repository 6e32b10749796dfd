// Counts the rows a conversion has handled and tells the window now and
// then: the copy and the comparison each take half of the bar.
#pragma once

#include "engine/conversion_controls.h"

#include <cstdint>
#include <string>

class ConversionProgress {
public:
    ConversionProgress(ConversionControls& controls, uint64_t messages)
        : controls_(controls), messages_(messages) {}

    // "Converting" or "Checking": what the status line says of the phase.
    void BeginPhase(const std::string& verb);
    // One more row; false when the user has asked to stop.
    bool Step();

private:
    void Show();

    ConversionControls& controls_;
    uint64_t messages_;
    uint64_t done_ = 0;
    int phase_ = -1;
    std::string verb_;
};
