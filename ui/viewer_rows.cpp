#include "ui/viewer_rows.h"

#include "db/ado_exception.h"
#include "db/ado_recordset.h"
#include "db/archive_schema.h"
#include "db/read_snapshot.h"
#include "db/table_walk.h"
#include "mailbox/date_formats.h"
#include "mailbox/encoded_words.h"
#include "base/ansi_text.h"
#include "base/file_utils.h"
#include "base/message_box.h"
#include "base/win32.h"
#include "ui/sort_keys.h"
#include "ui/utf8_text.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <unordered_map>

namespace {

// A text without a day goes after every day, so that undated rows sort
// together, after the dated ones ascending and before them descending.
int CompareDays(const std::optional<double>& a, const std::optional<double>& b) {
    if (!a || !b) {
        return a.has_value() == b.has_value() ? 0 : a ? -1 : 1;
    }
    if (*a == *b) {
        return 0;
    }
    return *a < *b ? -1 : 1;
}

int CompareNumbers(int a, int b) {
    if (a == b) {
        return 0;
    }
    return a < b ? -1 : 1;
}

int Ordered(int result, int sortOrder) {
    return sortOrder == 1 ? -result : result;
}

using Texts = std::array<std::string, kViewerTextCount>;

std::string& TextOf(Texts& texts, ViewerText which) {
    return texts[static_cast<size_t>(which)];
}

// Shown as the reader reads them; the file keeps them as sent. A message the
// host counted as empty still takes up a line.
void ShowAsRead(ViewerRow& row, Texts& texts, HeaderDecoder& decoder) {
    decoder.DecodeUtf8InPlace(TextOf(texts, ViewerText::kFrom));
    decoder.DecodeUtf8InPlace(TextOf(texts, ViewerText::kSubject));
    decoder.DecodeUtf8InPlace(TextOf(texts, ViewerText::kTo));
    row.SetTexts(texts);
    if (row.size == 0) {
        row.size = 1;
    }
}

// The common case, an archive table of this system's own: one statement.
bool ReadByWalk(CADODatabase& database, const std::string& tableName,
                std::vector<ViewerRow>& rows) {
    using namespace mailbox_column;
    std::optional<TableWalk> walk = TableWalk::Open(
        database, tableName, {kStatus, kPriority, kFrom, kSubject, kTo, kDate, kSize, kId});
    if (!walk) {
        return false;
    }
    // Room for every row at once: a vector that grows holds its old and new
    // room together, which over a million rows is tens of megabytes more.
    rows.reserve(static_cast<size_t>(walk->CountRows()));
    HeaderDecoder decoder;
    Texts texts;
    while (walk->Next()) {
        ViewerRow row;
        row.status = walk->Integer(0);
        walk->ReadUtf8(1, TextOf(texts, ViewerText::kPriority));
        walk->ReadUtf8(2, TextOf(texts, ViewerText::kFrom));
        walk->ReadUtf8(3, TextOf(texts, ViewerText::kSubject));
        walk->ReadUtf8(4, TextOf(texts, ViewerText::kTo));
        walk->ReadUtf8(5, TextOf(texts, ViewerText::kDate));
        row.size = walk->Integer(6);
        row.id = walk->Integer(7);
        row.SetRowid(walk->Rowid());
        ShowAsRead(row, texts, decoder);
        rows.push_back(std::move(row));
    }
    return true;
}

// Any other table the recordset can open: a view, or a table made elsewhere.
void ReadByRecordset(CADODatabase& database, const std::string& tableName,
                     std::vector<ViewerRow>& rows) {
    using namespace mailbox_column;
    CADORecordset records(database);
    if (!records.Open(tableName, CADORecordset::OpenTable)) {
        return;
    }
    bool bookmarks = true;
    HeaderDecoder decoder;
    Texts texts;
    while (!records.AtEnd()) {
        ViewerRow row;
        records.ReadField(kStatus, row.status);
        records.ReadFieldUtf8(kPriority, TextOf(texts, ViewerText::kPriority));
        records.ReadFieldUtf8(kFrom, TextOf(texts, ViewerText::kFrom));
        records.ReadFieldUtf8(kSubject, TextOf(texts, ViewerText::kSubject));
        records.ReadFieldUtf8(kTo, TextOf(texts, ViewerText::kTo));
        records.ReadFieldUtf8(kDate, TextOf(texts, ViewerText::kDate));
        records.ReadField(kSize, row.size);
        records.ReadField(kId, row.id);
        if (bookmarks) {
            try {
                row.SetRowid(records.GetBookmark());
            } catch (const CADOException&) {
                bookmarks = false;
            }
        }
        ShowAsRead(row, texts, decoder);
        rows.push_back(std::move(row));
        records.MoveNext();
    }
    records.Close();
}

} // namespace

std::vector<ViewerRow> ReadViewerRows(CADODatabase& database, const std::string& tableName,
                                      bool& complete) {
    std::vector<ViewerRow> rows;
    complete = true;
    try {
        const ReadSnapshot snapshot(database);
        if (!ReadByWalk(database, tableName, rows)) {
            ReadByRecordset(database, tableName, rows);
        }
    } catch (const CADOException& error) {
        ShowStandardErrorBox(error.GetErrorMessage());
        complete = false;
    }
    return rows;
}

std::string_view ViewerRow::TextView(ViewerText which) const {
    const size_t index = static_cast<size_t>(which);
    const size_t begin = index == 0 ? 0 : ends_[index - 1];
    return std::string_view(texts_).substr(begin, ends_[index] - begin);
}

std::string ViewerRow::Text(ViewerText which) const {
    return std::string(TextView(which));
}

void ViewerRow::SetTexts(const std::array<std::string, kViewerTextCount>& texts) {
    size_t length = 0;
    for (const std::string& text : texts) {
        length += text.size();
    }
    // Exactly the room the texts take: a million rows would otherwise keep
    // the slack a growing buffer leaves.
    std::string joined;
    joined.reserve(length);
    for (size_t i = 0; i < texts.size(); ++i) {
        joined += texts[i];
        ends_[i] = static_cast<uint32_t>(joined.size());
    }
    texts_ = std::move(joined);
}

void ViewerRow::SetText(ViewerText which, const std::string& text) {
    std::array<std::string, kViewerTextCount> texts;
    for (size_t i = 0; i < texts.size(); ++i) {
        texts[i] = Text(static_cast<ViewerText>(i));
    }
    texts[static_cast<size_t>(which)] = text;
    SetTexts(texts);
}

std::string ViewerCellText(const ViewerRow& row, int column) {
    switch (column) {
    case viewer_column::kSender:
        return row.from();
    case viewer_column::kSubject:
        return row.subject();
    case viewer_column::kRecipients:
        return row.to();
    case viewer_column::kDate:
        return row.date();
    case viewer_column::kSize:
        return std::to_string(row.size);
    default:
        return std::string();
    }
}

namespace {

std::optional<double> DayOfWord(const std::string& word) {
    // The locale's dates are written in its code page.
    return ParseLocaleDate(Utf8ToAnsi(word));
}

} // namespace

std::optional<double> ViewerDateDay(const std::string& date) {
    return DayOfWord(FirstSlashWord(date));
}

int CompareViewerRows(const ViewerRow& a, const ViewerRow& b, int sortKey, int sortOrder) {
    int result = 0;
    switch (sortKey) {
    case viewer_column::kSender:
        result =
            CompareUtf8IgnoringCase(a.TextView(ViewerText::kFrom), b.TextView(ViewerText::kFrom));
        break;
    case viewer_column::kSubject:
        result = CompareUtf8IgnoringCase(a.TextView(ViewerText::kSubject),
                                         b.TextView(ViewerText::kSubject));
        break;
    case viewer_column::kRecipients:
        result = CompareUtf8IgnoringCase(a.TextView(ViewerText::kTo), b.TextView(ViewerText::kTo));
        break;
    case viewer_column::kDate:
        result = CompareDays(ViewerDateDay(a.date()), ViewerDateDay(b.date()));
        break;
    case viewer_column::kSize:
        result = CompareNumbers(a.size, b.size);
        break;
    default:
        break;
    }
    return Ordered(result, sortOrder);
}

void SortViewerRows(const std::vector<ViewerRow>& rows, std::vector<int>& order, int sortKey,
                    int sortOrder) {
    switch (sortKey) {
    case viewer_column::kSender:
    case viewer_column::kSubject:
    case viewer_column::kRecipients: {
        // The locale's sort keys order texts as its comparison does, and
        // comparing them is a byte compare instead of a locale call.
        const ViewerText text = sortKey == viewer_column::kSender    ? ViewerText::kFrom
                                : sortKey == viewer_column::kSubject ? ViewerText::kSubject
                                                                     : ViewerText::kTo;
        SortKeys keys(rows.size());
        for (const int index : order) {
            keys.Add(static_cast<size_t>(index), rows[index].TextView(text));
        }
        std::stable_sort(order.begin(), order.end(),
                         [&](int a, int b) { return Ordered(keys.Compare(a, b), sortOrder) < 0; });
        return;
    }
    case viewer_column::kDate: {
        // Many rows share a day, and parsing one costs far more than
        // finding it again. A row without a day sorts as the latest.
        std::vector<double> days(rows.size());
        std::unordered_map<std::string, std::optional<double>> dayOfWord;
        const double descending = sortOrder == 1 ? -1 : 1;
        for (const int index : order) {
            const std::string word = FirstSlashWord(rows[index].date());
            auto found = dayOfWord.find(word);
            if (found == dayOfWord.end()) {
                found = dayOfWord.emplace(word, DayOfWord(word)).first;
            }
            days[index] = descending * found->second.value_or(HUGE_VAL);
        }
        // Rows of one day keep their table order, the order they came in,
        // whatever order the list showed before. Many rows share a day, and
        // a stable sort leaves them where they are at less cost than a tie
        // broken in each comparison.
        if (order.size() == rows.size()) {
            std::iota(order.begin(), order.end(), 0);
        } else {
            std::sort(order.begin(), order.end());
        }
        std::stable_sort(order.begin(), order.end(),
                         [&](int a, int b) { return days[a] < days[b]; });
        return;
    }
    default:
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
            return CompareViewerRows(rows[a], rows[b], sortKey, sortOrder) < 0;
        });
        return;
    }
}
