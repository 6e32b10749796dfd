#include "ui/find_results.h"

#include "db/ado_exception.h"
#include "db/ado_recordset.h"
#include "db/archive_schema.h"
#include "db/sql_text.h"
#include "engine/archive_index.h"
#include "mailbox/encoded_words.h"
#include "base/ansi_text.h"
#include "ui/utf8_text.h"

#include <algorithm>
#include <numeric>

namespace {

// The viewer's sort key for a column both lists have.
int ViewerKey(int column) {
    switch (column) {
    case find_column::kSender:
        return viewer_column::kSender;
    case find_column::kSubject:
        return viewer_column::kSubject;
    case find_column::kDate:
        return viewer_column::kDate;
    default:
        return viewer_column::kSize;
    }
}

} // namespace

void CFindResults::Search(const std::string& typedUtf8) {
    text_ = typedUtf8;
    rows_.clear();
    count_ = 0;
    Load(kFirstPage);
    count_ = static_cast<long long>(rows_.size());
}

void CFindResults::CountAll() {
    if (text_.empty()) {
        return;
    }
    const long long counted = index_.Count(text_);
    // The index may have moved on between the two questions.
    count_ = std::max<long long>(counted, static_cast<long long>(rows_.size()));
    if (sortColumn_ >= 0) {
        Load(lines());
        Sort();
    }
}

void CFindResults::Load(int wanted) {
    rows_.clear();
    if (wanted <= 0) {
        return;
    }
    const std::vector<IndexHit> hits = index_.Find(text_, wanted);
    rows_.reserve(hits.size());
    for (const IndexHit& hit : hits) {
        FoundRow found;
        found.table = hit.table;
        found.archiveName = NameOf(hit.table);
        found.row.SetTexts({"", hit.sender, hit.subject, "", hit.dateText});
        // As the viewer shows it: a message the host counted as empty
        // still takes up a line.
        found.row.size = hit.size == 0 ? 1 : hit.size;
        found.row.SetRowid(hit.place);
        rows_.push_back(std::move(found));
    }
}

const std::string& CFindResults::NameOf(const std::string& table) {
    auto name = names_.find(table);
    if (name == names_.end()) {
        name = names_.emplace(table, AnsiToUtf8(nameOf_ ? nameOf_(table) : table)).first;
    }
    return name->second;
}

const FoundRow* CFindResults::Reach(int line) {
    if (line < 0 || line >= lines()) {
        return nullptr;
    }
    if (line >= static_cast<int>(rows_.size()) && sortColumn_ < 0) {
        // A page at a time, each twice the last, read from the newest.
        Load(std::min(lines(), std::max(line + 1, static_cast<int>(rows_.size()) * 2)));
    }
    return At(line);
}

const FoundRow* CFindResults::At(int line) const {
    return line >= 0 && line < static_cast<int>(rows_.size()) ? &rows_[static_cast<size_t>(line)]
                                                              : nullptr;
}

FoundRow* CFindResults::At(int line) {
    return line >= 0 && line < static_cast<int>(rows_.size()) ? &rows_[static_cast<size_t>(line)]
                                                              : nullptr;
}

void CFindResults::SortBy(int column, bool descending) {
    sortColumn_ = column >= 0 && column < find_column::kCount ? column : -1;
    descending_ = descending;
    // Every message takes part, and newest first is the index's own order.
    Load(lines());
    Sort();
}

void CFindResults::Sort() {
    if (sortColumn_ < 0) {
        return;
    }
    std::vector<int> order(rows_.size());
    std::iota(order.begin(), order.end(), 0);
    if (sortColumn_ == find_column::kArchive) {
        std::stable_sort(order.begin(), order.end(), [this](int a, int b) {
            const int compared = CompareUtf8IgnoringCase(rows_[static_cast<size_t>(a)].archiveName,
                                                         rows_[static_cast<size_t>(b)].archiveName);
            return descending_ ? compared > 0 : compared < 0;
        });
    } else {
        std::vector<ViewerRow> rows;
        rows.reserve(rows_.size());
        for (const FoundRow& found : rows_) {
            rows.push_back(found.row);
        }
        SortViewerRows(rows, order, ViewerKey(sortColumn_), descending_ ? 1 : 0);
    }
    std::vector<FoundRow> sorted;
    sorted.reserve(rows_.size());
    for (const int at : order) {
        sorted.push_back(std::move(rows_[static_cast<size_t>(at)]));
    }
    rows_.swap(sorted);
}

std::string CFindResults::CellText(const FoundRow& found, int column) {
    switch (column) {
    case find_column::kArchive:
        return found.archiveName;
    case find_column::kSender:
        return found.row.from();
    case find_column::kSubject:
        return found.row.subject();
    case find_column::kDate:
        return found.row.date();
    case find_column::kSize:
        return std::to_string(found.row.size);
    default:
        return std::string();
    }
}

bool CompleteFoundRow(CADODatabase& database, FoundRow& found) {
    using namespace mailbox_column;
    const std::optional<long long> place = found.row.rowid();
    if (!place) {
        return false;
    }
    try {
        CADORecordset records(database);
        if (!records.Open("SELECT S, P, [To], id FROM " + QuoteIdentifier(found.table) +
                              " WHERE rowid = " + std::to_string(*place),
                          CADORecordset::OpenQuery) ||
            records.AtEnd()) {
            return false;
        }
        std::string priority;
        std::string to;
        records.ReadField(kStatus, found.row.status);
        records.ReadFieldUtf8(kPriority, priority);
        records.ReadFieldUtf8(kTo, to);
        records.ReadField(kId, found.row.id);
        HeaderDecoder().DecodeUtf8InPlace(to);
        found.row.SetText(ViewerText::kPriority, priority);
        found.row.SetText(ViewerText::kTo, to);
        return true;
    } catch (const CADOException&) {
        return false;
    }
}
