// A layer of files under the database engine, for tests only, that remembers
// every write, truncation, sync and deletion it passes down for the files of
// one folder, so that the files a power cut would have left at any of those
// moments can be made afterwards (power_cut_image.h). One recorded run stands
// for every cut: what happens after the cut's moment is never looked at.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

struct FileEvent {
    enum class Kind { Create, Write, Truncate, Sync, Delete, Rename };
    Kind kind;
    int file;
    // Where a write goes, or the size a truncation leaves.
    int64_t offset = 0;
    std::string bytes;
    // The file a rename gives the name of.
    int to = -1;
};

struct RecordedFile {
    std::string path;
    // As the file was when the layer first met it.
    bool present = false;
    std::string bytes;
};

const char* EventName(FileEvent::Kind kind);

class PowerCutRecorder {
public:
    // From now until destruction every new connection's files pass through
    // this layer; those under `folder` are recorded. Connections opened
    // before are not seen, so a test opens its archive afterwards.
    explicit PowerCutRecorder(std::string folder);
    ~PowerCutRecorder();
    PowerCutRecorder(const PowerCutRecorder&) = delete;
    PowerCutRecorder& operator=(const PowerCutRecorder&) = delete;

    // Called with each event's index before the event reaches the disk: the
    // moment a cut just before it would come.
    void SetObserver(std::function<void(size_t, const FileEvent&)> observer);

    std::vector<FileEvent> Events() const;
    std::vector<RecordedFile> Files() const;

    // For the layers' entry points: the index of a file under the folder
    // (met now for the first time, its bytes are read as they are), or -1;
    // and an event, after the observer has seen it.
    int TrackedIndex(const char* path);
    void Record(FileEvent event);
    std::recursive_mutex& mutex() const { return mutex_; }

    struct Hooks;

private:
    struct Shim;
    std::unique_ptr<Shim> shim_;
    std::string folder_;
    std::function<void(size_t, const FileEvent&)> observer_;
    mutable std::recursive_mutex mutex_;
    std::vector<FileEvent> events_;
    std::vector<RecordedFile> files_;
};
