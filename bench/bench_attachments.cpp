// The files of 1,000 messages, about 2 GB (10 KB to 200 MB, a third of them
// named by more than one message), kept in the archive as the archive task
// keeps them (a row and its files in one transaction, committed once a
// second) and written back as a restore writes them after Trash was
// emptied. Each against a plain CopyFile of the same distinct bytes, with
// the archive file's growth and the process's private memory.
//
//   bench_attachments [FOLDER]     (default: a folder in the temporary folder)
#include "bench/bench_support.h"
#include "db/ado_database.h"
#include "db/ado_recordset.h"
#include "db/archive_schema.h"
#include "db/attachment_store.h"
#include "db/deferred_commit.h"
#include "db/write_transaction.h"
#include "base/file_utils.h"
#include "base/sha256.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

struct BenchFile {
    std::string path;
    long long size = 0;
    int namings = 1;
};

// Sizes from 200 MB down to 10 KB, about 2 GB in all, largest first.
std::vector<long long> FileSizes() {
    std::vector<long long> sizes;
    const auto add = [&](int count, long long size) { sizes.insert(sizes.end(), count, size); };
    add(4, 200ll << 20);
    add(8, 60ll << 20);
    add(20, 20ll << 20);
    add(60, 4ll << 20);
    add(150, 500ll << 10);
    for (int i = 0; i < 358; ++i) {
        sizes.push_back((10ll << 10) + i * 256);
    }
    return sizes;
}

bool WritePattern(const std::string& path, long long size, unsigned seed) {
    const HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    std::vector<unsigned> chunk(256 * 1024);
    unsigned state = seed * 2654435761u + 1;
    for (long long done = 0; done < size;) {
        for (unsigned& word : chunk) {
            state = state * 1664525u + 1013904223u;
            word = state;
        }
        const DWORD bytes = static_cast<DWORD>(
            std::min<long long>(size - done, static_cast<long long>(chunk.size() * 4)));
        DWORD written = 0;
        ::WriteFile(file, chunk.data(), bytes, &written, nullptr);
        done += bytes;
    }
    ::CloseHandle(file);
    return true;
}

long long FileBytes(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    ::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// CopyFile of every file into `to`, each flushed as the archive's commits
// are: the floor both directions are held to.
double CopySeconds(const std::vector<BenchFile>& files, const std::string& to) {
    ::CreateDirectoryA(to.c_str(), nullptr);
    const Stopwatch clock;
    for (const BenchFile& file : files) {
        const std::string copy = to + "\\" + FileNameOf(file.path, true);
        ::CopyFileA(file.path.c_str(), copy.c_str(), FALSE);
        const HANDLE handle = ::CreateFileA(copy.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                            FILE_ATTRIBUTE_NORMAL, nullptr);
        ::FlushFileBuffers(handle);
        ::CloseHandle(handle);
    }
    const double seconds = clock.Seconds();
    for (const BenchFile& file : files) {
        ::DeleteFileA((to + "\\" + FileNameOf(file.path, true)).c_str());
    }
    return seconds;
}

const char* Verdict(bool met) {
    return met ? "met" : "MISSED";
}

} // namespace

int main(int argc, char** argv) {
    const std::string folder = argc > 1 ? argv[1] : TempDirectory() + "\\stowlark-bench-files";
    const std::string attach = folder + "\\Attach";
    ::CreateDirectoryA(folder.c_str(), nullptr);
    ::CreateDirectoryA(attach.c_str(), nullptr);

    std::vector<BenchFile> files;
    long long distinct = 0;
    const std::vector<long long> sizes = FileSizes();
    for (size_t i = 0; i < sizes.size(); ++i) {
        BenchFile file;
        file.path = attach + "\\file" + std::to_string(i) + ".bin";
        file.size = sizes[i];
        if (FileBytes(file.path) != file.size && !WritePattern(file.path, file.size, i + 1)) {
            std::printf("cannot write %s\n", file.path.c_str());
            return 1;
        }
        distinct += file.size;
        files.push_back(file);
    }
    // 1,000 namings: every file once, and a third of the files (every third)
    // once or twice more.
    std::vector<const BenchFile*> namings;
    for (const BenchFile& file : files) {
        namings.push_back(&file);
    }
    for (size_t i = 0; namings.size() < 1000; i = (i + 3) % files.size()) {
        namings.push_back(&files[i]);
    }
    std::printf("%zu messages naming %zu files, %.2f GB distinct\n", namings.size(), files.size(),
                distinct / 1073741824.0);

    const double copySeconds = CopySeconds(files, folder + "\\Copies");
    std::printf("CopyFile of the distinct files, each flushed: %.1f s\n", copySeconds);

    // What reading and hashing alone cost: the floor of any keeping that
    // checks what it keeps.
    {
        const Stopwatch clock;
        std::vector<char> chunk(1 << 20);
        for (const BenchFile& file : files) {
            const HANDLE handle =
                ::CreateFileA(file.path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
            Sha256 hash;
            DWORD got = 0;
            while (
                ::ReadFile(handle, chunk.data(), static_cast<DWORD>(chunk.size()), &got, nullptr) &&
                got > 0) {
                hash.Update(chunk.data(), got);
            }
            ::CloseHandle(handle);
        }
        // Every naming is read and hashed, a file kept before too: that is
        // the floor, at this rate, of keeping and of writing back alike.
        const double seconds = clock.Seconds();
        long long named = 0;
        for (const BenchFile* file : namings) {
            named += file->size;
        }
        std::printf("Reading and hashing the distinct files alone: %.1f s; every naming's "
                    "%.2f GB at that rate: %.1f s\n",
                    seconds, named / 1073741824.0, seconds * named / distinct);
    }

    const std::string archive = folder + "\\archive.mdb";
    ::DeleteFileA(archive.c_str());
    const std::string connection = ArchiveConnectionString(archive);
    if (!CreateArchiveDatabase(connection) ||
        !CreateMailboxTable(connection, "Mailbox_Work", folder + "\\Work.mbx")) {
        std::printf("cannot make the archive\n");
        return 1;
    }
    CADODatabase database;
    database.Open(connection);
    const long long archiveBefore = FileBytes(archive);
    const double privateBefore = PrivateMegabytes();
    double keepSeconds = 0;
    double peak = 0;
    {
        PrivatePeak sampled;
        AttachmentStore store(database);
        DeferredCommit durable(database);
        CADORecordset table(database);
        table.Open("Mailbox_Work", CADORecordset::OpenTable);
        const Stopwatch clock;
        int id = 0;
        for (const BenchFile* file : namings) {
            durable.Begin();
            WriteTransaction row(database);
            table.AddNew();
            table.WriteField(mailbox_column::kId, ++id);
            table.WriteField(mailbox_column::kMessage,
                             "Subject: file\r\n\r\nAttachment Converted: \"" + file->path +
                                 "\"\r\n");
            table.Update();
            std::string reason;
            if (store.KeepFile("Mailbox_Work", table.GetBookmark(), file->path, reason) !=
                AttachmentStore::Keep::kKept) {
                std::printf("not kept: %s: %s\n", file->path.c_str(), reason.c_str());
            }
            row.Commit();
            durable.CommitIfDue();
        }
        durable.Commit();
        keepSeconds = clock.Seconds();
        peak = sampled.Megabytes();
    }
    const double growth = static_cast<double>(FileBytes(archive) - archiveBefore);
    std::printf("\nArchive: kept in %.1f s, %.2f x CopyFile (target at most 1.3: %s)\n",
                keepSeconds, keepSeconds / copySeconds, Verdict(keepSeconds <= 1.3 * copySeconds));
    std::printf(
        "  archive file grew %.3f GB, %.4f x the distinct bytes (target at most 1.02: %s)\n",
        growth / 1073741824.0, growth / distinct, Verdict(growth <= 1.02 * distinct));
    std::printf("  private memory %.1f MB before, peak %.1f MB: +%.1f MB (target at most 16: %s)\n",
                privateBefore, peak, peak - privateBefore, Verdict(peak - privateBefore <= 16));

    // Trash emptied: the files are gone; a restore writes each back once.
    for (const BenchFile& file : files) {
        ::DeleteFileA(file.path.c_str());
    }
    double restoreSeconds = 0;
    {
        AttachmentStore store(database);
        const Stopwatch clock;
        for (long long rowid = 1; rowid <= static_cast<long long>(namings.size()); ++rowid) {
            for (const KeptFile& kept : store.FilesOf("Mailbox_Work", rowid)) {
                std::string error;
                if (store.PutBackFile(kept, error) == AttachmentStore::PutBack::kFailed) {
                    std::printf("not written back: %s: %s\n", kept.path.c_str(), error.c_str());
                }
            }
        }
        restoreSeconds = clock.Seconds();
    }
    std::printf("\nRestore: written back in %.1f s, %.2f x CopyFile (target at most 1.3: %s)\n",
                restoreSeconds, restoreSeconds / copySeconds,
                Verdict(restoreSeconds <= 1.3 * copySeconds));
    database.Close();
    ::DeleteFileA(archive.c_str());
    return 0;
}
