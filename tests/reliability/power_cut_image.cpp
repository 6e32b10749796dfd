#include "tests/reliability/power_cut_image.h"

#include "base/win32.h"
#include "tests/test_support.h"

#include <algorithm>
#include <random>

namespace {

const int64_t kSector = 512;

struct FileState {
    std::optional<std::string> durable;
    std::vector<const FileEvent*> unsynced;
};

void Apply(std::optional<std::string>& file, const FileEvent& event, int64_t from, int64_t to) {
    if (!file) {
        file.emplace();
    }
    if (event.kind == FileEvent::Kind::Truncate) {
        file->resize(static_cast<size_t>(event.offset));
        return;
    }
    const size_t end = static_cast<size_t>(to);
    if (file->size() < end) {
        file->resize(end, '\0');
    }
    std::copy(event.bytes.begin() + (from - event.offset),
              event.bytes.begin() + (to - event.offset), file->begin() + from);
}

void ApplyWhole(std::optional<std::string>& file, const FileEvent& event) {
    Apply(file, event, event.offset, event.offset + static_cast<int64_t>(event.bytes.size()));
}

// Some of the write's sectors, each whole or not at all.
void ApplyTorn(std::optional<std::string>& file, const FileEvent& event, std::mt19937_64& random) {
    const int64_t end = event.offset + static_cast<int64_t>(event.bytes.size());
    for (int64_t from = event.offset; from < end;) {
        const int64_t to = std::min(end, (from / kSector + 1) * kSector);
        if (random() % 2) {
            Apply(file, event, from, to);
        }
        from = to;
    }
}

std::vector<FileState> StatesAt(const std::vector<RecordedFile>& files,
                                const std::vector<FileEvent>& events, size_t cut) {
    std::vector<FileState> states(files.size());
    for (size_t i = 0; i < files.size(); ++i) {
        if (files[i].present) {
            states[i].durable = files[i].bytes;
        }
    }
    for (size_t i = 0; i < cut && i < events.size(); ++i) {
        const FileEvent& event = events[i];
        FileState& state = states[event.file];
        switch (event.kind) {
        case FileEvent::Kind::Create:
            if (!state.durable) {
                state.durable.emplace();
            }
            break;
        case FileEvent::Kind::Write:
        case FileEvent::Kind::Truncate:
            state.unsynced.push_back(&event);
            break;
        case FileEvent::Kind::Sync:
            for (const FileEvent* done : state.unsynced) {
                if (done->kind == FileEvent::Kind::Truncate) {
                    Apply(state.durable, *done, 0, 0);
                } else {
                    ApplyWhole(state.durable, *done);
                }
            }
            state.unsynced.clear();
            break;
        case FileEvent::Kind::Delete:
            state.durable.reset();
            state.unsynced.clear();
            break;
        case FileEvent::Kind::Rename:
            // The name moves with what the file holds, synced or not.
            states[event.to] = std::move(state);
            state = FileState();
            break;
        }
    }
    return states;
}

} // namespace

std::vector<CutFile> FilesAfterCut(const std::vector<RecordedFile>& files,
                                   const std::vector<FileEvent>& events, size_t cut,
                                   uint64_t seed) {
    std::vector<FileState> states = StatesAt(files, events, cut);
    std::mt19937_64 random(seed * 0x9E3779B97F4A7C15ULL + cut);
    std::vector<CutFile> result;
    for (size_t i = 0; i < files.size(); ++i) {
        FileState& state = states[i];
        CutFile file{files[i].path, std::move(state.durable)};
        if (seed != 0) {
            std::shuffle(state.unsynced.begin(), state.unsynced.end(), random);
            for (const FileEvent* event : state.unsynced) {
                const unsigned choice = random() % 4;
                if (choice == 0) {
                    continue; // lost
                }
                if (event->kind == FileEvent::Kind::Truncate) {
                    Apply(file.bytes, *event, 0, 0);
                } else if (choice == 1) {
                    ApplyTorn(file.bytes, *event, random);
                } else {
                    ApplyWhole(file.bytes, *event);
                }
            }
        }
        result.push_back(std::move(file));
    }
    return result;
}

size_t UnsyncedAt(const std::vector<FileEvent>& events, size_t cut) {
    std::vector<size_t> pending;
    for (size_t i = 0; i < cut && i < events.size(); ++i) {
        const FileEvent& event = events[i];
        if (pending.size() <= static_cast<size_t>(event.file)) {
            pending.resize(event.file + 1);
        }
        switch (event.kind) {
        case FileEvent::Kind::Write:
        case FileEvent::Kind::Truncate:
            ++pending[event.file];
            break;
        case FileEvent::Kind::Sync:
        case FileEvent::Kind::Delete:
            pending[event.file] = 0;
            break;
        case FileEvent::Kind::Rename:
            if (pending.size() <= static_cast<size_t>(event.to)) {
                pending.resize(event.to + 1);
            }
            pending[event.to] = pending[event.file];
            pending[event.file] = 0;
            break;
        case FileEvent::Kind::Create:
            break;
        }
    }
    size_t total = 0;
    for (size_t count : pending) {
        total += count;
    }
    return total;
}

void WriteCutFiles(const std::vector<CutFile>& cut, const std::string& fromFolder,
                   const std::string& toFolder) {
    for (const CutFile& file : cut) {
        const std::string path = toFolder + file.path.substr(fromFolder.size());
        if (file.bytes) {
            WriteBytes(path, *file.bytes);
        } else {
            ::DeleteFileA(path.c_str());
        }
    }
}
