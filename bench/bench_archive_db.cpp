// How the archive database holds up at 100,000 messages of 5 KB: counting,
// walking without the texts, finding one message, and the file's size.
#include "bench/bench_support.h"
#include "db/ado_recordset.h"
#include "db/archive_schema.h"

#include "base/file_utils.h"
#include "base/stowlark_app.h"
#include "base/win32.h"

#include <cstdio>
#include <string>

namespace {

constexpr int kRows = 100000;
constexpr size_t kMessageBytes = 5 * 1024;
constexpr const char* kTable = "Mailbox_Bench";

void PrintMemory(const char* phase, double before) {
    const double now = PrivateMegabytes();
    std::printf("  memory after %-6s private bytes %6.1f MB (%+.1f MB during it), peak working "
                "set so far %6.1f MB\n",
                phase, now, now - before, PeakWorkingSetMegabytes());
}

long long FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
        return -1;
    }
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// The archive task commits each row alone: that pace, for the first rows.
constexpr int kRowsCommittedAlone = 1000;

long long Build(const std::string& connection) {
    CADODatabase database;
    database.Open(connection);
    CADORecordset rows(database);
    rows.Open(kTable, CADORecordset::OpenTable);
    long long rawBytes = 0;
    Stopwatch alone;
    for (int row = 0; row < kRows; ++row) {
        if (row == kRowsCommittedAlone) {
            std::printf("write %d rows, each in its own transaction: %.2f s (%.2f ms a row)\n",
                        kRowsCommittedAlone, alone.Seconds(),
                        alone.Seconds() * 1000 / kRowsCommittedAlone);
            // The rest in batches, which keeps the build short without
            // changing what is stored.
            database.BeginTrans();
        } else if (row < kRowsCommittedAlone) {
            database.BeginTrans();
        }
        const std::string message = SampleMessage(row, kMessageBytes);
        const std::string from = "Sender " + std::to_string(row) + " <sender@example.com>";
        const std::string date = "Mon, 5 Feb 2007 10:" + std::to_string(row % 60) + ":00 +0100";
        const std::string subject = "Report " + std::to_string(row);
        const std::string to = "reader@example.com";
        rows.AddNew();
        rows.BeginEdit();
        rows.WriteField("id", row + 1);
        rows.WriteField("S", row % 11);
        rows.WriteField("P", std::string("Normal"));
        rows.WriteField("From", from);
        rows.WriteField("Date", date);
        rows.WriteField("Size", static_cast<int>(message.size() / 1000));
        rows.WriteField("Subject", subject);
        rows.WriteField("To", to);
        rows.WriteField("message", message);
        rows.Update();
        rawBytes += static_cast<long long>(6 + from.size() + date.size() + subject.size() +
                                           to.size() + message.size());
        if (row < kRowsCommittedAlone) {
            database.CommitTrans();
        } else if (row % 1000 == 999) {
            database.CommitTrans();
            database.BeginTrans();
        }
    }
    database.CommitTrans();
    return rawBytes;
}

} // namespace

int main() {
    App().InitInstance();
    const std::string folder =
        TempDirectory() + "\\stowlark-bench-" + std::to_string(::GetCurrentProcessId());
    ::CreateDirectoryA(folder.c_str(), nullptr);
    const std::string path = folder + "\\archive.mdb";
    const std::string connection = ArchiveConnectionString(path);

    try {
        std::printf("archive database benchmark: %d rows, messages of %u bytes\n", kRows,
                    static_cast<unsigned>(kMessageBytes));
        CreateArchiveDatabase(connection);
        CreateMailboxTable(connection, kTable, "C:\\Eudora\\Bench.mbx");

        Stopwatch build;
        double before = PrivateMegabytes();
        const long long rawBytes = Build(connection);
        std::printf("build (AddNew/Update): %.2f s\n", build.Seconds());
        PrintMemory("build", before);

        CADODatabase database;
        database.Open(connection);
        {
            Stopwatch count;
            CADORecordset rows(database);
            rows.Open(CountRowsSql(kTable), CADORecordset::OpenAuto);
            const long counted = rows.CountRows();
            std::printf("count through \"SELECT * FROM\": %ld rows in %.1f ms\n", counted,
                        count.Seconds() * 1000);
        }
        {
            before = PrivateMegabytes();
            Stopwatch walk;
            CADORecordset rows(database);
            rows.Open(kTable, CADORecordset::OpenTable);
            long walked = 0;
            long long checksum = 0;
            for (; !rows.AtEnd(); rows.MoveNext()) {
                int id = 0, status = 0, size = 0;
                std::string priority, from, date, subject, to;
                rows.ReadField("S", status);
                rows.ReadField("P", priority);
                rows.ReadField("From", from);
                rows.ReadField("Subject", subject);
                rows.ReadField("To", to);
                rows.ReadField("Date", date);
                rows.ReadField("Size", size);
                rows.ReadField("id", id);
                checksum += id + status + size + static_cast<long long>(from.size());
                ++walked;
            }
            std::printf("walk reading every column but message: %ld rows in %.2f s (checksum "
                        "%lld)\n",
                        walked, walk.Seconds(), checksum);
            PrintMemory("walk", before);
        }
        {
            // The viewer's way: step through the table comparing ids.
            Stopwatch find;
            CADORecordset rows(database);
            rows.Open(kTable, CADORecordset::OpenTable);
            std::string message;
            for (; !rows.AtEnd(); rows.MoveNext()) {
                int id = 0;
                rows.ReadField("id", id);
                if (id == kRows) {
                    rows.ReadField("message", message);
                    break;
                }
            }
            std::printf("find the last row's message by id, walking: %u bytes in %.2f s\n",
                        static_cast<unsigned>(message.size()), find.Seconds());
        }
        {
            // A query by id, which the index on id answers.
            Stopwatch find;
            CADORecordset rows(database);
            rows.Open("SELECT * FROM " + std::string(kTable) +
                      " WHERE id = " + std::to_string(kRows));
            std::string message;
            rows.ReadField("message", message);
            std::printf("find the last row's message by id, querying: %u bytes in %.1f ms\n",
                        static_cast<unsigned>(message.size()), find.Seconds() * 1000);
        }
        {
            // The restore task's way: walk, read, delete each row behind it.
            before = PrivateMegabytes();
            Stopwatch restore;
            CADORecordset rows(database);
            rows.Open(kTable, CADORecordset::OpenTable);
            long restored = 0;
            while (!rows.AtEnd() && restored < 1000) {
                int id = 0;
                std::string message;
                rows.ReadField("id", id);
                rows.ReadField("message", message);
                rows.MoveNext();
                database.Execute(DeleteRowSql(kTable, id));
                ++restored;
            }
            std::printf("restore walk of %ld rows, deleting each: %.2f s (%.2f ms a row)\n",
                        restored, restore.Seconds(), restore.Seconds() * 1000 / restored);
            PrintMemory("restore", before);
        }
        database.Close();
        const long long fileBytes = FileSize(path);
        std::printf("file size %.1f MB for %.1f MB of raw text (%.2f : 1)\n", fileBytes / 1048576.0,
                    rawBytes / 1048576.0,
                    static_cast<double>(fileBytes) / static_cast<double>(rawBytes));
    } catch (const CADOException& error) {
        std::printf("database error: %s\n", error.GetErrorMessage().c_str());
    }
    ::DeleteFileA(path.c_str());
    ::RemoveDirectoryA(folder.c_str());
    return 0;
}
