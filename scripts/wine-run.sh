#!/bin/bash
# Runs one Windows program under 32-bit Wine in the build tree's own prefix.
# Used as CMake's cross-compiling emulator, so ctest starts every test through it.
set -euo pipefail

: "${STOWLARK_WINEPREFIX:?set STOWLARK_WINEPREFIX to the Wine prefix of the build tree}"
export WINEPREFIX="$STOWLARK_WINEPREFIX"
export WINEARCH=win32
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko install prompts; a test that needs either sets its own value.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

prepare_prefix() {
    if [ -f "$WINEPREFIX/.stowlark-ready" ]; then
        return
    fi
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1 || true
    # A crashing test must fail, not wait forever for a click on the crash box.
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    # Without a window manager (Xvfb) managed windows stall about 2 s on destruction.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.stowlark-ready"
}

mkdir -p "$(dirname "$WINEPREFIX")"
(
    flock 9
    prepare_prefix
) 9>"$WINEPREFIX.lock"

# Start Wine's background services with their output closed; otherwise they
# inherit the test's pipes and ctest waits for them after every test.
wine cmd.exe /c exit 0 >/dev/null 2>&1 </dev/null || true

exec wine "$@"
