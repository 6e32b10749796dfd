#include "tests/reliability/power_cut_vfs.h"

#include "base/win32.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace {

struct ShimFile {
    sqlite3_file base;
    sqlite3_file* real;
    PowerCutRecorder* owner;
    // -1 for a file outside the recorded folder, or one deleted on close.
    int index;
};

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; });
    std::replace(text.begin(), text.end(), '/', '\\');
    return text;
}

bool ReadWhole(const std::string& utf8Path, std::string& bytes) {
    std::wstring wide(utf8Path.size() + 1, L'\0');
    wide.resize(::MultiByteToWideChar(CP_UTF8, 0, utf8Path.c_str(), -1, &wide[0],
                                      static_cast<int>(wide.size())));
    if (!wide.empty()) {
        wide.pop_back();
    }
    HANDLE file = ::CreateFileW(wide.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    char buffer[65536];
    DWORD got = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        bytes.append(buffer, got);
    }
    ::CloseHandle(file);
    return true;
}

} // namespace

const char* EventName(FileEvent::Kind kind) {
    switch (kind) {
    case FileEvent::Kind::Create:
        return "create";
    case FileEvent::Kind::Write:
        return "write";
    case FileEvent::Kind::Truncate:
        return "truncate";
    case FileEvent::Kind::Sync:
        return "sync";
    case FileEvent::Kind::Delete:
        return "delete";
    case FileEvent::Kind::Rename:
        return "rename";
    }
    return "?";
}

struct PowerCutRecorder::Shim {
    sqlite3_vfs vfs{};
    sqlite3_vfs* real = nullptr;
    sqlite3_io_methods methods{};
};

// The entry points the engine calls; each passes down to the platform's
// layer, recording first what changes the disk.
struct PowerCutRecorder::Hooks {
    static PowerCutRecorder& Owner(sqlite3_vfs* vfs) {
        return *static_cast<PowerCutRecorder*>(vfs->pAppData);
    }
    static ShimFile& File(sqlite3_file* file) { return *reinterpret_cast<ShimFile*>(file); }

    static int Open(sqlite3_vfs* vfs, const char* name, sqlite3_file* file, int flags,
                    int* outFlags) {
        PowerCutRecorder& owner = Owner(vfs);
        ShimFile& shim = File(file);
        shim.base.pMethods = nullptr;
        shim.real = reinterpret_cast<sqlite3_file*>(&shim + 1);
        shim.owner = &owner;
        shim.index = -1;
        std::lock_guard<std::recursive_mutex> lock(owner.mutex_);
        if (name && !(flags & SQLITE_OPEN_DELETEONCLOSE)) {
            shim.index = owner.TrackedIndex(name);
        }
        bool existed = true;
        if (shim.index >= 0) {
            std::string ignored;
            existed = ReadWhole(name, ignored);
        }
        const int result =
            owner.shim_->real->xOpen(owner.shim_->real, name, shim.real, flags, outFlags);
        if (result != SQLITE_OK) {
            return result;
        }
        if (shim.index >= 0 && !existed) {
            owner.Record({FileEvent::Kind::Create, shim.index, 0, {}, -1});
        }
        shim.base.pMethods = &owner.shim_->methods;
        return SQLITE_OK;
    }

    static int Delete(sqlite3_vfs* vfs, const char* name, int syncDir) {
        PowerCutRecorder& owner = Owner(vfs);
        {
            std::lock_guard<std::recursive_mutex> lock(owner.mutex_);
            const int index = owner.TrackedIndex(name);
            if (index >= 0) {
                owner.Record({FileEvent::Kind::Delete, index, 0, {}, -1});
            }
        }
        return owner.shim_->real->xDelete(owner.shim_->real, name, syncDir);
    }

    static int Access(sqlite3_vfs* vfs, const char* name, int flags, int* out) {
        sqlite3_vfs* real = Owner(vfs).shim_->real;
        return real->xAccess(real, name, flags, out);
    }
    static int FullPath(sqlite3_vfs* vfs, const char* name, int size, char* out) {
        sqlite3_vfs* real = Owner(vfs).shim_->real;
        return real->xFullPathname(real, name, size, out);
    }
    static int Randomness(sqlite3_vfs* vfs, int size, char* out) {
        sqlite3_vfs* real = Owner(vfs).shim_->real;
        return real->xRandomness(real, size, out);
    }
    static int Sleep(sqlite3_vfs* vfs, int microseconds) {
        sqlite3_vfs* real = Owner(vfs).shim_->real;
        return real->xSleep(real, microseconds);
    }
    static int CurrentTime(sqlite3_vfs* vfs, double* out) {
        sqlite3_vfs* real = Owner(vfs).shim_->real;
        return real->xCurrentTime(real, out);
    }
    static int CurrentTimeInt64(sqlite3_vfs* vfs, sqlite3_int64* out) {
        sqlite3_vfs* real = Owner(vfs).shim_->real;
        return real->xCurrentTimeInt64(real, out);
    }
    static int LastError(sqlite3_vfs* vfs, int size, char* out) {
        sqlite3_vfs* real = Owner(vfs).shim_->real;
        return real->xGetLastError(real, size, out);
    }

    static int Close(sqlite3_file* file) {
        ShimFile& shim = File(file);
        return shim.real->pMethods->xClose(shim.real);
    }
    static int Read(sqlite3_file* file, void* out, int amount, sqlite3_int64 offset) {
        ShimFile& shim = File(file);
        return shim.real->pMethods->xRead(shim.real, out, amount, offset);
    }
    static int Write(sqlite3_file* file, const void* data, int amount, sqlite3_int64 offset) {
        ShimFile& shim = File(file);
        if (shim.index >= 0) {
            std::lock_guard<std::recursive_mutex> lock(shim.owner->mutex_);
            shim.owner->Record({FileEvent::Kind::Write, shim.index, offset,
                                std::string(static_cast<const char*>(data), amount), -1});
        }
        return shim.real->pMethods->xWrite(shim.real, data, amount, offset);
    }
    static int Truncate(sqlite3_file* file, sqlite3_int64 size) {
        ShimFile& shim = File(file);
        if (shim.index >= 0) {
            std::lock_guard<std::recursive_mutex> lock(shim.owner->mutex_);
            shim.owner->Record({FileEvent::Kind::Truncate, shim.index, size, {}, -1});
        }
        return shim.real->pMethods->xTruncate(shim.real, size);
    }
    static int Sync(sqlite3_file* file, int flags) {
        ShimFile& shim = File(file);
        if (shim.index >= 0) {
            std::lock_guard<std::recursive_mutex> lock(shim.owner->mutex_);
            shim.owner->Record({FileEvent::Kind::Sync, shim.index, 0, {}, -1});
        }
        return shim.real->pMethods->xSync(shim.real, flags);
    }
    static int FileSize(sqlite3_file* file, sqlite3_int64* size) {
        ShimFile& shim = File(file);
        return shim.real->pMethods->xFileSize(shim.real, size);
    }
    static int Lock(sqlite3_file* file, int level) {
        ShimFile& shim = File(file);
        return shim.real->pMethods->xLock(shim.real, level);
    }
    static int Unlock(sqlite3_file* file, int level) {
        ShimFile& shim = File(file);
        return shim.real->pMethods->xUnlock(shim.real, level);
    }
    static int CheckReservedLock(sqlite3_file* file, int* out) {
        ShimFile& shim = File(file);
        return shim.real->pMethods->xCheckReservedLock(shim.real, out);
    }
    static int FileControl(sqlite3_file* file, int op, void* arg) {
        ShimFile& shim = File(file);
        return shim.real->pMethods->xFileControl(shim.real, op, arg);
    }
    static int SectorSize(sqlite3_file* file) {
        ShimFile& shim = File(file);
        return shim.real->pMethods->xSectorSize(shim.real);
    }
    static int DeviceCharacteristics(sqlite3_file* file) {
        ShimFile& shim = File(file);
        return shim.real->pMethods->xDeviceCharacteristics(shim.real);
    }
};

PowerCutRecorder::PowerCutRecorder(std::string folder)
    : shim_(std::make_unique<Shim>()), folder_(Lower(std::move(folder))) {
    if (!folder_.empty() && folder_.back() != '\\') {
        folder_ += '\\';
    }
    Shim& shim = *shim_;
    shim.real = sqlite3_vfs_find(nullptr);
    if (!shim.real) {
        throw std::runtime_error("no file layer under the database engine");
    }
    // Version 1 of the file methods: no shared memory and no mapped reads,
    // so every byte read and written passes here.
    shim.methods.iVersion = 1;
    shim.methods.xClose = Hooks::Close;
    shim.methods.xRead = Hooks::Read;
    shim.methods.xWrite = Hooks::Write;
    shim.methods.xTruncate = Hooks::Truncate;
    shim.methods.xSync = Hooks::Sync;
    shim.methods.xFileSize = Hooks::FileSize;
    shim.methods.xLock = Hooks::Lock;
    shim.methods.xUnlock = Hooks::Unlock;
    shim.methods.xCheckReservedLock = Hooks::CheckReservedLock;
    shim.methods.xFileControl = Hooks::FileControl;
    shim.methods.xSectorSize = Hooks::SectorSize;
    shim.methods.xDeviceCharacteristics = Hooks::DeviceCharacteristics;

    shim.vfs.iVersion = 2;
    shim.vfs.szOsFile = static_cast<int>(sizeof(ShimFile)) + shim.real->szOsFile;
    shim.vfs.mxPathname = shim.real->mxPathname;
    shim.vfs.zName = "stowlark-power-cut";
    shim.vfs.pAppData = this;
    shim.vfs.xOpen = Hooks::Open;
    shim.vfs.xDelete = Hooks::Delete;
    shim.vfs.xAccess = Hooks::Access;
    shim.vfs.xFullPathname = Hooks::FullPath;
    shim.vfs.xRandomness = Hooks::Randomness;
    shim.vfs.xSleep = Hooks::Sleep;
    shim.vfs.xCurrentTime = Hooks::CurrentTime;
    shim.vfs.xGetLastError = Hooks::LastError;
    shim.vfs.xCurrentTimeInt64 = Hooks::CurrentTimeInt64;
    if (sqlite3_vfs_register(&shim.vfs, 1) != SQLITE_OK) {
        throw std::runtime_error("the recording file layer cannot be put in place");
    }
}

PowerCutRecorder::~PowerCutRecorder() {
    sqlite3_vfs_unregister(&shim_->vfs);
    sqlite3_vfs_register(shim_->real, 1);
}

void PowerCutRecorder::SetObserver(std::function<void(size_t, const FileEvent&)> observer) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    observer_ = std::move(observer);
}

std::vector<FileEvent> PowerCutRecorder::Events() const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return events_;
}

std::vector<RecordedFile> PowerCutRecorder::Files() const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return files_;
}

int PowerCutRecorder::TrackedIndex(const char* path) {
    if (!path) {
        return -1;
    }
    const std::string lower = Lower(path);
    if (lower.compare(0, folder_.size(), folder_) != 0) {
        return -1;
    }
    for (size_t i = 0; i < files_.size(); ++i) {
        if (Lower(files_[i].path) == lower) {
            return static_cast<int>(i);
        }
    }
    RecordedFile file;
    file.path = path;
    file.present = ReadWhole(path, file.bytes);
    files_.push_back(std::move(file));
    return static_cast<int>(files_.size() - 1);
}

void PowerCutRecorder::Record(FileEvent event) {
    if (observer_) {
        observer_(events_.size(), event);
    }
    events_.push_back(std::move(event));
}
