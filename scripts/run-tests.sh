#!/bin/bash
# Installs what is missing, builds everything and runs the whole test suite
# under Wine on a virtual X display, then fuzzes the parsers of untrusted
# bytes natively for a short while. CI runs exactly this.
set -uo pipefail
cd "$(dirname "$0")/.."

build="${STOWLARK_BUILD_DIR:-build}"

bash scripts/install-deps.sh || exit 1
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw32.cmake || exit 1
cmake --build "$build" || exit 1

# Every Wine process of one prefix must see the same X display: stop any
# Wine left over from an earlier run, and run all tests under one display.
export WINEPREFIX="$PWD/$build/wineprefix"
wineserver -k >/dev/null 2>&1 || true

xvfb-run -a -s "-screen 0 1280x1024x24" \
    ctest --test-dir "$build" --output-on-failure -j2 --timeout 600
status=$?

wineserver -k >/dev/null 2>&1 || true

# The parsers under the sanitizers: 20 seconds a target, failing on any finding.
bash scripts/fuzz.sh 20
fuzz_status=$?
[ $status -eq 0 ] && status=$fuzz_status
exit $status
