// Copies the messages the filter selects from the chosen host mailboxes into
// the archive, one table per mailbox, and with deletion on moves the copies'
// originals into "Trash" afterwards.
#pragma once

#include <string>
#include <vector>

class CADODatabase;
class TaskControls;
struct MessageFilter;

// One mailbox ticked in the mailbox tree.
struct MailboxSelection {
    std::string path; // of its file, as the host gives it
    std::string name; // as the tree shows it
    long id = 0;      // the host's folder id
};

class ArchiveTask {
public:
    // `database` is the main dialog's open connection.
    ArchiveTask(CADODatabase& database, std::string logPath, TaskControls& controls)
        : database_(database), logPath_(std::move(logPath)), controls_(controls) {}

    // Runs to the end, or to the first stop check after the user pressed
    // Stop. Gives the number of rows written, or -1 (and nothing done) when
    // the host cannot be reached.
    int run(const std::vector<MailboxSelection>& mailboxes, const MessageFilter& filter,
            bool deleteArchived);

private:
    CADODatabase& database_;
    std::string logPath_;
    TaskControls& controls_;
};
