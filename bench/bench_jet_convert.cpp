// Converts a Jet archive (made by bench-jet-convert.sh with the separate Jet
// writer) and prints the wall time, the message text converted per second,
// the process's peak private memory and, given mdbtools' time to read the
// same tables, the ratio of the two.
//   bench_jet_convert.exe ARCHIVE.mdb [MDB_EXPORT_SECONDS]
#include "bench/bench_support.h"
#include "db/jet/jet_database.h"
#include "engine/jet_conversion.h"

#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>

namespace {

// Notes when the comparison begins, so that the copy and the comparison are
// timed apart.
class QuietControls : public ConversionControls {
public:
    void ShowProgress(int, const std::string& text) override {
        if (checkingStarted_ < 0 && text.compare(0, 8, "Checking") == 0) {
            checkingStarted_ = watch_.Seconds();
        }
    }
    bool StopRequested() override { return false; }
    void LogWritten() override {}

    double CheckingStarted() const { return checkingStarted_; }

private:
    Stopwatch watch_;
    double checkingStarted_ = -1;
};

double MessageMegabytes(const std::string& path) {
    sqlite3* db = nullptr;
    double bytes = 0;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* tables = nullptr;
        sqlite3_prepare_v2(db,
                           "SELECT name FROM sqlite_master WHERE type = 'table' AND name "
                           "LIKE 'Mailbox\\_%' ESCAPE '\\'",
                           -1, &tables, nullptr);
        while (sqlite3_step(tables) == SQLITE_ROW) {
            std::string name = reinterpret_cast<const char*>(sqlite3_column_text(tables, 0));
            sqlite3_stmt* sum = nullptr;
            std::string sql = "SELECT total(length(CAST(message AS BLOB))) FROM \"" + name + "\"";
            sqlite3_prepare_v2(db, sql.c_str(), -1, &sum, nullptr);
            if (sqlite3_step(sum) == SQLITE_ROW) {
                bytes += sqlite3_column_double(sum, 0);
            }
            sqlite3_finalize(sum);
        }
        sqlite3_finalize(tables);
    }
    sqlite3_close(db);
    return bytes / 1048576.0;
}

// The reader alone: every row of every table, as the conversion reads it.
double ReadSeconds(const std::string& path) {
    Stopwatch watch;
    JetDatabase database(path);
    std::vector<JetValue> row;
    for (const JetTable& table : database.tables()) {
        std::unique_ptr<TableScan> scan = database.Scan(table);
        while (scan->Next(row)) {
        }
    }
    return watch.Seconds();
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_jet_convert ARCHIVE.mdb [MDB_EXPORT_SECONDS]\n");
        return 2;
    }
    const std::string archive = argv[1];
    const PrivatePeak peakMemory;
    const double readSeconds = ReadSeconds(archive);
    Stopwatch watch;
    QuietControls controls;
    JetConversionOutcome outcome = JetConversion(archive, archive + ".log", controls).Run();
    const double seconds = watch.Seconds();
    if (outcome.result != JetConversionOutcome::Result::Converted) {
        std::fprintf(stderr, "conversion failed: %s\n", outcome.problem.c_str());
        return 1;
    }
    const double megabytes = MessageMegabytes(archive);
    const double peak = peakMemory.Megabytes();
    std::printf("messages converted:        %ld\n", outcome.messages);
    std::printf("message text:              %.1f MB\n", megabytes);
    std::printf("conversion (read, write, compare): %.2f s, %.1f MB/s (target >= 20)\n", seconds,
                megabytes / seconds);
    std::printf("  of which the copy %.2f s, the comparison and the flush %.2f s\n",
                controls.CheckingStarted(), seconds - controls.CheckingStarted());
    if (argc > 2) {
        const double exportSeconds = std::atof(argv[2]);
        std::printf("mdb-export of the same tables: %.2f s; conversion / mdb-export = %.2f "
                    "(target <= 3)\n",
                    exportSeconds, seconds / exportSeconds);
    }
    std::printf("the Jet reader alone, every row: %.2f s\n", readSeconds);
    std::printf("peak private memory:       %.1f MB (target < 64)\n", peak);
    return 0;
}
