#include "ui/viewer_find_bar.h"

#include "db/ado_database.h"
#include "engine/archive_index.h"
#include "base/stowlark_app.h"
#include "ui/count_text.h"
#include "ui/utf8_text.h"

#include <algorithm>

namespace {

// A search reads on from a posted notice while nothing else waits, and
// otherwise from a timer, whose turn comes after the keyboard's and the
// window's painting.
constexpr UINT_PTR kSearchTimer = 1;
constexpr UINT kSearchStepMessage = WM_APP + 3;
constexpr DWORD kSearchSliceMilliseconds = 40;
constexpr DWORD kSearchShowMilliseconds = 250;

} // namespace

void CFindBar::Create(HWND window, int id) {
    window_ = window;
    field_ = ::CreateWindowExW(
        WS_EX_CLIENTEDGE, L"EDIT", L"", WS_CHILD | WS_TABSTOP | ES_AUTOHSCROLL, 0, 0, 0, 0, window,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), App().Instance(), nullptr);
    ::SendMessageA(field_, WM_SETFONT, ::SendMessageA(window, WM_GETFONT, 0, 0), FALSE);
}

bool CFindBar::Open() {
    if (!field_) {
        return false;
    }
    const bool wasHidden = !::IsWindowVisible(field_);
    if (wasHidden) {
        ::ShowWindow(field_, SW_SHOW);
    }
    return wasHidden;
}

void CFindBar::Focus() const {
    ::SetFocus(field_);
    ::SendMessageA(field_, EM_SETSEL, 0, -1);
}

void CFindBar::Close() {
    ::SetWindowTextA(field_, "");
    ::ShowWindow(field_, SW_HIDE);
}

void CFindBar::Forget() {
    // A search under way knows the rows as they were.
    ::KillTimer(window_, kSearchTimer);
    search_.reset();
    foldedHeaders_.clear();
    rowByRowid_.clear();
    wordsFound_.assign(rows_.size(), allWords_);
}

void CFindBar::Start(CADODatabase* database, const std::string& table, ArchiveIndex* index) {
    ::KillTimer(window_, kSearchTimer);
    search_.reset();
    byIndex_ = false;
    words_ = SearchWords(WindowTextUtf8(field_));
    allWords_ = words_.size() >= 32 ? 0xFFFFFFFFu : (1u << words_.size()) - 1;
    if (words_.empty()) {
        wordsFound_.assign(rows_.size(), allWords_);
        return;
    }
    if (foldedHeaders_.size() != rows_.size()) {
        FoldHeaders();
    }
    std::vector<std::string> folded;
    for (const std::string& word : words_) {
        folded.push_back(folder_.FoldUtf8(word));
    }
    wordsFound_.assign(rows_.size(), 0);
    bool readTexts = false;
    for (size_t row = 0; row < rows_.size(); ++row) {
        uint32_t found = 0;
        for (size_t w = 0; w < folded.size(); ++w) {
            if (foldedHeaders_[row].find(folded[w]) != std::string::npos) {
                found |= 1u << w;
            }
        }
        wordsFound_[row] = found;
        readTexts = readTexts || (found != allWords_ && rows_[row].rowid().has_value());
    }
    if (!readTexts) {
        return;
    }
    if (index && index->IsCurrent() && LookUp(*index, table)) {
        byIndex_ = true;
        return;
    }
    if (database && database->IsOpen()) {
        search_ = std::make_unique<MessageSearch>(*database, table, words_, folder_);
        lastShown_ = ::GetTickCount();
        ::SetTimer(window_, kSearchTimer, 0, nullptr);
    }
}

bool CFindBar::LookUp(ArchiveIndex& index, const std::string& table) {
    // The index finds messages by their places in the table.
    if (rowByRowid_.size() != rows_.size()) {
        return false;
    }
    std::vector<std::vector<int>> found(words_.size());
    for (size_t w = 0; w < words_.size() && w < 32; ++w) {
        const std::optional<std::vector<long long>> places = index.Places(table, words_[w]);
        if (!places) {
            return false;
        }
        for (const long long place : *places) {
            const auto row = rowByRowid_.find(place);
            if (row != rowByRowid_.end()) {
                found[w].push_back(row->second);
            }
        }
    }
    for (size_t w = 0; w < found.size(); ++w) {
        for (const int row : found[w]) {
            wordsFound_[static_cast<size_t>(row)] |= 1u << w;
        }
    }
    return true;
}

void CFindBar::FoldHeaders() {
    foldedHeaders_.clear();
    rowByRowid_.clear();
    for (size_t row = 0; row < rows_.size(); ++row) {
        const ViewerRow& r = rows_[row];
        foldedHeaders_.push_back(
            folder_.FoldUtf8(r.from() + "\n" + r.subject() + "\n" + r.to() + "\n" + r.date()));
        if (const std::optional<long long> rowid = r.rowid()) {
            rowByRowid_[*rowid] = static_cast<int>(row);
        }
    }
}

bool CFindBar::IsTurn(UINT message, WPARAM wParam) const {
    return (message == WM_TIMER && wParam == kSearchTimer) || message == kSearchStepMessage;
}

bool CFindBar::ReadOn() {
    ::KillTimer(window_, kSearchTimer);
    if (!search_) {
        return false;
    }
    const auto wanted = [this](long long rowid) {
        const auto row = rowByRowid_.find(rowid);
        return row != rowByRowid_.end() && wordsFound_[row->second] != allWords_;
    };
    const DWORD start = ::GetTickCount();
    bool more = true;
    do {
        more = search_->Step(256, wanted);
        for (const auto& [rowid, found] : search_->TakeFound()) {
            const auto row = rowByRowid_.find(rowid);
            if (row != rowByRowid_.end()) {
                wordsFound_[row->second] |= found;
            }
        }
    } while (more && ::GetTickCount() - start < kSearchSliceMilliseconds);
    if (!more) {
        search_.reset();
    }
    // The rows read and found wanting leave the list a few times a second.
    if (!more || ::GetTickCount() - lastShown_ >= kSearchShowMilliseconds) {
        lastShown_ = ::GetTickCount();
        return true;
    }
    return false;
}

void CFindBar::ReadOnLater() {
    if (search_ && (HIWORD(::GetQueueStatus(QS_INPUT)) != 0 ||
                    !::PostMessageA(window_, kSearchStepMessage, 0, 0))) {
        ::SetTimer(window_, kSearchTimer, 0, nullptr);
    }
}

bool CFindBar::Undecided(int row) const {
    const std::optional<long long> rowid = rows_[row].rowid();
    return search_ && rowid && *rowid > search_->readUpTo();
}

std::string CFindBar::CountText(const std::vector<int>& view) const {
    if (words_.empty()) {
        return std::string();
    }
    const size_t found = static_cast<size_t>(std::count_if(
        view.begin(), view.end(), [this](int row) { return wordsFound_[row] == allWords_; }));
    std::string text = " \x97 " + GroupedDigits(static_cast<long long>(found)) + " of " +
                       GroupedDigits(static_cast<long long>(rows_.size()));
    if (search_) {
        text += " \x85";
    }
    return text;
}
