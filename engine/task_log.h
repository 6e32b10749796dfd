// The running history of every archive and restore: one text file that only
// grows, shown by the log window.
#pragma once

#include <string>

class TaskControls;

class TaskLog {
public:
    TaskLog(std::string path, TaskControls& controls)
        : path_(std::move(path)), controls_(controls) {}

    // Appends the record and has the log window show the file again. A
    // record that cannot be written is lost; the task goes on.
    void Write(const std::string& record);

    // The record and a line end at the end of the file, every "\n" as CR LF;
    // the file is made when missing. False when nothing could be written.
    static bool append(const std::string& path, const std::string& text);

    // The records both tasks write. `taskType` is "Archive Messages" or
    // "Restore Messages"; `countLabel` names the messages the task handled,
    // e.g. "archived".
    static std::string StartRecord(double startTime, const std::string& taskType);
    // How a task ended: "Task completed at", "Task stopped at" or, when the
    // archive file refused it, "Task failed at".
    enum class Ending { Completed, Stopped, Failed };
    // `extraLine`, when there is one, goes before the rule line.
    static std::string EndRecord(double endTime, Ending ending, const std::string& filterText,
                                 const std::string& countLabel, int handled, int searched,
                                 const std::string& extraLine = std::string());
    // "< 1" for a stop during the first item, the percentage done for a later
    // stop, "100" when not stopped.
    static std::string PercentCompleted(bool stopped, const std::string& percentDone);

private:
    std::string path_;
    TaskControls& controls_;
};
