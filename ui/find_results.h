// What the Find window lists: the messages of every archive that hold the
// words typed, read from the archive's full-text index. The newest page
// comes at once, the count after it, and further pages as the list reaches
// them; a sort by a column reads them all first.
#pragma once

#include "ui/viewer_rows.h"

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

class ArchiveIndex;
class CADODatabase;

// One message found: its archive and what the list shows of it.
struct FoundRow {
    // ANSI, as the database classes take it.
    std::string table;
    // As its archive-tree item shows it, without the count.
    std::string archiveName;
    // Sender, subject, date and size from the index; the rest once read
    // from the archive (CompleteFoundRow).
    ViewerRow row;
};

namespace find_column {
constexpr int kArchive = 0;
constexpr int kSender = 1;
constexpr int kSubject = 2;
constexpr int kDate = 3;
constexpr int kSize = 4;
constexpr int kCount = 5;
} // namespace find_column

class CFindResults {
public:
    using NameOfTable = std::function<std::string(const std::string& table)>;

    static constexpr int kFirstPage = 100;

    CFindResults(ArchiveIndex& index, NameOfTable nameOf)
        : index_(index), nameOf_(std::move(nameOf)) {}

    // Starts over with `typedUtf8`: the newest page alone.
    void Search(const std::string& typedUtf8);
    // How many there are in all, and every one of them when the list is
    // sorted by a column.
    void CountAll();
    const std::string& text() const { return text_; }
    // How many messages hold the words; -1 when the index cannot be read.
    long long count() const { return count_; }
    // The lines the list has.
    int lines() const { return static_cast<int>(std::max<long long>(0, count_)); }

    // The row on `line`, reading on to it first; null beyond what the index
    // gives.
    const FoundRow* Reach(int line);
    // The row on `line` when it has been read.
    const FoundRow* At(int line) const;
    FoundRow* At(int line);

    // By `column` (find_column), ascending or descending; -1 is newest first.
    void SortBy(int column, bool descending);
    int sortColumn() const { return sortColumn_; }
    bool descending() const { return descending_; }

    // The cell text of `column`.
    static std::string CellText(const FoundRow& found, int column);

private:
    void Load(int wanted);
    void Sort();
    const std::string& NameOf(const std::string& table);

    ArchiveIndex& index_;
    NameOfTable nameOf_;
    std::map<std::string, std::string> names_;
    std::string text_;
    long long count_ = 0;
    std::vector<FoundRow> rows_;
    int sortColumn_ = -1;
    bool descending_ = false;
};

// The columns of the row at `found.row`'s place that the index does not
// keep (status, priority, recipients, id), read from `database`; false when
// the row is gone.
bool CompleteFoundRow(CADODatabase& database, FoundRow& found);
