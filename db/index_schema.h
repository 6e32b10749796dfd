// The layout of the full-text index file kept beside an archive. The index
// holds nothing the archive lacks: it can be deleted at any time and is
// made again from the archive.
#pragma once

#include <string>

struct sqlite3;

// Marks a file as this program's index ("Stix"), and which layout it has.
constexpr int kIndexApplicationId = 0x53746978;
constexpr int kIndexVersion = 1;

// "archive.mdb" gives "archive.index"; a name without an extension gets
// ".index" added.
std::string IndexPathFor(const std::string& archivePath);

enum class IndexFileKind {
    kEmpty, // a new file: the layout is still to be made
    kOurs,  // this layout, this version
    kOtherVersion,
    kForeign, // SQLite, but not an index of ours
};
// Throws DbError when the file cannot be read at all (not SQLite, damaged).
IndexFileKind ReadIndexFileKind(sqlite3* db);

// Makes the tables of an empty file, in one transaction. Throws DbError.
void CreateIndexSchema(sqlite3* db);

// How the connection writes: the index can be made again, so a commit
// does not wait for the disk, and a large build keeps its pages in memory.
// Also the connection's view of the words the index holds
// (temp.index_vocabulary). Throws DbError.
void SetIndexConnectionOptions(sqlite3* db);
