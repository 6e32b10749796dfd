#include "db/index_query.h"

#include "db/db_error.h"
#include "db/message_index.h"
#include "db/sqlite_statement.h"
#include "base/ansi_text.h"

#include <sqlite3.h>

namespace {

constexpr size_t kMaxTerms = 32;
// A word that begins this many words of the index or fewer is looked for as
// those words; one that begins more, as a prefix.
constexpr size_t kMaxSpelledOut = 100;

// The engine's extension interface, which lends out its tokenizers.
fts5_api* Fts5Api(sqlite3* db) {
    fts5_api* api = nullptr;
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT fts5(?1)", -1, &raw, nullptr) != SQLITE_OK) {
        throw EngineError(db);
    }
    UniqueStatement statement(raw);
    sqlite3_bind_pointer(raw, 1, &api, "fts5_api_ptr", nullptr);
    sqlite3_step(raw);
    if (!api) {
        throw EngineError(std::string("The engine has no full-text search."));
    }
    return api;
}

int KeepToken(void* context, int flags, const char* token, int size, int, int) {
    auto& tokens = *static_cast<std::vector<std::string>*>(context);
    if (!(flags & FTS5_TOKEN_COLOCATED) && tokens.size() < kMaxTerms) {
        tokens.emplace_back(token, static_cast<size_t>(size));
    }
    return SQLITE_OK;
}

// Cut as the index's words were cut, with the same folding of case and
// accents.
std::vector<std::string> QueryTokens(sqlite3* db, const std::string& text) {
    fts5_api* api = Fts5Api(db);
    void* userData = nullptr;
    fts5_tokenizer methods = {};
    if (api->xFindTokenizer(api, "unicode61", &userData, &methods) != SQLITE_OK) {
        throw EngineError(std::string("The engine has no unicode61 tokenizer."));
    }
    const char* arguments[] = {"remove_diacritics", "2"};
    Fts5Tokenizer* tokenizer = nullptr;
    if (methods.xCreate(userData, arguments, 2, &tokenizer) != SQLITE_OK) {
        throw EngineError(std::string("The unicode61 tokenizer cannot be made."));
    }
    std::vector<std::string> tokens;
    const int result = methods.xTokenize(tokenizer, &tokens, FTS5_TOKENIZE_QUERY, text.data(),
                                         static_cast<int>(text.size()), KeepToken);
    methods.xDelete(tokenizer);
    if (result != SQLITE_OK) {
        throw EngineError(std::string("The search words cannot be read."));
    }
    return tokens;
}

std::string Quoted(const std::string& term) {
    std::string quoted = "\"";
    for (const char c : term) {
        quoted += c;
        if (c == '"') {
            quoted += '"';
        }
    }
    return quoted + "\"";
}

// The words of the index that begin with `token`, up to one more than are
// spelled out.
std::vector<std::string> WordsBeginning(sqlite3* db, const std::string& token) {
    std::string after = token;
    while (!after.empty() && static_cast<unsigned char>(after.back()) == 0xFF) {
        after.pop_back();
    }
    if (!after.empty()) {
        after.back() = static_cast<char>(after.back() + 1);
    }
    Statement select(db, after.empty() ? "SELECT term FROM temp.index_vocabulary WHERE term >= ? "
                                         "LIMIT ?"
                                       : "SELECT term FROM temp.index_vocabulary WHERE term >= ? "
                                         "AND term < ? LIMIT ?");
    int at = 1;
    select.BindText(at++, token);
    if (!after.empty()) {
        select.BindText(at++, after);
    }
    select.BindInteger(at, static_cast<long long>(kMaxSpelledOut + 1));
    StatementRun run(select);
    std::vector<std::string> words;
    while (select.Step()) {
        words.push_back(select.ColumnBytes(0));
    }
    return words;
}

} // namespace

// A prefix term makes the engine gather every message of every word it
// begins before it can give the newest; the same words spelled out are
// read lazily, newest first, and the first page is found at once.
std::string IndexMatchExpression(MessageIndex& index, const std::string& typedUtf8) {
    std::string expression;
    for (const std::string& token : QueryTokens(index.handle(), typedUtf8)) {
        const std::vector<std::string> words = WordsBeginning(index.handle(), token);
        if (words.empty()) {
            return std::string();
        }
        expression += expression.empty() ? "" : " AND ";
        if (words.size() > kMaxSpelledOut) {
            expression += Quoted(token) + "*";
            continue;
        }
        expression += "(";
        for (size_t i = 0; i < words.size(); ++i) {
            expression += (i ? " OR " : "") + Quoted(words[i]);
        }
        expression += ")";
    }
    return expression;
}

std::vector<IndexHit> FindInIndex(MessageIndex& index, const std::string& typedUtf8, int limit) {
    std::vector<IndexHit> hits;
    const std::string expression = IndexMatchExpression(index, typedUtf8);
    if (expression.empty() || limit <= 0) {
        return hits;
    }
    // The words table gives its ids in descending order itself, and the ids
    // lead with the date: the first `limit` are the newest.
    Statement select(index.handle(),
                     "SELECT t.name, e.place, e.sender, e.subject, e.date_text, e.size "
                     "FROM index_words JOIN index_entries e ON e.doc = index_words.rowid "
                     "JOIN index_tables t ON t.id = e.table_id "
                     "WHERE index_words MATCH ? ORDER BY index_words.rowid DESC LIMIT ?");
    select.BindText(1, expression);
    select.BindInteger(2, limit);
    StatementRun run(select);
    while (select.Step()) {
        IndexHit hit;
        hit.archivePath = index.archivePath();
        hit.table = Utf8ToAnsi(select.ColumnBytes(0));
        hit.place = select.ColumnInteger(1);
        hit.sender = select.ColumnBytes(2);
        hit.subject = select.ColumnBytes(3);
        hit.dateText = select.ColumnBytes(4);
        hit.size = static_cast<int>(select.ColumnInteger(5));
        hits.push_back(std::move(hit));
    }
    return hits;
}

long long CountInIndex(MessageIndex& index, const std::string& typedUtf8) {
    const std::string expression = IndexMatchExpression(index, typedUtf8);
    if (expression.empty()) {
        return 0;
    }
    // Without stale words every id of the words table is an entry's.
    Statement count(index.handle(),
                    index.StaleEntries() == 0
                        ? "SELECT count(*) FROM index_words WHERE index_words MATCH ?"
                        : "SELECT count(*) FROM index_words JOIN index_entries e "
                          "ON e.doc = index_words.rowid WHERE index_words MATCH ?");
    count.BindText(1, expression);
    StatementRun run(count);
    return count.Step() ? count.ColumnInteger(0) : 0;
}

std::vector<long long> PlacesInIndex(MessageIndex& index, const std::string& tableUtf8,
                                     const std::string& typedUtf8) {
    std::vector<long long> places;
    const std::string expression = IndexMatchExpression(index, typedUtf8);
    if (expression.empty()) {
        return places;
    }
    Statement select(index.handle(),
                     "SELECT e.place FROM index_words JOIN index_entries e "
                     "ON e.doc = index_words.rowid JOIN index_tables t ON t.id = e.table_id "
                     "WHERE index_words MATCH ? AND t.name = ?");
    select.BindText(1, expression);
    select.BindText(2, tableUtf8);
    StatementRun run(select);
    while (select.Step()) {
        places.push_back(select.ColumnInteger(0));
    }
    return places;
}
