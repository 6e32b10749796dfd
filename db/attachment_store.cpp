#include "db/attachment_store.h"

#include "db/ado_database.h"
#include "db/attachment_chunks.h"
#include "db/attachment_files.h"
#include "db/attachment_hasher.h"
#include "db/attachment_reading.h"
#include "db/attachment_tables.h"
#include "db/db_error.h"
#include "db/sql_text.h"
#include "db/sqlite_statement.h"
#include "db/write_transaction.h"
#include "base/ansi_text.h"

#include <algorithm>
#include <optional>
#include <set>

namespace {

[[noreturn]] void Fail(const DbError& error) {
    throw CADOException(error.code(), error.description(), error.lasting());
}

using PutBack = AttachmentStore::PutBack;

// What is at the path a kept file goes back to: nothing when it is free.
std::optional<PutBack> PresentAt(const KeptFile& file, std::string& error) {
    SourceFile present;
    switch (present.OpenAt(file.path, error)) {
    case SourceFile::Open::kMissing:
        return std::nullopt;
    case SourceFile::Open::kFolder:
        return PutBack::kPresentDifferent;
    case SourceFile::Open::kRefused:
        return PutBack::kFailed;
    case SourceFile::Open::kOpened:
        break;
    }
    FileState state;
    if (!present.State(state, error)) {
        return PutBack::kFailed;
    }
    if (state.size != file.size) {
        return PutBack::kPresentDifferent;
    }
    ChunkBuffers buffers(state.size);
    ChunkHasher hash(state.size);
    for (;;) {
        char* const half = buffers.Next();
        size_t got = 0;
        if (!present.Read(half, buffers.chunk(), got, error)) {
            return PutBack::kFailed;
        }
        if (got == 0) {
            break;
        }
        hash.Update(half, got);
    }
    return hash.FinishHex() == file.sha256 ? PutBack::kPresent : PutBack::kPresentDifferent;
}

const char* const kDamaged = "its content in the archive is damaged";

// The kept content of `file` into a new file at `path`.
NewFile::Place WriteKept(sqlite3* db, const KeptFile& file, const std::string& path,
                         bool makeFolders, const FileProgress& progress, std::string& error) {
    const char* const gone = "the archive no longer holds its content";
    long long id = 0;
    long long size = 0;
    if (!HasTable(db, kAttachmentContentTable) || !FindContent(db, file.sha256, id, size)) {
        error = gone;
        return NewFile::Place::kFailed;
    }
    if (size != file.size) {
        error = kDamaged;
        return NewFile::Place::kFailed;
    }
    NewFile target(path);
    if (!target.Open(makeFolders, error)) {
        return NewFile::Place::kFailed;
    }
    // One buffer is hashed while the other is read and written.
    ChunkBuffers buffers(size);
    ChunkHasher hash(size);
    {
        KeptContent chunks(db, id);
        long long done = 0;
        for (size_t bytes = 0; chunks.Next(bytes);) {
            if (done + static_cast<long long>(bytes) > size) {
                error = kDamaged;
                return NewFile::Place::kFailed;
            }
            for (size_t at = 0; at < bytes; at += buffers.chunk()) {
                const size_t piece = std::min(bytes - at, buffers.chunk());
                char* const half = buffers.Next();
                chunks.Read(half, piece, at);
                hash.Update(half, piece);
                if (!target.Write(half, piece, error)) {
                    return NewFile::Place::kFailed;
                }
            }
            done += static_cast<long long>(bytes);
            if (progress) {
                progress(done, size);
            }
        }
        if (!chunks.whole() || done != size) {
            error = kDamaged;
            return NewFile::Place::kFailed;
        }
    }
    if (hash.FinishHex() != file.sha256) {
        error = kDamaged;
        return NewFile::Place::kFailed;
    }
    return target.Finish(file.modified, error);
}

} // namespace

AttachmentStore::Keep AttachmentStore::KeepFile(const std::string& table, long long rowid,
                                                const std::string& path, std::string& reason,
                                                const FileProgress& progress) {
    reason.clear();
    try {
        WriteTransaction transaction(database_);
        sqlite3* db = database_.GetActiveConnection()->Handle();
        CreateAttachmentTables(db);
        const std::string tableUtf8 = AnsiToUtf8(table);
        if (HasReference(db, tableUtf8, rowid, path)) {
            transaction.Commit();
            return Keep::kKept;
        }
        // A file written while it is read is read once more; one written to
        // all the time is left out rather than kept torn.
        for (int reading = 0; reading < 2; ++reading) {
            SourceFile file;
            switch (file.OpenAt(path, reason)) {
            case SourceFile::Open::kMissing:
            case SourceFile::Open::kFolder:
                return Keep::kMissing;
            case SourceFile::Open::kRefused:
                return Keep::kNotKept;
            case SourceFile::Open::kOpened:
                break;
            }
            switch (KeepReading(database_, file, progress).Run(tableUtf8, rowid, path, reason)) {
            case KeepReading::Result::kKept:
                transaction.Commit();
                return Keep::kKept;
            case KeepReading::Result::kRefused:
                return Keep::kNotKept;
            case KeepReading::Result::kChanged:
                break;
            }
        }
        reason = "it changed while it was read";
        return Keep::kNotKept;
    } catch (const DbError& error) {
        Fail(error);
    }
}

bool AttachmentStore::KeepsFiles() {
    try {
        return HasTable(database_.GetActiveConnection()->Handle(), kAttachmentRefsTable);
    } catch (const DbError& error) {
        Fail(error);
    }
}

std::vector<KeptFile> AttachmentStore::FilesOf(const std::string& table, long long rowid) {
    std::vector<KeptFile> files;
    try {
        sqlite3* db = database_.GetActiveConnection()->Handle();
        if (!HasTable(db, kAttachmentRefsTable)) {
            return files;
        }
        Statement refs(db, "SELECT Path, Sha256, Size, Modified FROM " + QuotedRefsTable() +
                               " WHERE TableName = ? AND RowId = ? ORDER BY rowid");
        refs.BindText(1, AnsiToUtf8(table));
        refs.BindInteger(2, rowid);
        StatementRun run(refs);
        while (refs.Step()) {
            KeptFile file;
            file.path = Utf8ToAnsi(refs.ColumnBytes(0));
            file.sha256 = refs.ColumnBytes(1);
            file.size = refs.ColumnInteger(2);
            file.modified = static_cast<uint64_t>(refs.ColumnInteger(3));
            files.push_back(std::move(file));
        }
    } catch (const DbError& error) {
        Fail(error);
    }
    return files;
}

AttachmentStore::PutBack AttachmentStore::PutBackFile(const KeptFile& file, std::string& error,
                                                      const FileProgress& progress) {
    error.clear();
    try {
        if (const std::optional<PutBack> present = PresentAt(file, error)) {
            return *present;
        }
        switch (WriteKept(database_.GetActiveConnection()->Handle(), file, file.path, true,
                          progress, error)) {
        case NewFile::Place::kPlaced:
            return PutBack::kWritten;
        case NewFile::Place::kTaken:
            // What appeared meanwhile is answered for as if it had been there.
            if (const std::optional<PutBack> appeared = PresentAt(file, error)) {
                return *appeared;
            }
            error = SystemReason(ERROR_FILE_EXISTS);
            break;
        case NewFile::Place::kFailed:
            break;
        }
    } catch (const DbError& failure) {
        error = failure.description();
    }
    return PutBack::kFailed;
}

bool AttachmentStore::SaveCopy(const KeptFile& file, const std::string& path, std::string& error) {
    error.clear();
    try {
        SourceFile present;
        if (present.OpenAt(path, error) != SourceFile::Open::kMissing) {
            error = SystemReason(ERROR_FILE_EXISTS);
            return false;
        }
        switch (
            WriteKept(database_.GetActiveConnection()->Handle(), file, path, false, {}, error)) {
        case NewFile::Place::kPlaced:
            return true;
        case NewFile::Place::kTaken:
            error = SystemReason(ERROR_FILE_EXISTS);
            return false;
        case NewFile::Place::kFailed:
            return false;
        }
    } catch (const DbError& failure) {
        error = failure.description();
    }
    return false;
}

void AttachmentStore::ForgetRows(const std::string& table, const std::vector<long long>& rowids) {
    try {
        sqlite3* db = database_.GetActiveConnection()->Handle();
        if (rowids.empty() || !HasTable(db, kAttachmentRefsTable)) {
            return;
        }
        WriteTransaction transaction(database_);
        const std::string tableUtf8 = AnsiToUtf8(table);
        std::set<std::string> named;
        Statement of(db, "SELECT Sha256 FROM " + QuotedRefsTable() +
                             " WHERE TableName = ? AND RowId = ?");
        Statement drop(db,
                       "DELETE FROM " + QuotedRefsTable() + " WHERE TableName = ? AND RowId = ?");
        for (long long rowid : rowids) {
            of.BindText(1, tableUtf8);
            of.BindInteger(2, rowid);
            {
                StatementRun run(of);
                while (of.Step()) {
                    named.insert(of.ColumnBytes(0));
                }
            }
            drop.BindText(1, tableUtf8);
            drop.BindInteger(2, rowid);
            drop.Run();
        }
        // Only the contents these rows named can have lost their last reference.
        for (const std::string& sha256 : named) {
            DropUnnamedContents(db, &sha256);
        }
        transaction.Commit();
    } catch (const DbError& error) {
        Fail(error);
    }
}

int AttachmentStore::RemoveOrphans() {
    try {
        sqlite3* db = database_.GetActiveConnection()->Handle();
        const bool refs = HasTable(db, kAttachmentRefsTable);
        const bool contents = HasTable(db, kAttachmentContentTable);
        if (!refs && !contents) {
            return 0;
        }
        WriteTransaction transaction(database_);
        if (refs) {
            std::vector<std::string> tables;
            {
                Statement named(db, "SELECT DISTINCT TableName FROM " + QuotedRefsTable());
                StatementRun run(named);
                while (named.Step()) {
                    tables.push_back(named.ColumnBytes(0));
                }
            }
            for (const std::string& table : tables) {
                std::string gone = "DELETE FROM " + QuotedRefsTable() + " WHERE TableName = ?";
                if (HasTable(db, table)) {
                    gone += " AND RowId NOT IN (SELECT rowid FROM " + QuoteIdentifier(table) + ")";
                }
                std::optional<Statement> drop;
                try {
                    drop.emplace(db, gone);
                } catch (const DbError&) {
                    continue; // a table without row ids, or a view: none of its rows named
                }
                drop->BindText(1, table);
                drop->Run();
            }
        }
        const int removed = contents ? DropUnnamedContents(db) : 0;
        // Chunks of no content at all: left by another program, if ever.
        if (contents && HasTable(db, kAttachmentChunksTable)) {
            Statement(db, "DELETE FROM " + QuotedChunksTable() +
                              " WHERE ContentId NOT IN (SELECT Id FROM " + QuotedContentTable() +
                              ")")
                .Run();
        }
        transaction.Commit();
        return removed;
    } catch (const DbError& error) {
        Fail(error);
    }
}
