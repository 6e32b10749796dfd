// The full-text index of one archive, for the tasks that change the archive
// and for Find: the tasks tell it the rows they added and removed, Find asks
// it for messages, and a caller with time to spare (the user interface
// between messages) brings it up to date a slice at a time. Nothing here
// throws, and nothing here fails a task: an update that cannot be made
// leaves the index marked behind, and a later catch-up repairs it.
#pragma once

#include "db/index_query.h"
#include "engine/index_catch_up.h"

#include "base/win32.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class ArchiveIndex {
public:
    // `archivePath` in ANSI. Nothing is opened until first needed.
    explicit ArchiveIndex(std::string archivePath);
    ~ArchiveIndex();
    ArchiveIndex(const ArchiveIndex&) = delete;
    ArchiveIndex& operator=(const ArchiveIndex&) = delete;

    // After the archive committed them: the rows at `places` (rowids) of
    // `table` (ANSI), each call in a transaction of the index's own.
    void RowsAdded(const std::string& table, const std::vector<long long>& places) noexcept;
    void RowsRemoved(const std::string& table, const std::vector<long long>& places) noexcept;

    // Whether the index agrees with every table of the archive now.
    bool IsCurrent() noexcept;
    // About `milliseconds` of catching up; done at once when current.
    IndexProgress CatchUp(DWORD milliseconds = 50) noexcept;

    // Newest first; none when the index cannot be read. `typedUtf8` is
    // whatever the user typed.
    std::vector<IndexHit> Find(const std::string& typedUtf8, int limit) noexcept;
    // -1 when the index cannot be read.
    long long Count(const std::string& typedUtf8) noexcept;
    // The places of `table`'s (ANSI) messages holding every word; none when
    // the index cannot be read.
    std::optional<std::vector<long long>> Places(const std::string& table,
                                                 const std::string& typedUtf8) noexcept;

    // Lines for the task log since the last call: an index file set aside.
    std::vector<std::string> TakeLogLines();

private:
    bool Ready() noexcept;
    void Update(const std::string& table, const std::vector<long long>& places, bool added);
    void AfterFailure(const std::string& tableUtf8) noexcept;

    std::string archivePath_;
    std::unique_ptr<MessageIndex> index_;
    std::unique_ptr<ArchiveTextReader> archive_;
    std::unique_ptr<IndexDocuments> documents_;
    std::unique_ptr<IndexCatchUp> catchUp_;
    bool setAside_ = false;
    std::vector<std::string> logLines_;
};

// The tasks' one-line calls, for a single update.
void IndexRowsAdded(const std::string& archivePath, const std::string& table,
                    const std::vector<long long>& places) noexcept;
void IndexRowsRemoved(const std::string& archivePath, const std::string& table,
                      const std::vector<long long>& places) noexcept;
