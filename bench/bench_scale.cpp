// An archive of a million short messages, as years of mail make one: the
// viewer opened on it, a column sort, showing a row, and the count the main
// dialog makes at its start over twenty tables that hold the million between
// them. Each figure is printed with its target, and the process's private
// memory throughout (the host is a 32-bit process: memory is the hard limit).
#include "bench/bench_support.h"
#include "db/ado_recordset.h"
#include "db/archive_schema.h"
#include "base/file_utils.h"
#include "base/message_pump.h"
#include "base/stowlark_app.h"
#include "base/win32.h"
#include "res/resource_ids.h"
#include "ui/archive_viewer.h"

#include <cstdio>
#include <memory>
#include <string>

namespace {

constexpr int kRows = 1000000;
constexpr int kTables = 20;
constexpr size_t kMessageBytes = 300;

void Verdict(const char* what, double milliseconds, double targetMilliseconds) {
    std::printf("  %-58s %9.1f ms (target %6.0f ms: %s)  private %6.1f MB\n", what, milliseconds,
                targetMilliseconds, milliseconds <= targetMilliseconds ? "met" : "MISSED",
                PrivateMegabytes());
}

// `rows` messages in `table`, committed every 20,000 rows.
void Fill(CADODatabase& database, const std::string& connection, const std::string& table,
          int firstRow, int rows) {
    CreateMailboxTable(connection, table, "C:\\Eudora\\" + table + ".mbx");
    CADORecordset writer(database);
    writer.Open(table, CADORecordset::OpenTable);
    database.BeginTrans();
    for (int row = firstRow; row < firstRow + rows; ++row) {
        const std::string message = SampleMessage(row, kMessageBytes);
        writer.AddNew();
        writer.BeginEdit();
        writer.WriteField("id", row + 1);
        writer.WriteField("S", row % 11);
        writer.WriteField("P", std::string("Normal"));
        writer.WriteField("From", "Sender " + std::to_string((row * 7919) % kRows) +
                                      " <sender@example.com>");
        writer.WriteField("Date", "Mon " + std::to_string(row % 12 + 1) + "/" +
                                      std::to_string(row % 28 + 1) + "/2007 10:00");
        writer.WriteField("Size", 0);
        writer.WriteField("Subject", "Report " + std::to_string(row));
        writer.WriteField("To", std::string("reader@example.com"));
        writer.WriteField("message", message);
        writer.Update();
        if ((row - firstRow) % 20000 == 19999) {
            database.CommitTrans();
            database.BeginTrans();
        }
    }
    database.CommitTrans();
}

void MeasureViewer(const std::string& folder) {
    const std::string connection = ArchiveConnectionString(folder + "\\one-table.mdb");
    if (CreateArchiveDatabase(connection)) {
        CADODatabase database;
        database.Open(connection);
        const Stopwatch building;
        Fill(database, connection, "Mailbox_Years", 0, kRows);
        std::printf("one table of %d messages of %u bytes, made in %.1f s\n", kRows,
                    static_cast<unsigned>(kMessageBytes), building.Seconds());
    }
    const double before = PrivateMegabytes();
    const Stopwatch opening;
    auto viewer = std::make_unique<CArchiveViewer>(nullptr, "Mailbox_Years", "Years", connection);
    if (!viewer->Create()) {
        std::printf("  the viewer could not be made\n");
        return;
    }
    ::ShowWindow(viewer->hwnd(), SW_SHOW);
    ::UpdateWindow(viewer->hwnd());
    Verdict("viewer open (read, sort, first paint)", opening.Milliseconds(), 10000);
    const double grown = PrivateMegabytes() - before;
    std::printf("  %-58s %9.1f MB (target    250 MB: %s)\n", "private memory grown by the viewer",
                grown, grown <= 250 ? "met" : "MISSED");

    // A click on the Subject column's heading, as the list reports it.
    NMLISTVIEW click = {};
    click.hdr.hwndFrom = viewer->list().hwnd();
    click.hdr.idFrom = IDC_VIEWER_LIST;
    click.hdr.code = LVN_COLUMNCLICK;
    click.iSubItem = 1;
    const Stopwatch sorting;
    ::SendMessageA(viewer->hwnd(), WM_NOTIFY, IDC_VIEWER_LIST, reinterpret_cast<LPARAM>(&click));
    ::UpdateWindow(viewer->hwnd());
    Verdict("a sort by subject (a column click)", sorting.Milliseconds(), 2000);
    click.iSubItem = 3;
    const Stopwatch byDate;
    ::SendMessageA(viewer->hwnd(), WM_NOTIFY, IDC_VIEWER_LIST, reinterpret_cast<LPARAM>(&click));
    ::UpdateWindow(viewer->hwnd());
    Verdict("a sort by date (a column click)", byDate.Milliseconds(), 2000);

    const Stopwatch showing;
    viewer->list().SetItemState(kRows - 1, LVIS_SELECTED, LVIS_SELECTED);
    PumpWaitingMessages();
    Verdict("show the list's last row (fetch, page, navigation)", showing.Milliseconds(), 30);

    ::SendMessageA(viewer->hwnd(), WM_CLOSE, 0, 0);
    PumpWaitingMessages();
    viewer.reset();
}

void MeasureStartCount(const std::string& folder) {
    const std::string connection = ArchiveConnectionString(folder + "\\twenty-tables.mdb");
    const bool made = CreateArchiveDatabase(connection);
    CADODatabase database;
    database.Open(connection);
    if (made) {
        const Stopwatch building;
        for (int table = 0; table < kTables; ++table) {
            Fill(database, connection, "Mailbox_Box" + std::to_string(table),
                 table * (kRows / kTables), kRows / kTables);
        }
        std::printf("%d tables holding %d messages, made in %.1f s\n", kTables, kRows,
                    building.Seconds());
    }
    // What the main dialog reads at its start: the table list with each
    // table's mailbox, and each table's count.
    const Stopwatch counting;
    const ArchiveTableList archives = ListArchiveTables(database);
    long total = 0;
    for (const std::string& table : archives.tables) {
        total += CountArchiveRows(database, table);
    }
    Verdict("the main dialog's start: the tables listed and counted", counting.Milliseconds(),
            1000);
    std::printf("  (%ld rows counted in %u tables)\n", total,
                static_cast<unsigned>(archives.tables.size()));
}

} // namespace

// With a folder named, the archives are kept there and used again by the
// next run, which then measures without making them.
int main(int argc, char** argv) {
    App().InitInstance();
    ::OleInitialize(nullptr);
    const PrivatePeak peakMemory;
    const bool keep = argc > 1;
    const std::string folder = keep ? std::string(argv[1])
                                    : TempDirectory() + "\\stowlark-scale-bench-" +
                                          std::to_string(::GetCurrentProcessId());
    ::CreateDirectoryA(folder.c_str(), nullptr);
    App().Context().settingsPath = folder + "\\stowlark.ini";
    std::printf("private memory at the start: %.1f MB\n", PrivateMegabytes());
    try {
        MeasureViewer(folder);
        MeasureStartCount(folder);
    } catch (const std::exception& error) {
        std::printf("failed: %s\n", error.what());
    }
    ::DeleteFileA(App().Context().settingsPath.c_str());
    if (!keep) {
        ::DeleteFileA((folder + "\\one-table.mdb").c_str());
        ::DeleteFileA((folder + "\\twenty-tables.mdb").c_str());
        ::RemoveDirectoryA(folder.c_str());
    }
    std::printf("peak private memory: %.1f MB; peak working set: %.1f MB\n", peakMemory.Megabytes(),
                PeakWorkingSetMegabytes());
    ::OleUninitialize();
    return 0;
}
