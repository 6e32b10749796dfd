// An archive or a restore with deletion of a mailbox of about two hundred
// varied messages, recorded once through the test host in this process;
// then the power cut at each sync and at writes between them, several ways
// each, and for every cut: the archive is sound, no message the host had
// moved to Trash lacks its row, no row a restore removed lacks its message
// at home, and the next run of the task leaves every message exactly once.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class PowerCutTask { Archive, Restore };

struct PowerCutOptions {
    // Every write is a cut point; otherwise one write in `writeEvery`.
    bool allWrites = false;
    size_t writeEvery = 80;
    // Cuts with random survivors of the unsynced writes, beside the one
    // that keeps only what was synced.
    int subsets = 1;
    // The next run of the task follows one case in this many (and always the
    // last cut); the other cases are checked where they stand.
    size_t nextRunEvery = 12;
    // Replays one case only when set (from a failure's text).
    long long onlyCut = -1;
    long long onlySeed = -1;
};

struct PowerCutReport {
    size_t events = 0;
    size_t syncs = 0;
    size_t cutPoints = 0;
    size_t cases = 0;
    size_t nextRuns = 0;
    std::vector<std::string> failures;
};

PowerCutReport RunPowerCuts(PowerCutTask task, const PowerCutOptions& options);

// A Jet archive converted in its place, or from the backup a conversion cut
// off between its renames left (`fromBackup`): every cut leaves the Jet
// file as it was, and the next start finds the archive either still to be
// converted or converted whole.
PowerCutReport RunConversionCuts(bool fromBackup, const PowerCutOptions& options);

// "Save As..." of an archive's messages over an earlier file of that name:
// every cut leaves the earlier file or the new one, whole.
PowerCutReport RunSaveAsCuts(const PowerCutOptions& options);

const char* TaskName(PowerCutTask task);
