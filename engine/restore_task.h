// Puts archived messages back into the host: the rows the filter selects are
// written as records into the host's "Pending" mailbox, the host moves them
// into the mailbox they came from (or "In"), and with deletion on they then
// leave the archive.
#pragma once

#include <string>
#include <vector>

class CADODatabase;
class TaskControls;
struct MessageFilter;

// The files of the host's "Pending" mailbox, in its data directory.
struct StagingFiles {
    std::string mbxPath;
    std::string tocPath;
};

class RestoreTask {
public:
    // `staging` outlives the task: when the task has to make "Pending", the
    // path the host gives it is kept there.
    RestoreTask(CADODatabase& database, StagingFiles& staging, std::string logPath,
                TaskControls& controls)
        : database_(database), staging_(staging), logPath_(std::move(logPath)),
          controls_(controls) {}

    // `archives` are table names in tree order. Gives the number of messages
    // written to "Pending".
    int run(const std::vector<std::string>& archives, const MessageFilter& filter,
            bool deleteRestored);
    // The same for the rows of `table` at `bookmarks` alone (the viewer's
    // selection), whatever the filter would say; rows gone since are passed
    // over. Its log record names it a restore of selected messages.
    int runRows(const std::string& table, const std::vector<long long>& bookmarks,
                bool deleteRestored);

private:
    CADODatabase& database_;
    StagingFiles& staging_;
    std::string logPath_;
    TaskControls& controls_;
};
