#!/bin/bash
# The main job: installs what is missing, builds the plug-in, its help and
# the test host, writes a sample mail folder and starts the host on it with
# the plug-in loaded. The host then plays scripts/demo.script in the
# plug-in's real dialog: archive two mailboxes with deletion (one through a
# filter), browse an archive, restore one, close.
#
# Without a display it runs under a virtual one and then prints the task
# log, what the archive holds (read back with sqlite3) and where the
# pictures of each step are. With a display you watch the same cycle, and
# the host stays open for you afterwards; the summary follows when you
# close it.
set -euo pipefail
cd "$(dirname "$0")/.."

build="${STOWLARK_BUILD_DIR:-build}"

bash scripts/install-deps.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw32.cmake >/dev/null
cmake --build "$build" --target stowlark testhost stowlark_help dist

demo="$PWD/$build/demo"
rm -rf "$demo"
mkdir -p "$demo/pictures"
export STOWLARK_WINEPREFIX="$PWD/$build/wineprefix"
# Wine maps the Unix root to drive Z:.
windows_path() { printf 'Z:%s' "$1" | tr / '\\'; }
mail="$(windows_path "$demo/Mail")"
host="$build/bin/testhost.exe"

scripts/wine-run.sh "$host" --make-sample "$mail"
# The host hands <mail folder>\Plugins to its plug-ins as their
# configuration directory; the plug-in and its help sit there, as a user
# installs them from the package.
cp "$build/dist/stowlark.dll" "$build/dist/stowlark.chm" "$demo/Mail/Plugins/"
# Every Wine process of one prefix must see the same display: let this
# one's services end before the host starts on its own display.
WINEPREFIX="$STOWLARK_WINEPREFIX" wineserver -w

run_host=(scripts/wine-run.sh "$host" --data "$mail" --plugin "$mail\\Plugins\\stowlark.dll"
          --run-special 1 --script "$(windows_path "$PWD/scripts/demo.script")"
          --window-pictures "$(windows_path "$demo/pictures")")
# Wine's own helpers (the help viewer among them) end with the host; a
# stuck one is stopped rather than waited for.
end_wine='timeout 30 env WINEPREFIX="$STOWLARK_WINEPREFIX" wineserver -w ||
          WINEPREFIX="$STOWLARK_WINEPREFIX" wineserver -k'

status=0
if [ -n "${DISPLAY:-}" ]; then
    echo "Starting the host on $demo/Mail and playing the demo in the plug-in's dialog;"
    echo "the host stays open afterwards (the plug-in is under Special > Archive Messages...)."
    "${run_host[@]}" 2>/dev/null | tee "$demo/host.txt" || status=$?
else
    echo "No display: running the host under a virtual one."
    xvfb-run -a -s "-screen 0 1280x1024x24" \
        bash -c '"$@"; status=$?; '"$end_wine"'; exit $status' _ \
        "${run_host[@]}" --exit 2>/dev/null | tee "$demo/host.txt" || status=$?
fi

echo
echo "== The task log ($demo/Mail/Plugins/stowlark.log)"
if [ -f "$demo/Mail/Plugins/stowlark.log" ]; then
    tr -d '\r' <"$demo/Mail/Plugins/stowlark.log"
fi
echo
echo "== Messages in each mailbox, before -> after"
awk '/^testhost: script: (before|after): / {
        when = $3; sub(/:$/, "", when)
        count = $NF; name = $0
        sub(/^testhost: script: [a-z]+: /, "", name); sub(/ [^ ]*$/, "", name)
        if (!(name in seen)) { seen[name] = 1; order[++n] = name }
        counts[name, when] = count
     }
     END { for (i = 1; i <= n; ++i) {
               name = order[i]
               before = ((name, "before") in counts) ? counts[name, "before"] : "-"
               after = ((name, "after") in counts) ? counts[name, "after"] : "-"
               printf "  %-22s %5s -> %s\n", name, before, after } }' "$demo/host.txt"
echo
echo "== The archive"
bash scripts/archive-summary.sh "$demo/Mail/Plugins/archive.mdb" || status=1
echo
echo "== Pictures of each step"
for picture in "$demo"/pictures/*.bmp; do
    [ -e "$picture" ] || continue
    convert "$picture" "${picture%.bmp}.png" && rm "$picture"
    echo "  ${picture%.bmp}.png"
done
if [ $status -ne 0 ]; then
    echo "The demo did not run to its end (status $status); see $demo/host.txt"
fi
exit $status
