#!/bin/bash
# Installs what is missing, builds the plug-in and the test host, writes a
# sample mail folder and starts the host on it with the plug-in loaded.
# With a display the host stays open for you to use; without one it runs
# under a virtual display, picks the plug-in's command, closes, and says
# what happened.
set -euo pipefail
cd "$(dirname "$0")/.."

build="${STOWLARK_BUILD_DIR:-build}"

bash scripts/install-deps.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw32.cmake >/dev/null
cmake --build "$build" --target stowlark testhost

# The host hands <mail folder>\Plugins to its plug-ins as their
# configuration directory; the plug-in sits there.
demo="$PWD/$build/demo"
rm -rf "$demo"
mkdir -p "$demo"
export STOWLARK_WINEPREFIX="$PWD/$build/wineprefix"
# Wine maps the Unix root to drive Z:.
mail="Z:$(printf %s "$demo/Mail" | tr / '\\')"
host="$build/bin/testhost.exe"

scripts/wine-run.sh "$host" --make-sample "$mail"
cp "$build/bin/stowlark.dll" "$demo/Mail/Plugins/"
# Every Wine process of one prefix must see the same display: let this
# one's services end before the host starts on its own display.
WINEPREFIX="$STOWLARK_WINEPREFIX" wineserver -w

if [ -n "${DISPLAY:-}" ]; then
    echo "Starting the host on $demo/Mail; the plug-in is under Special > Archive Messages..."
    scripts/wine-run.sh "$host" --data "$mail" --plugin "$mail\\Plugins\\stowlark.dll"
else
    echo "No display: running the host under a virtual one, picking Special > Archive Messages..."
    xvfb-run -a -s "-screen 0 1280x1024x24" \
        bash -c '"$@"; status=$?; WINEPREFIX="$STOWLARK_WINEPREFIX" wineserver -w; exit $status' _ \
        scripts/wine-run.sh "$host" --data "$mail" --plugin "$mail\\Plugins\\stowlark.dll" \
        --run-special 1 --dismiss-after 3000 --window-pictures "$mail" \
        --snapshot "$mail\\host-window.bmp" --exit
    echo "Pictures of the host window and the plug-in's windows are in $demo/Mail/"
fi
