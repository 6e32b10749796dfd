#include "tests/reliability/power_cut_win32.h"

#include "base/win32.h"

#include <cstring>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

struct Patched {
    void** slot;
    void* original;
};

} // namespace

struct Win32FileRecording::State {
    std::map<HANDLE, int> handles;
    std::vector<Patched> patched;
};

namespace {

// The hooks are plain functions the platform's callers reach through the
// import table, so the one recording they serve is found here.
PowerCutRecorder* g_recorder = nullptr;
std::map<HANDLE, int>* g_handles = nullptr;

using CreateFileAFn = HANDLE(WINAPI*)(LPCSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD,
                                      HANDLE);
using WriteFileFn = BOOL(WINAPI*)(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED);
using HandleFn = BOOL(WINAPI*)(HANDLE);
using MoveFileExAFn = BOOL(WINAPI*)(LPCSTR, LPCSTR, DWORD);
using MoveFileAFn = BOOL(WINAPI*)(LPCSTR, LPCSTR);
using DeleteFileAFn = BOOL(WINAPI*)(LPCSTR);

// The platform's own functions, as the import entries held them: the
// compiler's name for one may be a stub that jumps through that very entry.
CreateFileAFn g_createFile = nullptr;
WriteFileFn g_writeFile = nullptr;
HandleFn g_flush = nullptr;
HandleFn g_setEnd = nullptr;
HandleFn g_close = nullptr;
MoveFileExAFn g_moveEx = nullptr;
MoveFileAFn g_move = nullptr;
DeleteFileAFn g_delete = nullptr;

void RecordEvent(FileEvent::Kind kind, int file, int64_t offset = 0, std::string bytes = {},
                 int to = -1) {
    g_recorder->Record({kind, file, offset, std::move(bytes), to});
}

int HandleFile(HANDLE handle) {
    const auto found = g_handles->find(handle);
    return found == g_handles->end() ? -1 : found->second;
}

int64_t Position(HANDLE handle) {
    LARGE_INTEGER zero{};
    LARGE_INTEGER at{};
    ::SetFilePointerEx(handle, zero, &at, FILE_CURRENT);
    return at.QuadPart;
}

HANDLE WINAPI HookCreateFileA(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa,
                              DWORD disposition, DWORD flags, HANDLE model) {
    std::lock_guard<std::recursive_mutex> lock(g_recorder->mutex());
    const int file = (access & GENERIC_WRITE) ? g_recorder->TrackedIndex(path) : -1;
    const bool existed = ::GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
    const HANDLE handle = g_createFile(path, access, share, sa, disposition, flags, model);
    if (file >= 0 && handle != INVALID_HANDLE_VALUE) {
        (*g_handles)[handle] = file;
        if (!existed) {
            RecordEvent(FileEvent::Kind::Create, file);
        } else if (disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING) {
            RecordEvent(FileEvent::Kind::Truncate, file);
        }
    }
    return handle;
}

BOOL WINAPI HookWriteFile(HANDLE handle, LPCVOID data, DWORD size, LPDWORD written,
                          LPOVERLAPPED overlapped) {
    std::lock_guard<std::recursive_mutex> lock(g_recorder->mutex());
    const int file = overlapped ? -1 : HandleFile(handle);
    if (file >= 0) {
        RecordEvent(FileEvent::Kind::Write, file, Position(handle),
                    std::string(static_cast<const char*>(data), size));
    }
    return g_writeFile(handle, data, size, written, overlapped);
}

BOOL WINAPI HookFlushFileBuffers(HANDLE handle) {
    std::lock_guard<std::recursive_mutex> lock(g_recorder->mutex());
    const int file = HandleFile(handle);
    if (file >= 0) {
        RecordEvent(FileEvent::Kind::Sync, file);
    }
    return g_flush(handle);
}

BOOL WINAPI HookSetEndOfFile(HANDLE handle) {
    std::lock_guard<std::recursive_mutex> lock(g_recorder->mutex());
    const int file = HandleFile(handle);
    if (file >= 0) {
        RecordEvent(FileEvent::Kind::Truncate, file, Position(handle));
    }
    return g_setEnd(handle);
}

BOOL WINAPI HookCloseHandle(HANDLE handle) {
    std::lock_guard<std::recursive_mutex> lock(g_recorder->mutex());
    g_handles->erase(handle);
    return g_close(handle);
}

// Both names are known before the rename, as they were.
void RecordRename(int source, int target) {
    if (source >= 0 && target >= 0) {
        RecordEvent(FileEvent::Kind::Rename, source, 0, {}, target);
    } else if (source >= 0) {
        RecordEvent(FileEvent::Kind::Delete, source);
    }
}

BOOL WINAPI HookMoveFileExA(LPCSTR from, LPCSTR to, DWORD flags) {
    std::lock_guard<std::recursive_mutex> lock(g_recorder->mutex());
    const int source = g_recorder->TrackedIndex(from);
    const int target = g_recorder->TrackedIndex(to);
    // Recorded only when done: a refused rename changes nothing.
    const BOOL moved = g_moveEx(from, to, flags);
    if (moved) {
        RecordRename(source, target);
    }
    return moved;
}

BOOL WINAPI HookMoveFileA(LPCSTR from, LPCSTR to) {
    std::lock_guard<std::recursive_mutex> lock(g_recorder->mutex());
    const int source = g_recorder->TrackedIndex(from);
    const int target = g_recorder->TrackedIndex(to);
    const BOOL moved = g_move(from, to);
    if (moved) {
        RecordRename(source, target);
    }
    return moved;
}

BOOL WINAPI HookDeleteFileA(LPCSTR path) {
    std::lock_guard<std::recursive_mutex> lock(g_recorder->mutex());
    const int file = g_recorder->TrackedIndex(path);
    const BOOL deleted = g_delete(path);
    if (deleted && file >= 0) {
        RecordEvent(FileEvent::Kind::Delete, file);
    }
    return deleted;
}

// Every import entry of this program for `function` of the system's
// KERNEL32.
std::vector<void**> ImportSlots(const char* function) {
    std::vector<void**> slots;
    BYTE* base = reinterpret_cast<BYTE*>(::GetModuleHandleA(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* module = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         module->Name; ++module) {
        if (::lstrcmpiA(reinterpret_cast<const char*>(base + module->Name), "kernel32.dll") != 0) {
            continue;
        }
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(
            base + (module->OriginalFirstThunk ? module->OriginalFirstThunk : module->FirstThunk));
        auto* entries = reinterpret_cast<IMAGE_THUNK_DATA*>(base + module->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++entries) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) {
                continue;
            }
            const auto* named =
                reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(named->Name), function) == 0) {
                slots.push_back(reinterpret_cast<void**>(&entries->u1.Function));
            }
        }
    }
    return slots;
}

void Patch(void** slot, void* value) {
    DWORD protection = 0;
    ::VirtualProtect(slot, sizeof(void*), PAGE_READWRITE, &protection);
    *slot = value;
    ::VirtualProtect(slot, sizeof(void*), protection, &protection);
}

struct Hook {
    const char* name;
    void* replacement;
    void** original;
};

const Hook kHooks[] = {
    {"CreateFileA", reinterpret_cast<void*>(HookCreateFileA),
     reinterpret_cast<void**>(&g_createFile)},
    {"WriteFile", reinterpret_cast<void*>(HookWriteFile), reinterpret_cast<void**>(&g_writeFile)},
    {"FlushFileBuffers", reinterpret_cast<void*>(HookFlushFileBuffers),
     reinterpret_cast<void**>(&g_flush)},
    {"SetEndOfFile", reinterpret_cast<void*>(HookSetEndOfFile),
     reinterpret_cast<void**>(&g_setEnd)},
    {"CloseHandle", reinterpret_cast<void*>(HookCloseHandle), reinterpret_cast<void**>(&g_close)},
    {"MoveFileExA", reinterpret_cast<void*>(HookMoveFileExA), reinterpret_cast<void**>(&g_moveEx)},
    {"MoveFileA", reinterpret_cast<void*>(HookMoveFileA), reinterpret_cast<void**>(&g_move)},
    {"DeleteFileA", reinterpret_cast<void*>(HookDeleteFileA), reinterpret_cast<void**>(&g_delete)},
};

} // namespace

Win32FileRecording::Win32FileRecording(PowerCutRecorder& recorder)
    : state_(std::make_unique<State>()) {
    if (g_recorder) {
        throw std::logic_error("one recording of the platform's file calls at a time");
    }
    g_recorder = &recorder;
    g_handles = &state_->handles;
    for (const Hook& hook : kHooks) {
        for (void** slot : ImportSlots(hook.name)) {
            state_->patched.push_back({slot, *slot});
            *hook.original = *slot;
            Patch(slot, hook.replacement);
        }
        if (!*hook.original) {
            // Not imported at all: nothing here calls it.
            *hook.original = reinterpret_cast<void*>(
                ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), hook.name));
        }
    }
}

Win32FileRecording::~Win32FileRecording() {
    for (const Patched& patched : state_->patched) {
        Patch(patched.slot, patched.original);
    }
    g_handles = nullptr;
    g_recorder = nullptr;
}

namespace {

DWORD g_ticks = 0;
unsigned g_step = 0;

DWORD WINAPI SteppedTickCount() {
    g_ticks += g_step;
    return g_ticks;
}

} // namespace

SteppedClock::SteppedClock(unsigned step) {
    g_ticks = 0x10000;
    g_step = step;
    for (void** slot : ImportSlots("GetTickCount")) {
        patched_.emplace_back(slot, *slot);
        Patch(slot, reinterpret_cast<void*>(SteppedTickCount));
    }
}

SteppedClock::~SteppedClock() {
    for (const auto& [slot, original] : patched_) {
        Patch(slot, original);
    }
}
