// The files messages name outside themselves (the host keeps attachments
// and inline pictures as files of their own), kept in the archive beside the
// rows that name them. Each distinct content is kept once, by its SHA-256,
// in the hidden table "MSysAttachmentContent" (its id, size and checksum)
// with its bytes in "MSysAttachmentChunks", a row of about a megabyte each,
// however many rows or tables name it; "MSysAttachmentRefs" tells which row
// of which table names which path with which content, and the file's size
// and time when it was kept. All are plain tables any SQLite tool reads
// (paths in UTF-8, bytes as BLOBs), hidden from the table lists like the
// layer's own.
//
// Files stream a chunk at a time, both ways: memory stays flat whatever a
// file's size, and each byte is written into the archive once. Every write
// runs inside the caller's transaction, so a row and the files it names
// reach the disk together or not at all.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class CADODatabase;

constexpr const char* kAttachmentContentTable = "MSysAttachmentContent";
constexpr const char* kAttachmentChunksTable = "MSysAttachmentChunks";
constexpr const char* kAttachmentRefsTable = "MSysAttachmentRefs";

// One file a row names, as it was kept.
struct KeptFile {
    std::string path;   // as the message names it, in the code page
    std::string sha256; // 64 lower-case hex digits
    long long size = 0;
    // The file's last write time when it was kept (FILETIME, UTC).
    uint64_t modified = 0;
};

// Bytes done of a file's bytes, told while a large file streams.
using FileProgress = std::function<void(long long done, long long total)>;

class AttachmentStore {
public:
    explicit AttachmentStore(CADODatabase& database) : database_(database) {}

    enum class Keep {
        kKept,    // in the archive now, or already (same content, same row and path)
        kMissing, // no file at the path: nothing to keep, and no error
        kNotKept, // unreadable, or changed while read twice running: `reason` says
    };
    // Keeps the file at `path` for row `rowid` of `table`, inside the
    // caller's transaction (made when none is open). A file that changes
    // while it is read (size, time or content) is read again once. Throws
    // CADOException when the archive refuses a write (a full disk).
    // `progress` is told at each chunk of each reading: a file is read once,
    // hashed on its way into the archive, unless a row names a file of the
    // same path, size and time, which is hashed first and read again only
    // when its bytes turn out to be new.
    Keep KeepFile(const std::string& table, long long rowid, const std::string& path,
                  std::string& reason, const FileProgress& progress = {});

    // Whether the archive keeps any files at all: an archive made before
    // files were kept has none to look for. Throws CADOException.
    bool KeepsFiles();

    // The files row `rowid` of `table` names, in the order they were kept;
    // empty for a row kept before files were, or an archive without the
    // tables. Throws CADOException.
    std::vector<KeptFile> FilesOf(const std::string& table, long long rowid);

    enum class PutBack {
        kWritten,          // was missing, written back
        kPresent,          // already there with the kept content: left alone
        kPresentDifferent, // already there with other content: left alone
        kFailed,           // could not be written: `error` says why
    };
    // Writes a kept file back at its path when nothing is there: into a
    // temporary name in that folder (made when gone), flushed, then renamed,
    // with the kept time. A file already at the path is never touched.
    PutBack PutBackFile(const KeptFile& file, std::string& error,
                        const FileProgress& progress = {});

    // Writes the kept content to `path` (temporary name, flush, rename),
    // replacing nothing: false, with `error`, when `path` exists or the
    // write fails.
    bool SaveCopy(const KeptFile& file, const std::string& path, std::string& error);

    // The references of these rows go, and every content no reference names
    // any longer, inside the caller's transaction. Throws CADOException.
    void ForgetRows(const std::string& table, const std::vector<long long>& rowids);

    // References whose row is gone and content no reference names (left by
    // rows removed outside the plug-in): removed. Gives how many contents
    // went. Throws CADOException.
    int RemoveOrphans();

private:
    CADODatabase& database_;
};
