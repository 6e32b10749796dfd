#include "engine/large_file_progress.h"

#include "base/file_utils.h"

namespace {

constexpr long long kLargeFile = 8 << 20;

} // namespace

FileProgress LargeFileProgress(const std::string& doing, const std::string& path,
                               const StatusText& status) {
    if (!status) {
        return {};
    }
    const std::string label = doing + " " + FileNameOf(path, true) + ": ";
    return [label, status, lastShown = -1](long long done, long long total) mutable {
        const int percent = total > 0 ? static_cast<int>(done * 100 / total) : 100;
        if (total >= kLargeFile && percent / 5 != lastShown / 5) {
            lastShown = percent;
            status(label + std::to_string(percent) + "%");
        }
    };
}
