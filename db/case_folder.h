// Lower case for finding words ignoring case: in the code page, for texts
// kept as its bytes, and in UTF-8, for texts of any script. Both agree on
// every letter the code page has.
#pragma once

#include <array>
#include <string>
#include <vector>

class CaseFolder {
public:
    CaseFolder();
    std::string FoldAnsi(const std::string& text) const;
    // Into `folded`, whose room is used again from text to text. Bytes that
    // are no UTF-8 stay as they are.
    void FoldUtf8(const char* text, size_t size, std::string& folded) const;
    std::string FoldUtf8(const std::string& text) const;

private:
    std::array<unsigned char, 256> ansiLower_{};
    // Each character of the first 65,536 (every script in use) by its
    // number: the number of its lower case.
    std::vector<wchar_t> lower_;
};
