// A power cut at any moment of an archive or a restore with deletion costs
// no message and leaves a sound archive. A sample of the cut points runs
// here; bench_power_cut runs every one. A failure names its case, which
// STOWLARK_POWER_CUT=archive:CUT:SEED (or restore:, convert:,
// convert-backup:, save-as:) runs alone.
#include "tests/reliability/power_cut_run.h"

#include <gmock/gmock.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

using ::testing::IsEmpty;

namespace {

PowerCutOptions SampledOptions(const char* scenario) {
    PowerCutOptions options;
    const char* only = std::getenv("STOWLARK_POWER_CUT");
    const size_t length = std::strlen(scenario);
    if (only && std::strncmp(only, scenario, length) == 0 && only[length] == ':') {
        std::sscanf(only + length, ":%lld:%lld", &options.onlyCut, &options.onlySeed);
    }
    return options;
}

void ExpectEveryCutSound(const char* scenario, const PowerCutReport& report) {
    std::printf("%s: %zu file events, %zu syncs, %zu cut points, %zu cases, %zu next runs\n",
                scenario, report.events, report.syncs, report.cutPoints, report.cases,
                report.nextRuns);
    EXPECT_GT(report.syncs, 0u);
    EXPECT_THAT(report.failures, IsEmpty());
}

void ExpectEveryCutSound(PowerCutTask task) {
    ExpectEveryCutSound(TaskName(task), RunPowerCuts(task, SampledOptions(TaskName(task))));
}

TEST(PowerCutTest, ArchiveWithDeletion) {
    ExpectEveryCutSound(PowerCutTask::Archive);
}

TEST(PowerCutTest, RestoreWithDeletion) {
    ExpectEveryCutSound(PowerCutTask::Restore);
}

TEST(PowerCutTest, JetConversion) {
    ExpectEveryCutSound("convert", RunConversionCuts(false, SampledOptions("convert")));
    ExpectEveryCutSound("convert-backup",
                        RunConversionCuts(true, SampledOptions("convert-backup")));
}

TEST(PowerCutTest, SaveAs) {
    // A few small writes: every one of them is a cut point.
    PowerCutOptions options = SampledOptions("save-as");
    options.allWrites = true;
    options.subsets = 3;
    ExpectEveryCutSound("save-as", RunSaveAsCuts(options));
}

} // namespace
