#include "engine/index_catch_up.h"

#include "db/db_error.h"

#include <algorithm>
#include <climits>
#include <map>

namespace {

// Rows compared a run at a time, inside one short read of the archive.
constexpr int kRunRows = 200;

} // namespace

IndexCatchUp::IndexCatchUp(MessageIndex& index, ArchiveTextReader& archive,
                           IndexDocuments& documents)
    : index_(index), archive_(archive), documents_(documents) {}

void IndexCatchUp::Plan() {
    std::vector<ArchiveTableState> tables;
    {
        const ArchiveTextReader::Snapshot snapshot(archive_);
        tables = archive_.Tables();
    }
    MessageIndex::Transaction transaction(index_);
    const bool cleared = index_.ClearWhenMostlyStale();
    std::map<std::string, const ArchiveTableState*> inArchive;
    for (const ArchiveTableState& table : tables) {
        inArchive[table.name] = &table;
    }
    // Renamed or dropped: a renamed table comes back under its new name.
    for (const IndexedTable& known : index_.Tables()) {
        if (!inArchive.count(known.name)) {
            index_.DropTable(known.id);
        }
    }
    work_.clear();
    totalRows_ = 0;
    doneRows_ = 0;
    for (const ArchiveTableState& table : tables) {
        const long long id = index_.TableId(table.name);
        const IndexedTable known = index_.Table(id);
        if (!cleared && !known.behind && known.stamp == table.stamp) {
            continue;
        }
        // Rows added behind the index, as by another program's task, are
        // all that need reading.
        long long from = known.scannedTo;
        long long rows = table.stamp.rows;
        if (!cleared && !known.behind && GrewOnly(table.name, known.stamp, table.stamp)) {
            from = known.stamp.lastPlace;
            rows -= known.stamp.rows;
        }
        index_.MarkBehind(id);
        index_.SetScannedTo(id, from);
        work_.push_back(Work{id, table.name, from});
        totalRows_ += rows;
    }
    transaction.Commit();
    planned_ = true;
}

bool IndexCatchUp::GrewOnly(const std::string& table, const TableStamp& before,
                            const TableStamp& now) {
    const ArchiveTextReader::Snapshot snapshot(archive_);
    return archive_.OnlyGrew(table, before, now);
}

bool IndexCatchUp::Run(Work& work) {
    std::vector<RowKey> rows;
    {
        const ArchiveTextReader::Snapshot snapshot(archive_);
        rows = archive_.Rows(work.name, work.scannedTo, kRunRows);
    }
    const bool last = rows.size() < static_cast<size_t>(kRunRows);
    const long long upTo = last ? LLONG_MAX : rows.back().place;
    const std::vector<RowKey> held = index_.Rows(work.id, work.scannedTo, upTo);
    // A place whose id changed is in both: its entry goes, its row comes.
    std::vector<RowKey> gone;
    std::set_difference(held.begin(), held.end(), rows.begin(), rows.end(),
                        std::back_inserter(gone));
    for (const RowKey& row : gone) {
        index_.Remove(work.id, row.place);
    }
    std::vector<RowKey> missing;
    std::set_difference(rows.begin(), rows.end(), held.begin(), held.end(),
                        std::back_inserter(missing));
    std::vector<long long> places;
    for (const RowKey& row : missing) {
        places.push_back(row.place);
    }
    {
        const ArchiveTextReader::Snapshot snapshot(archive_);
        archive_.ReadRows(work.name, places, [&](const ArchivedRowTexts& row) {
            index_.Add(work.id, documents_.Of(row));
        });
    }
    doneRows_ += static_cast<long long>(rows.size());
    if (!rows.empty()) {
        work.scannedTo = rows.back().place;
    }
    index_.SetScannedTo(work.id, work.scannedTo);
    return last;
}

// Rows may have come and gone behind the walk; only a table whose every
// row the index holds, and no other, is current. Else it is walked again.
bool IndexCatchUp::Finish(const Work& work) {
    TableStamp stamp;
    {
        const ArchiveTextReader::Snapshot snapshot(archive_);
        stamp = archive_.Stamp(work.name);
    }
    const IndexedTable known = index_.Table(work.id);
    if (known.entries == stamp.rows && index_.LastPlace(work.id) == stamp.lastPlace) {
        index_.SetCurrent(work.id, stamp);
        return true;
    }
    index_.SetScannedTo(work.id, 0);
    return false;
}

IndexProgress IndexCatchUp::Step(DWORD milliseconds) {
    const DWORD start = ::GetTickCount();
    try {
        if (!planned_) {
            Plan();
        }
        MessageIndex::Transaction transaction(index_);
        while (!work_.empty()) {
            Work& work = work_.front();
            if (Run(work)) {
                if (Finish(work)) {
                    work_.erase(work_.begin());
                } else {
                    work.scannedTo = 0;
                }
            }
            if (::GetTickCount() - start >= milliseconds) {
                break;
            }
        }
        transaction.Commit();
    } catch (const DbError&) {
        planned_ = false;
        throw;
    }
    return Progress();
}

IndexProgress IndexCatchUp::Progress() const {
    IndexProgress progress;
    progress.done = work_.empty();
    if (progress.done) {
        progress.percent = 100;
        progress.statusText = "The archive's index for Find is up to date.";
        return progress;
    }
    const long long done = std::min(doneRows_, totalRows_);
    progress.percent =
        totalRows_ > 0 ? static_cast<int>(std::min(99LL, done * 100 / totalRows_)) : 0;
    progress.statusText = "Indexing the archive for Find: " + std::to_string(progress.percent) +
                          "% (" + std::to_string(done) + " of " + std::to_string(totalRows_) +
                          " messages)";
    return progress;
}
