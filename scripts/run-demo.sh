#!/bin/bash
# The main job: installs what is missing, builds the plug-in, its help and
# the test host, writes a sample mail folder and starts the host on it with
# the plug-in loaded. The host then plays scripts/demo.script in the
# plug-in's real dialog: archive two mailboxes with deletion (one through a
# filter), browse an archive, restore one, close (scripts/demo-cycle.sh).
#
# Without a display it runs under a virtual one and then prints the task
# log, the messages in each mailbox before and after, what the archive
# holds (read back with sqlite3) and where the pictures of each step are.
# With a display you watch the same cycle, and the host stays open for you
# afterwards; the summary follows when you close it.
set -euo pipefail
cd "$(dirname "$0")/.."

build="${STOWLARK_BUILD_DIR:-build}"
demo="$build/demo"

bash scripts/install-deps.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw32.cmake >/dev/null
cmake --build "$build" --target stowlark testhost stowlark_help dist

export STOWLARK_WINEPREFIX="$(realpath -m "$build")/wineprefix"
# Every Wine process of one prefix must see the same display: let this
# prefix's services end before the host starts on its own display.
WINEPREFIX="$STOWLARK_WINEPREFIX" wineserver -w

# Wine's helpers (the help viewer among them) end with the host; a stuck one
# is stopped rather than waited for.
end_wine='timeout 30 env WINEPREFIX="$STOWLARK_WINEPREFIX" wineserver -w ||
          WINEPREFIX="$STOWLARK_WINEPREFIX" wineserver -k'
if [ -n "${DISPLAY:-}" ]; then
    echo "Playing the demo in the plug-in's dialog on $demo/Mail; the host stays open"
    echo "afterwards (the plug-in is under Special > Archive Messages...)."
    status=0
    bash scripts/demo-cycle.sh "$build" "$demo" --stay || status=$?
    eval "$end_wine"
    exit $status
fi
echo "No display: running the host under a virtual one."
xvfb-run -a -s "-screen 0 1280x1024x24" \
    bash -c 'bash scripts/demo-cycle.sh "$1" "$2"; status=$?; '"$end_wine"'; exit $status' _ \
    "$build" "$demo"
