// The archive viewer's rows: what one archived message shows in the list,
// read from its mailbox table without the message texts, and the order the
// list's columns sort them in.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class CADODatabase;

enum class ViewerText { kPriority, kFrom, kSubject, kTo, kDate };
constexpr size_t kViewerTextCount = 5;

// A viewer may hold a million of these, so the five texts share one buffer
// and the row keeps only where each ends. The texts are UTF-8: an archive
// may hold any script, and UTF-8 takes no more room than the code page for
// the ASCII most mail is written in.
class ViewerRow {
public:
    int id = 0;
    // The host's status code; only 0 to 10 have an icon.
    int status = 0;
    int size = 0;

    // The row's place in its table, which finds its message; none in a
    // table made elsewhere without row ids, whose message is found by id.
    std::optional<long long> rowid() const {
        return hasRowid_ ? std::optional<long long>(rowid_) : std::nullopt;
    }
    void SetRowid(long long rowid) {
        rowid_ = rowid;
        hasRowid_ = true;
    }

    std::string Text(ViewerText which) const;
    // Valid while the row is unchanged.
    std::string_view TextView(ViewerText which) const;
    void SetTexts(const std::array<std::string, kViewerTextCount>& texts);
    void SetText(ViewerText which, const std::string& text);

    std::string priority() const { return Text(ViewerText::kPriority); }
    std::string from() const { return Text(ViewerText::kFrom); }
    std::string subject() const { return Text(ViewerText::kSubject); }
    std::string to() const { return Text(ViewerText::kTo); }
    std::string date() const { return Text(ViewerText::kDate); }

private:
    long long rowid_ = 0;
    bool hasRowid_ = false;
    std::string texts_;
    std::array<uint32_t, kViewerTextCount> ends_{};
};

namespace viewer_column {
constexpr int kSender = 0;
constexpr int kSubject = 1;
constexpr int kRecipients = 2;
constexpr int kDate = 3;
constexpr int kSize = 4;
constexpr int kCount = 5;
} // namespace viewer_column

// The rows of `tableName` in the table's own order, their senders, subjects
// and recipients with MIME encoded words decoded. A database error shows
// its text in a message box; the rows read before it are kept and `complete`
// is false. A table that cannot be opened without an error gives no rows.
std::vector<ViewerRow> ReadViewerRows(CADODatabase& database, const std::string& tableName,
                                      bool& complete);

// The cell text of `column`; the size in decimal.
std::string ViewerCellText(const ViewerRow& row, int column);

// Negative, zero or positive as `a` goes before, with or after `b` when
// sorted by `sortKey` ascending; `sortOrder` 1 reverses it. Dates compare by
// their first word holding a "/", parsed in the user's locale; a date that
// does not parse goes after every one that does and equals any other that
// does not. Every row under a key that is no column compares equal.
int CompareViewerRows(const ViewerRow& a, const ViewerRow& b, int sortKey, int sortOrder);

// The calendar day of a stored date text, as CompareViewerRows reads it.
std::optional<double> ViewerDateDay(const std::string& date);

// Orders `order` (indexes into `rows`) by CompareViewerRows, keeping the
// present order of rows that compare equal, except that rows of one day
// take their table order. Dates are parsed once per row rather than once
// per comparison.
void SortViewerRows(const std::vector<ViewerRow>& rows, std::vector<int>& order, int sortKey,
                    int sortOrder);
