#include "engine/task_log.h"

#include "engine/task_controls.h"
#include "mailbox/date_formats.h"
#include "base/file_utils.h"

void TaskLog::Write(const std::string& record) {
    append(path_, record);
    controls_.ReloadLog();
}

bool TaskLog::append(const std::string& path, const std::string& text) {
    return AppendLine(path, text);
}

std::string TaskLog::StartRecord(double startTime, const std::string& taskType) {
    return FormatLocaleDate(startTime) + "\nTask initialized at " + FormatLocaleTime(startTime) +
           "\n" + "Task Type: " + taskType;
}

std::string TaskLog::EndRecord(double endTime, Ending ending, const std::string& filterText,
                               const std::string& countLabel, int handled, int searched,
                               const std::string& extraLine) {
    return std::string(ending == Ending::Failed    ? "\nTask failed at "
                       : ending == Ending::Stopped ? "\nTask stopped at "
                                                   : "\nTask completed at ") +
           FormatLocaleTime(endTime) + "\nApplied Filter(s): " + filterText + "\nTotal number of " +
           countLabel + " messages: " + std::to_string(handled) +
           "\nTotal number of searched messages: " + std::to_string(searched) +
           (extraLine.empty() ? std::string() : "\n" + extraLine) +
           "\n=====================================";
}

std::string TaskLog::PercentCompleted(bool stopped, const std::string& percentDone) {
    if (!stopped) {
        return "100";
    }
    return percentDone == "0" ? "< 1" : percentDone;
}
