// Brings an index that is behind its archive up to date, a slice at a time,
// so that the thread that drives it (the user interface's) keeps answering.
// Each table the index does not agree with is walked in rowid order: rows
// the index lacks are added, entries whose row went are removed, tables the
// archive no longer has lose their entries.
#pragma once

#include "db/archive_text_reader.h"
#include "db/message_index.h"
#include "engine/index_documents.h"

#include "base/win32.h"

#include <string>
#include <vector>

struct IndexProgress {
    bool done = false;
    int percent = 0;
    // For the host's status line.
    std::string statusText;
};

class IndexCatchUp {
public:
    IndexCatchUp(MessageIndex& index, ArchiveTextReader& archive, IndexDocuments& documents);

    // Works for about `milliseconds` (at least one run of rows) and says how
    // far it got. Throws DbError; the next call plans anew.
    IndexProgress Step(DWORD milliseconds);

private:
    struct Work {
        long long id = 0;
        std::string name;
        long long scannedTo = 0;
    };

    void Plan();
    bool GrewOnly(const std::string& table, const TableStamp& before, const TableStamp& now);
    // One run of rows of the first table; true when the table is through.
    bool Run(Work& work);
    bool Finish(const Work& work);
    IndexProgress Progress() const;

    MessageIndex& index_;
    ArchiveTextReader& archive_;
    IndexDocuments& documents_;
    bool planned_ = false;
    std::vector<Work> work_;
    long long totalRows_ = 0;
    long long doneRows_ = 0;
};
