// Every cut point of the power-cut scenarios the reliability tests sample:
// a cut before every write and every sync of an archive and a restore with
// deletion, a Jet conversion (in place and from its backup) and "Save As...",
// several ways each. Prints the count of cases and any failure, each with
// the STOWLARK_POWER_CUT value that runs it alone in reliability_tests.
#include "base/stowlark_app.h"
#include "tests/reliability/power_cut_run.h"
#include "tests/test_support.h"

#include <cstdio>
#include <cstring>
#include <ctime>

namespace {

size_t Print(const char* scenario, const PowerCutReport& report, std::time_t started) {
    std::printf("%-15s %6zu file events %4zu syncs %6zu cut points %6zu cases %5zu next runs "
                "%5.0f s %zu failures\n",
                scenario, report.events, report.syncs, report.cutPoints, report.cases,
                report.nextRuns, std::difftime(std::time(nullptr), started),
                report.failures.size());
    for (const std::string& failure : report.failures) {
        std::printf("  %s\n", failure.c_str());
    }
    std::fflush(stdout);
    return report.failures.size();
}

} // namespace

int main(int argc, char** argv) {
    App().InitInstance();
    MessageBoxCapture boxes;
    PowerCutOptions options;
    const bool all = argc > 1 && std::strcmp(argv[1], "--all") == 0;
    if (all) {
        options.allWrites = true;
        options.subsets = 2;
        options.nextRunEvery = 16;
    }
    std::printf("Power cuts: %s\n", all ? "every write and sync, two random survivor sets "
                                          "each beside the synced-only one"
                                        : "the sample the tests run (--all for every point)");
    size_t failures = 0;
    std::time_t started = std::time(nullptr);
    failures += Print("archive", RunPowerCuts(PowerCutTask::Archive, options), started);
    started = std::time(nullptr);
    failures += Print("restore", RunPowerCuts(PowerCutTask::Restore, options), started);
    started = std::time(nullptr);
    failures += Print("convert", RunConversionCuts(false, options), started);
    started = std::time(nullptr);
    failures += Print("convert-backup", RunConversionCuts(true, options), started);
    started = std::time(nullptr);
    failures += Print("save-as", RunSaveAsCuts(options), started);
    return failures == 0 ? 0 : 1;
}
