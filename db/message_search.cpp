#include "db/message_search.h"

#include "db/ado_database.h"
#include "db/db_connection.h"
#include "db/db_error.h"
#include "db/sql_text.h"
#include "db/sqlite_statement.h"
#include "base/ansi_text.h"

#include <sqlite3.h>

#include <cstring>

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool Contains(const std::string& text, const std::string& word) {
    return text.find(word) != std::string::npos;
}

} // namespace

std::vector<std::string> SearchWords(const std::string& text) {
    std::vector<std::string> words;
    std::string word;
    for (const char c : text + " ") {
        if (!IsBlank(c)) {
            word += c;
        } else if (!word.empty()) {
            if (words.size() < 32) {
                words.push_back(word);
            }
            word.clear();
        }
    }
    return words;
}

MessageSearch::MessageSearch(CADODatabase& database, std::string table,
                             const std::vector<std::string>& words, const CaseFolder& folder)
    : database_(database), table_(std::move(table)), folder_(folder) {
    for (const std::string& word : words) {
        utf8Words_.push_back(folder_.FoldUtf8(word));
        std::string ansi;
        inCodePage_.push_back(Utf8ToAnsiExact(word, ansi));
        ansiWords_.push_back(folder_.FoldAnsi(ansi));
    }
}

void MessageSearch::Test(long long rowid, const char* text, size_t size, bool utf8) {
    if (utf8) {
        folder_.FoldUtf8(text, size, folded_);
    } else {
        // Kept as bytes: code-page text the file could not hold as UTF-8.
        folded_ = folder_.FoldAnsi(std::string(text, size));
    }
    const std::vector<std::string>& words = utf8 ? utf8Words_ : ansiWords_;
    uint32_t mask = 0;
    for (size_t w = 0; w < words.size(); ++w) {
        if ((utf8 || inCodePage_[w]) && Contains(folded_, words[w])) {
            mask |= 1u << w;
        }
    }
    found_.emplace_back(rowid, mask);
}

bool MessageSearch::Step(int rows, const std::function<bool(long long)>& wanted) {
    if (done_ || !database_.IsOpen()) {
        return false;
    }
    try {
        Statement slice(database_.GetActiveConnection()->Handle(),
                        "SELECT rowid, message FROM " + QuoteIdentifier(AnsiToUtf8(table_)) +
                            " WHERE rowid > ? ORDER BY rowid LIMIT ?");
        slice.BindInteger(1, after_);
        slice.BindInteger(2, rows);
        StatementRun run(slice);
        int read = 0;
        while (slice.Step()) {
            ++read;
            after_ = slice.ColumnInteger(0);
            if (!wanted(after_)) {
                continue;
            }
            // Only now is the text itself read from the file.
            const int type = slice.ColumnType(1);
            if (type == SQLITE_TEXT || type == SQLITE_BLOB) {
                const std::string_view text = slice.ColumnView(1);
                Test(after_, text.data(), text.size(), type == SQLITE_TEXT);
            } else {
                found_.emplace_back(after_, 0);
            }
        }
        done_ = read < rows;
    } catch (const DbError&) {
        done_ = true;
    }
    return !done_;
}
