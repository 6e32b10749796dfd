// The viewer's find bar: a field over the list (Ctrl+F) whose words narrow
// the list to the rows that hold every one of them, in their headers or
// their message text. The headers the viewer holds are tested at once. The
// message texts are then looked up in the archive's full-text index when
// that is up to date, or else read from the archive a slice at a time, from
// the window's own messages, so that the window keeps answering and the
// next keystroke drops what is left of the search.
#pragma once

#include "db/case_folder.h"
#include "db/message_search.h"
#include "base/win32.h"
#include "ui/viewer_rows.h"

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class ArchiveIndex;
class CADODatabase;

class CFindBar {
public:
    // `rows` are the viewer's, in table order; the bar reads them, never
    // changes them.
    explicit CFindBar(const std::vector<ViewerRow>& rows) : rows_(rows) {}
    CFindBar(const CFindBar&) = delete;
    CFindBar& operator=(const CFindBar&) = delete;

    // The hidden field, control `id` of `window`, in the window's font.
    void Create(HWND window, int id);
    HWND field() const { return field_; }
    // Shows the field with its text selected; true when it was hidden, so
    // that the window makes room for it.
    bool Open();
    // The keyboard goes to the field, its text selected for a new search.
    void Focus() const;
    // Empties the field, which shows every row again, and hides it.
    void Close();

    // The rows were read anew: what a search knew of them is gone.
    void Forget();
    // Starts over with the field's words. The messages of `table` are
    // looked up in `index` when it is current, else read from `database`
    // when it is open.
    void Start(CADODatabase* database, const std::string& table, ArchiveIndex* index = nullptr);
    // `message` and `wParam` are the window's: true when they were the
    // search's own turn to read on.
    bool IsTurn(UINT message, WPARAM wParam) const;
    // Reads one slice; true when the list should show what it found now.
    bool ReadOn();
    // Asks for the next turn while texts are left to read.
    void ReadOnLater();

    bool narrowing() const { return !words_.empty(); }
    bool searching() const { return search_ != nullptr; }
    // The last search's message texts came from the index.
    bool byIndex() const { return byIndex_; }
    // A row whose message text the running search has yet to read stays,
    // so the list narrows as the search goes and keeps the marks of the
    // rows that stay.
    bool Matches(int row) const { return wordsFound_[row] == allWords_ || Undecided(row); }
    // " — 3 of 1,200" for the rows of `view` found so far, with "…" while
    // the search reads on; empty when nothing narrows the list.
    std::string CountText(const std::vector<int>& view) const;

private:
    bool Undecided(int row) const;
    void FoldHeaders();
    // The words' matches among the messages of `table`, from the index;
    // false, with nothing marked, when the index cannot answer for them.
    bool LookUp(ArchiveIndex& index, const std::string& table);

    const std::vector<ViewerRow>& rows_;
    HWND window_ = nullptr;
    HWND field_ = nullptr;
    CaseFolder folder_;
    std::vector<std::string> words_;
    uint32_t allWords_ = 0;
    // By row: a bit for each word its headers or its message hold.
    std::vector<uint32_t> wordsFound_;
    // By row, made by the first search: the header texts in lower case.
    std::vector<std::string> foldedHeaders_;
    std::unordered_map<long long, int> rowByRowid_;
    std::unique_ptr<MessageSearch> search_;
    bool byIndex_ = false;
    DWORD lastShown_ = 0;
};
