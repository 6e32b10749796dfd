#!/bin/bash
# Installs what is missing, builds the plug-in and loads it the way the host
# does, printing what each entry point answers.
set -euo pipefail
cd "$(dirname "$0")/.."

build="${STOWLARK_BUILD_DIR:-build}"

bash scripts/install-deps.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw32.cmake >/dev/null
cmake --build "$build" --target stowlark emsloader

# A host's configuration directory is <mail folder>\Plugins; the plug-in
# sits there.
demo="$PWD/$build/demo"
mkdir -p "$demo/Mail/Plugins"
cp "$build/bin/stowlark.dll" "$demo/Mail/Plugins/"

export STOWLARK_WINEPREFIX="$PWD/$build/wineprefix"
run() {
    if [ -n "${DISPLAY:-}" ]; then
        "$@"
    else
        xvfb-run -a "$@"
    fi
}
# Wine maps the Unix root to drive Z:.
config_dir="Z:$(printf %s "$demo/Mail/Plugins" | tr / '\\')"
run scripts/wine-run.sh "$build/bin/emsloader.exe" "$config_dir\\stowlark.dll" "$config_dir"
