#include "engine/archive_index.h"

#include "db/db_error.h"
#include "base/ansi_text.h"

#include <algorithm>
#include <map>

ArchiveIndex::ArchiveIndex(std::string archivePath) : archivePath_(std::move(archivePath)) {}

ArchiveIndex::~ArchiveIndex() = default;

bool ArchiveIndex::Ready() noexcept {
    if (index_ && archive_) {
        return true;
    }
    try {
        if (!archive_) {
            archive_ = std::make_unique<ArchiveTextReader>(archivePath_);
        }
        if (!index_) {
            std::string notice;
            index_ = MessageIndex::Open(archivePath_, notice, setAside_);
            setAside_ = false;
            if (!notice.empty()) {
                logLines_.push_back(notice);
            }
        }
        if (!documents_) {
            documents_ = std::make_unique<IndexDocuments>();
        }
        return true;
    } catch (const DbError&) {
        // A Jet archive not yet converted, a folder that cannot be written.
        archive_.reset();
        return false;
    } catch (const std::exception&) {
        return false;
    }
}

// The stamps tell a later catch-up of any rows missed; the mark tells it
// also when they happen to agree. A damaged file goes at the next use.
void ArchiveIndex::AfterFailure(const std::string& tableUtf8) noexcept {
    catchUp_.reset();
    if (!index_) {
        return;
    }
    if (index_->IsDamaged()) {
        index_.reset();
        setAside_ = true;
        return;
    }
    try {
        MessageIndex::Transaction transaction(*index_);
        if (!tableUtf8.empty()) {
            index_->MarkBehind(index_->TableId(tableUtf8));
        }
        transaction.Commit();
    } catch (const std::exception&) {
        if (index_->IsDamaged()) {
            index_.reset();
            setAside_ = true;
        }
    }
}

void ArchiveIndex::Update(const std::string& table, const std::vector<long long>& places,
                          bool added) {
    const std::string tableUtf8 = AnsiToUtf8(table);
    std::vector<long long> sorted = places;
    std::sort(sorted.begin(), sorted.end());
    std::vector<IndexDocument> documents;
    TableStamp stamp;
    {
        const ArchiveTextReader::Snapshot snapshot(*archive_);
        if (added) {
            archive_->ReadRows(tableUtf8, sorted, [&](const ArchivedRowTexts& row) {
                documents.push_back(documents_->Of(row));
            });
        }
        stamp = archive_->Stamp(tableUtf8);
    }
    MessageIndex::Transaction transaction(*index_);
    bool newTable = false;
    const long long id = index_->TableId(tableUtf8, &newTable);
    const bool wasCurrent = newTable || !index_->Table(id).behind;
    for (const IndexDocument& document : documents) {
        index_->Add(id, document);
    }
    if (!added) {
        for (const long long place : sorted) {
            index_->Remove(id, place);
        }
    }
    // Current before and holding exactly the archive's rows now: anything
    // another program did in between would show in the count or last row.
    if (wasCurrent && index_->Table(id).entries == stamp.rows &&
        index_->LastPlace(id) == stamp.lastPlace) {
        index_->SetCurrent(id, stamp);
    } else {
        index_->MarkBehind(id);
    }
    transaction.Commit();
}

void ArchiveIndex::RowsAdded(const std::string& table,
                             const std::vector<long long>& places) noexcept {
    if (places.empty() || !Ready()) {
        return;
    }
    try {
        Update(table, places, true);
    } catch (const std::exception&) {
        AfterFailure(AnsiToUtf8(table));
    }
}

void ArchiveIndex::RowsRemoved(const std::string& table,
                               const std::vector<long long>& places) noexcept {
    if (places.empty() || !Ready()) {
        return;
    }
    try {
        Update(table, places, false);
    } catch (const std::exception&) {
        AfterFailure(AnsiToUtf8(table));
    }
}

bool ArchiveIndex::IsCurrent() noexcept {
    if (!Ready()) {
        return false;
    }
    try {
        std::vector<ArchiveTableState> tables;
        {
            const ArchiveTextReader::Snapshot snapshot(*archive_);
            tables = archive_->Tables();
        }
        std::map<std::string, IndexedTable> known;
        for (IndexedTable& table : index_->Tables()) {
            known[table.name] = std::move(table);
        }
        if (known.size() != tables.size()) {
            return false;
        }
        return std::all_of(tables.begin(), tables.end(), [&](const ArchiveTableState& table) {
            const auto found = known.find(table.name);
            return found != known.end() && !found->second.behind &&
                   found->second.stamp == table.stamp;
        });
    } catch (const std::exception&) {
        AfterFailure(std::string());
        return false;
    }
}

IndexProgress ArchiveIndex::CatchUp(DWORD milliseconds) noexcept {
    IndexProgress progress;
    if (!Ready()) {
        progress.done = true;
        progress.statusText = "The archive cannot be indexed for Find.";
        return progress;
    }
    try {
        if (!catchUp_) {
            catchUp_ = std::make_unique<IndexCatchUp>(*index_, *archive_, *documents_);
        }
        progress = catchUp_->Step(milliseconds);
        if (progress.done) {
            catchUp_.reset();
        }
    } catch (const std::exception&) {
        AfterFailure(std::string());
        progress.done = false;
        progress.statusText = "Indexing the archive for Find...";
    }
    return progress;
}

std::vector<IndexHit> ArchiveIndex::Find(const std::string& typedUtf8, int limit) noexcept {
    if (!Ready()) {
        return {};
    }
    try {
        return FindInIndex(*index_, typedUtf8, limit);
    } catch (const std::exception&) {
        AfterFailure(std::string());
        return {};
    }
}

long long ArchiveIndex::Count(const std::string& typedUtf8) noexcept {
    if (!Ready()) {
        return -1;
    }
    try {
        return CountInIndex(*index_, typedUtf8);
    } catch (const std::exception&) {
        AfterFailure(std::string());
        return -1;
    }
}

std::optional<std::vector<long long>> ArchiveIndex::Places(const std::string& table,
                                                           const std::string& typedUtf8) noexcept {
    if (!Ready()) {
        return std::nullopt;
    }
    try {
        return PlacesInIndex(*index_, AnsiToUtf8(table), typedUtf8);
    } catch (const std::exception&) {
        AfterFailure(std::string());
        return std::nullopt;
    }
}

std::vector<std::string> ArchiveIndex::TakeLogLines() {
    std::vector<std::string> lines;
    lines.swap(logLines_);
    return lines;
}

void IndexRowsAdded(const std::string& archivePath, const std::string& table,
                    const std::vector<long long>& places) noexcept {
    ArchiveIndex(archivePath).RowsAdded(table, places);
}

void IndexRowsRemoved(const std::string& archivePath, const std::string& table,
                      const std::vector<long long>& places) noexcept {
    ArchiveIndex(archivePath).RowsRemoved(table, places);
}
