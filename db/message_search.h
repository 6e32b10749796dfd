// Finding archived messages by the words typed into the viewer: every word
// must occur, letters compared ignoring case, in any script.
// The viewer tests the header texts it holds itself; the message texts are
// read here a slice at a time, so that the window keeps answering and the
// next keystroke can drop a search that is under way.
#pragma once

#include "db/case_folder.h"

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

class CADODatabase;

// The words of a search text (UTF-8), split at white space; at most 32 are
// kept.
std::vector<std::string> SearchWords(const std::string& text);

// Which of the words each message text holds, for the rows a caller asks
// about, read in rowid order.
class MessageSearch {
public:
    // `words` as typed, in UTF-8.
    MessageSearch(CADODatabase& database, std::string table, const std::vector<std::string>& words,
                  const CaseFolder& folder);

    // Reads up to `rows` further rows, and the message texts of those for
    // which `wanted(rowid)` holds (a row its headers already matched is
    // not read whole). False once the table is done, or when it cannot be
    // read, which ends the search with what was found.
    bool Step(int rows, const std::function<bool(long long)>& wanted);

    // Rows up to this rowid have been read.
    long long readUpTo() const { return after_; }

    // A bit for each word found, by rowid, for the rows read since the last
    // call.
    std::vector<std::pair<long long, uint32_t>> TakeFound() {
        std::vector<std::pair<long long, uint32_t>> taken;
        taken.swap(found_);
        return taken;
    }

private:
    void Test(long long rowid, const char* text, size_t size, bool utf8);

    CADODatabase& database_;
    std::string table_;
    const CaseFolder& folder_;
    // A word the code page cannot write is never found in a text kept as
    // its bytes.
    std::vector<std::string> ansiWords_;
    std::vector<bool> inCodePage_;
    std::vector<std::string> utf8Words_;
    long long after_ = 0;
    bool done_ = false;
    std::string folded_;
    std::vector<std::pair<long long, uint32_t>> found_;
};
