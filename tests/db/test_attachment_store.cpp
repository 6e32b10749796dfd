// The files rows name, kept in the archive: one content for every row that
// names the same bytes, files that change while they are read, and the way
// back to the disk, which never touches a file already there.
#include "archive_fixture.h"

#include "db/adox_catalog.h"
#include "db/attachment_store.h"
#include "db/sqlite_statement.h"
#include "base/file_utils.h"
#include "base/sha256.h"

namespace {

class AttachmentStoreTest : public ArchiveTest {
protected:
    AttachmentStoreTest() {
        MakeMailbox("Mailbox_A", 2);
        MakeMailbox("Mailbox_B", 1);
        OpenDatabase(database);
    }

    std::string MakeFile(const std::string& name, const std::string& bytes) {
        const std::string path = folder_ / name;
        for (size_t slash = name.find('\\'); slash != std::string::npos;
             slash = name.find('\\', slash + 1)) {
            ::CreateDirectoryA((folder_ / name.substr(0, slash)).c_str(), nullptr);
        }
        WriteBytes(path, bytes);
        return path;
    }

    long long Count(const char* table) {
        sqlite3* db = database.GetActiveConnection()->Handle();
        Statement exists(db, std::string("SELECT count(*) FROM sqlite_master WHERE name = '") +
                                 table + "'");
        if (!exists.Step() || exists.ColumnInteger(0) == 0) {
            return 0;
        }
        Statement count(db, std::string("SELECT count(*) FROM ") + table);
        return count.Step() ? count.ColumnInteger(0) : -1;
    }

    AttachmentStore::Keep Keep(const std::string& table, long long rowid, const std::string& path,
                               const FileProgress& progress = {}) {
        reason.clear();
        return store.KeepFile(table, rowid, path, reason, progress);
    }

    static std::string HashOf(const std::string& bytes) {
        Sha256 hash;
        hash.Update(bytes.data(), bytes.size());
        return hash.FinishHex();
    }

    static uint64_t WriteTimeOf(const std::string& path) {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        ::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
        return (uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) |
               data.ftLastWriteTime.dwLowDateTime;
    }

    CADODatabase database;
    AttachmentStore store{database};
    std::string reason;
};

using Keep = AttachmentStore::Keep;
using PutBack = AttachmentStore::PutBack;

TEST_F(AttachmentStoreTest, RowsOfTwoTablesShareOneContentThatGoesWithTheLastOfThem) {
    const std::string bytes = EveryByteButZero() + std::string(1, '\0');
    const std::string first = MakeFile("one\\Report.pdf", bytes);
    const std::string second = MakeFile("two\\copy.pdf", bytes);
    ASSERT_EQ(Keep::kKept, Keep("Mailbox_A", 1, first));
    ASSERT_EQ(Keep::kKept, Keep("Mailbox_B", 1, second));
    EXPECT_EQ(1, Count(kAttachmentContentTable));

    const std::vector<KeptFile> files = store.FilesOf("Mailbox_A", 1);
    ASSERT_EQ(1u, files.size());
    EXPECT_EQ(first, files[0].path);
    EXPECT_EQ(HashOf(bytes), files[0].sha256);
    EXPECT_EQ(static_cast<long long>(bytes.size()), files[0].size);
    EXPECT_EQ(WriteTimeOf(first), files[0].modified);
    EXPECT_TRUE(store.FilesOf("Mailbox_A", 2).empty());

    // Kept already, under the path in other letters: not read again.
    int reads = 0;
    std::string upper = first;
    ::CharUpperA(&upper[0]);
    EXPECT_EQ(Keep::kKept, Keep("mailbox_a", 1, upper, [&](long long, long long) { ++reads; }));
    EXPECT_EQ(0, reads);
    EXPECT_EQ(2, Count(kAttachmentRefsTable));

    // Nobody lists the store's tables.
    CADOXCatalog catalog;
    ASSERT_TRUE(catalog.Open(connection_));
    EXPECT_EQ(2, catalog.TableCount());

    store.ForgetRows("Mailbox_A", {1, 2});
    EXPECT_TRUE(store.FilesOf("Mailbox_A", 1).empty());
    EXPECT_EQ(1, Count(kAttachmentContentTable));
    store.ForgetRows("MAILBOX_B", {1});
    EXPECT_EQ(0, Count(kAttachmentContentTable));
    EXPECT_EQ(0, Count(kAttachmentRefsTable));
}

TEST_F(AttachmentStoreTest, AFileWrittenWhileItIsKeptIsReadAgainAndOneWrittenAlwaysIsLeftOut) {
    const std::string path = MakeFile("busy.txt", "first words");
    // The first call is the file's one chunk, in the archive already.
    int calls = 0;
    ASSERT_EQ(Keep::kKept, Keep("Mailbox_A", 1, path, [&](long long, long long) {
                  if (++calls == 1) {
                      WriteBytes(path, "second, longer words");
                  }
              }));
    ASSERT_EQ(1u, store.FilesOf("Mailbox_A", 1).size());
    EXPECT_EQ(HashOf("second, longer words"), store.FilesOf("Mailbox_A", 1)[0].sha256);
    EXPECT_EQ(1, Count(kAttachmentContentTable)) << "the torn reading left its content";

    const std::string restless = MakeFile("restless.txt", "0");
    ASSERT_EQ(Keep::kNotKept, Keep("Mailbox_A", 2, restless, [&](long long, long long) {
                  WriteBytes(restless, std::to_string(++calls));
              }));
    EXPECT_EQ("it changed while it was read", reason);
    EXPECT_TRUE(store.FilesOf("Mailbox_A", 2).empty());
    EXPECT_EQ(1, Count(kAttachmentContentTable));
}

TEST_F(AttachmentStoreTest, BytesKeptAlreadyGoInOnceAndNewBytesOfTheSameNameSizeAndTimeOnTheirOwn) {
    std::string bytes(1500000, 'a');
    const std::string path = MakeFile("a.bin", bytes);
    ASSERT_EQ(Keep::kKept, Keep("Mailbox_A", 1, path));
    // A copy under another name goes in and out again, leaving no free pages.
    ASSERT_EQ(Keep::kKept, Keep("Mailbox_A", 2, MakeFile("copy of a.bin", bytes)));
    EXPECT_EQ(1, Count(kAttachmentContentTable));
    EXPECT_EQ(2, Count(kAttachmentChunksTable));
    Statement free(database.GetActiveConnection()->Handle(), "PRAGMA freelist_count");
    ASSERT_TRUE(free.Step());
    EXPECT_EQ(0, free.ColumnInteger(0));
    free.Reset();

    // Rewritten in place to the same size and given its kept time back.
    const uint64_t kept = WriteTimeOf(path);
    bytes[1234567] = 'b';
    WriteBytes(path, bytes);
    UniqueFile file(
        ::CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    const FILETIME time{static_cast<DWORD>(kept), static_cast<DWORD>(kept >> 32)};
    ASSERT_TRUE(::SetFileTime(file.get(), nullptr, nullptr, &time));
    file.reset();
    ASSERT_EQ(Keep::kKept, Keep("Mailbox_B", 1, path));
    EXPECT_EQ(2, Count(kAttachmentContentTable));
    const KeptFile changed = store.FilesOf("Mailbox_B", 1).at(0);
    EXPECT_EQ(HashOf(bytes), changed.sha256);
    std::string error;
    ASSERT_TRUE(store.SaveCopy(changed, folder_ / "saved.bin", error)) << error;
    EXPECT_TRUE(ReadBytes(folder_ / "saved.bin") == bytes);
}

TEST_F(AttachmentStoreTest, MissingFilesAreNothingToKeepAndLockedOnesSayWhy) {
    EXPECT_EQ(Keep::kMissing, Keep("Mailbox_A", 1, folder_ / "nowhere\\gone.txt"));
    EXPECT_EQ(Keep::kMissing, Keep("Mailbox_A", 1, folder_.path()));
    EXPECT_EQ("", reason);

    const std::string path = MakeFile("locked.txt", "mine alone");
    UniqueFile lock(::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(lock.valid());
    EXPECT_EQ(Keep::kNotKept, Keep("Mailbox_A", 1, path));
    EXPECT_NE("", reason);
    EXPECT_TRUE(store.FilesOf("Mailbox_A", 1).empty());
}

TEST_F(AttachmentStoreTest, PutsBackIntoAFolderThatIsGoneWithItsTimeAndNeverOverAFile) {
    // Over two chunks, in bytes no run of chunks repeats.
    std::string bytes;
    for (int line = 0; bytes.size() < 2500000; ++line) {
        bytes += "line " + std::to_string(line) + "\r\n";
    }
    const std::string path = MakeFile("gone\\pictures\\big.dat", bytes);
    ASSERT_EQ(Keep::kKept, Keep("Mailbox_A", 1, path));
    EXPECT_EQ(3, Count(kAttachmentChunksTable));
    const KeptFile kept = store.FilesOf("Mailbox_A", 1).at(0);
    RemoveTree(folder_ / "gone");

    std::string error;
    int chunks = 0;
    ASSERT_EQ(PutBack::kWritten,
              store.PutBackFile(kept, error, [&](long long, long long) { ++chunks; }));
    EXPECT_GE(chunks, 3);
    EXPECT_TRUE(ReadBytes(path) == bytes);
    EXPECT_EQ(kept.modified, WriteTimeOf(path));
    EXPECT_EQ(PutBack::kPresent, store.PutBackFile(kept, error));

    WriteBytes(path, "changed since");
    EXPECT_EQ(PutBack::kPresentDifferent, store.PutBackFile(kept, error));
    EXPECT_EQ("changed since", ReadBytes(path));

    EXPECT_FALSE(store.SaveCopy(kept, path, error));
    EXPECT_NE("", error);
    EXPECT_EQ("changed since", ReadBytes(path));
    ASSERT_TRUE(store.SaveCopy(kept, folder_ / "copy.dat", error)) << error;
    EXPECT_TRUE(ReadBytes(folder_ / "copy.dat") == bytes);

    // Kept bytes that no longer match their hash are not written out.
    ASSERT_TRUE(database.Execute("UPDATE MSysAttachmentChunks SET Data = zeroblob(length(Data))"));
    ::DeleteFileA(path.c_str());
    EXPECT_EQ(PutBack::kFailed, store.PutBackFile(kept, error));
    EXPECT_NE("", error);
    EXPECT_FALSE(FileExists(path));
    WIN32_FIND_DATAA found;
    UniqueFind temporary(
        ::FindFirstFileA((folder_ / "gone\\pictures\\~stowlark-*").c_str(), &found));
    EXPECT_FALSE(temporary.valid());
}

TEST_F(AttachmentStoreTest, ARolledBackRowTakesItsFilesWithIt) {
    const std::string path = MakeFile("letter.doc", "dear reader");
    ASSERT_TRUE(database.BeginTrans());
    ASSERT_TRUE(database.Execute("DELETE FROM Mailbox_A WHERE id = 1"));
    ASSERT_EQ(Keep::kKept, Keep("Mailbox_A", 1, path));
    ASSERT_TRUE(database.RollbackTrans());
    EXPECT_TRUE(store.FilesOf("Mailbox_A", 1).empty());
    EXPECT_EQ(0, Count(kAttachmentContentTable));
}

TEST_F(AttachmentStoreTest, AFullArchiveRefusesTheFileAndKeepsWhatItHad) {
    ASSERT_EQ(Keep::kKept, Keep("Mailbox_A", 1, MakeFile("small.txt", "small")));
    sqlite3* db = database.GetActiveConnection()->Handle();
    Statement pages(db, "SELECT page_count FROM pragma_page_count()");
    ASSERT_TRUE(pages.Step());
    const long long used = pages.ColumnInteger(0);
    pages.Reset();
    // The engine's own answer to a full disk: no page beyond this many.
    ASSERT_TRUE(database.Execute("PRAGMA max_page_count = " + std::to_string(used + 8)));

    const std::string big = MakeFile("big.bin", std::string(400000, 'x'));
    EXPECT_THROW(Keep("Mailbox_A", 2, big), CADOException);
    EXPECT_TRUE(store.FilesOf("Mailbox_A", 2).empty());
    EXPECT_EQ(1, Count(kAttachmentContentTable));
    EXPECT_EQ(1, Count(kAttachmentRefsTable));

    ASSERT_TRUE(database.Execute("PRAGMA max_page_count = 1000000"));
    EXPECT_EQ(Keep::kKept, Keep("Mailbox_A", 2, big));
}

TEST_F(AttachmentStoreTest, FilesOfRowsRemovedElsewhereGoAsOrphans) {
    const std::string shared = MakeFile("shared.txt", "shared");
    ASSERT_EQ(Keep::kKept, Keep("Mailbox_A", 1, shared));
    ASSERT_EQ(Keep::kKept, Keep("Mailbox_A", 2, shared));
    ASSERT_EQ(Keep::kKept, Keep("Mailbox_A", 2, MakeFile("own.txt", "own")));
    ASSERT_EQ(Keep::kKept, Keep("Mailbox_B", 1, MakeFile("other.txt", "other")));
    ASSERT_TRUE(database.Execute("DELETE FROM Mailbox_A WHERE id = 2"));
    ASSERT_TRUE(database.Execute("DROP TABLE Mailbox_B"));

    EXPECT_EQ(2, store.RemoveOrphans());
    EXPECT_EQ(1u, store.FilesOf("Mailbox_A", 1).size());
    EXPECT_EQ(1, Count(kAttachmentRefsTable));
    EXPECT_EQ(0, store.RemoveOrphans());
}

} // namespace
