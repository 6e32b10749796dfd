#include "ui/viewer_rows.h"

#include "db/ado_exception.h"
#include "db/ado_recordset.h"
#include "db/archive_schema.h"
#include "db/read_snapshot.h"
#include "mailbox/date_formats.h"
#include "mailbox/encoded_words.h"
#include "plugin/file_utils.h"
#include "plugin/message_box.h"
#include "plugin/win32.h"

#include <algorithm>

namespace {

int CompareTextsIgnoringCase(const std::string& a, const std::string& b) {
    const int result =
        ::CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()),
                         b.data(), static_cast<int>(b.size()));
    return result == 0 ? 0 : result - CSTR_EQUAL;
}

std::string TextSortKey(const std::string& text) {
    const int length = static_cast<int>(text.size());
    const DWORD flags = LCMAP_SORTKEY | NORM_IGNORECASE;
    const int size = ::LCMapStringA(LOCALE_USER_DEFAULT, flags, text.data(), length, nullptr, 0);
    if (size <= 0) {
        return std::string();
    }
    std::string key(static_cast<size_t>(size), '\0');
    ::LCMapStringA(LOCALE_USER_DEFAULT, flags, text.data(), length, &key[0], size);
    // The key ends with a zero byte; the compare must not see it.
    while (!key.empty() && key.back() == '\0') {
        key.pop_back();
    }
    return key;
}

int CompareDays(const std::optional<double>& a, const std::optional<double>& b) {
    if (!a || !b || *a == *b) {
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

} // namespace

std::vector<ViewerRow> ReadViewerRows(CADODatabase& database, const std::string& tableName,
                                      bool& complete) {
    using namespace mailbox_column;
    std::vector<ViewerRow> rows;
    complete = true;
    try {
        const ReadSnapshot snapshot(database);
        CADORecordset records(database);
        if (!records.Open(tableName, CADORecordset::OpenTable)) {
            return rows;
        }
        bool bookmarks = true;
        // Shown as the reader reads them; the file keeps them as sent.
        HeaderDecoder decoder;
        while (!records.AtEnd()) {
            ViewerRow row;
            records.ReadField(kStatus, row.status);
            records.ReadField(kPriority, row.priority);
            records.ReadField(kFrom, row.from);
            records.ReadField(kSubject, row.subject);
            records.ReadField(kTo, row.to);
            row.from = decoder.Decode(row.from);
            row.subject = decoder.Decode(row.subject);
            row.to = decoder.Decode(row.to);
            records.ReadField(kDate, row.date);
            records.ReadField(kSize, row.size);
            records.ReadField(kId, row.id);
            if (bookmarks) {
                try {
                    row.rowid = records.GetBookmark();
                } catch (const CADOException&) {
                    bookmarks = false;
                }
            }
            // A message the host counted as empty still takes up a line.
            if (row.size == 0) {
                row.size = 1;
            }
            rows.push_back(std::move(row));
            records.MoveNext();
        }
        records.Close();
    } catch (const CADOException& error) {
        ShowStandardErrorBox(error.GetErrorMessage());
        complete = false;
    }
    return rows;
}

std::string ViewerCellText(const ViewerRow& row, int column) {
    switch (column) {
    case viewer_column::kSender:
        return row.from;
    case viewer_column::kSubject:
        return row.subject;
    case viewer_column::kRecipients:
        return row.to;
    case viewer_column::kDate:
        return row.date;
    case viewer_column::kSize:
        return std::to_string(row.size);
    default:
        return std::string();
    }
}

std::optional<double> ViewerDateDay(const std::string& date) {
    return ParseLocaleDate(FirstSlashWord(date));
}

int CompareViewerRows(const ViewerRow& a, const ViewerRow& b, int sortKey, int sortOrder) {
    int result = 0;
    switch (sortKey) {
    case viewer_column::kSender:
        result = CompareTextsIgnoringCase(a.from, b.from);
        break;
    case viewer_column::kSubject:
        result = CompareTextsIgnoringCase(a.subject, b.subject);
        break;
    case viewer_column::kRecipients:
        result = CompareTextsIgnoringCase(a.to, b.to);
        break;
    case viewer_column::kDate:
        result = CompareDays(ViewerDateDay(a.date), ViewerDateDay(b.date));
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
        std::vector<std::string> keys(rows.size());
        for (const int index : order) {
            keys[index] = TextSortKey(ViewerCellText(rows[index], sortKey));
        }
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
            return Ordered(keys[a].compare(keys[b]), sortOrder) < 0;
        });
        return;
    }
    case viewer_column::kDate: {
        std::vector<std::optional<double>> days(rows.size());
        for (const int index : order) {
            days[index] = ViewerDateDay(rows[index].date);
        }
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
            return Ordered(CompareDays(days[a], days[b]), sortOrder) < 0;
        });
        return;
    }
    default:
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
            return CompareViewerRows(rows[a], rows[b], sortKey, sortOrder) < 0;
        });
        return;
    }
}
