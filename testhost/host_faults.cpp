#include "testhost/host_faults.h"

#include <cstdlib>

void HostFaults::Arm(const std::string& operation, int nth) {
    armed_[operation] = Fault{nth < 0 ? 0 : nth, 0};
}

bool HostFaults::ArmFromText(const std::string& text) {
    const size_t colon = text.find(':');
    const std::string operation = text.substr(0, colon);
    if (operation.empty()) {
        return false;
    }
    int nth = 0;
    if (colon != std::string::npos) {
        const std::string number = text.substr(colon + 1);
        char* end = nullptr;
        const long value = std::strtol(number.c_str(), &end, 10);
        if (number.empty() || *end != '\0' || value < 1) {
            return false;
        }
        nth = static_cast<int>(value);
    }
    Arm(operation, nth);
    return true;
}

bool HostFaults::ShouldFail(const std::string& operation) {
    auto found = armed_.find(operation);
    if (found == armed_.end()) {
        return false;
    }
    Fault& fault = found->second;
    if (fault.nth == 0) {
        return true;
    }
    if (++fault.calls == fault.nth) {
        armed_.erase(found);
        return true;
    }
    return false;
}
