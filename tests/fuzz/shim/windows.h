// The few Windows types and constants the parsers' headers name, for the
// native fuzz build only. It declares no conversions: a parser that calls
// the platform other than through its seam in base/ does not build here.
#pragma once

#include <cstdint>

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = unsigned int;
using INT = int;
using LONG = std::int32_t;
using ULONG = std::uint32_t;
using BOOL = int;
using WCHAR = wchar_t;
using DATE = double;
using HRESULT = std::int32_t;

#define TRUE 1
#define FALSE 0

#define CP_ACP 0
#define CP_UTF8 65001
#define WC_NO_BEST_FIT_CHARS 0x00000400

struct SYSTEMTIME {
    WORD wYear;
    WORD wMonth;
    WORD wDayOfWeek;
    WORD wDay;
    WORD wHour;
    WORD wMinute;
    WORD wSecond;
    WORD wMilliseconds;
};

// Handles as base/unique_resource.h names them; only CloseHandle is ever
// called, on the stand-in files of the fuzz build.
using HANDLE = void*;
using HMODULE = void*;
using HWND = void*;
using HMENU = void*;
using HACCEL = void*;
using HICON = void*;
using HFONT = void*;
using HBRUSH = void*;
using HPEN = void*;
using HBITMAP = void*;
using HGDIOBJ = void*;
#define INVALID_HANDLE_VALUE (reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1)))

BOOL CloseHandle(HANDLE handle);
BOOL FindClose(HANDLE handle);
BOOL FreeLibrary(HMODULE module);
BOOL DestroyWindow(HWND window);
BOOL DestroyMenu(HMENU menu);
BOOL DestroyAcceleratorTable(HACCEL accelerators);
BOOL DestroyIcon(HICON icon);
BOOL DeleteObject(HGDIOBJ object);
