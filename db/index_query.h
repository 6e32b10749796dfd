// Finding messages in the full-text index by the words a user types. The
// words are cut into tokens by the index's own tokenizer and each becomes a
// quoted prefix term, all of which must match: no text typed can be read as
// query syntax, so none is an error and none reaches past the words.
#pragma once

#include <string>
#include <vector>

class MessageIndex;

// One message found: where it is and what a list of results shows of it.
struct IndexHit {
    std::string archivePath; // ANSI
    std::string table;       // ANSI, as the database classes take it
    long long place = 0;     // the row's rowid in its table
    // UTF-8, as the viewer keeps its texts.
    std::string sender;
    std::string subject;
    std::string dateText;
    int size = 0;
};

// The match expression for `typedUtf8`, at most 32 words joined by AND,
// each as the index's words it begins ("caf": ("cafe" OR "cafes")) or as a
// quoted prefix term when it begins many; empty when the text holds no word
// or a word no message holds. Throws DbError.
std::string IndexMatchExpression(MessageIndex& index, const std::string& typedUtf8);

// The newest `limit` messages holding every word (newest by their date;
// undated ones last). None for a text without words. Throws DbError.
std::vector<IndexHit> FindInIndex(MessageIndex& index, const std::string& typedUtf8, int limit);

// How many messages hold every word. Throws DbError.
long long CountInIndex(MessageIndex& index, const std::string& typedUtf8);

// The places of the messages of one table (UTF-8) that hold every word, in
// no order: all a viewer needs to mark its rows. Throws DbError.
std::vector<long long> PlacesInIndex(MessageIndex& index, const std::string& tableUtf8,
                                     const std::string& typedUtf8);
