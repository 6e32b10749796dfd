// Switches that make chosen host operations fail, so that tests can see
// how the plug-in copes with a host that lets it down.
#pragma once

#include <map>
#include <string>

class HostFaults {
public:
    // The `nth` call of `operation` from now fails once; 0 fails every call.
    void Arm(const std::string& operation, int nth = 0);
    // "Move:3" or "RawText"; false when the text is no such switch.
    bool ArmFromText(const std::string& text);
    void Clear() { armed_.clear(); }

    // Counts the call; true when this call is to fail.
    bool ShouldFail(const std::string& operation);

private:
    struct Fault {
        int nth = 0;
        int calls = 0;
    };
    std::map<std::string, Fault> armed_;
};
