// The automation constants the date parsers name, for the native fuzz build.
#pragma once

#include <windows.h>

#define VAR_DATEVALUEONLY ((DWORD)0x00000002)
