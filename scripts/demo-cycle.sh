#!/bin/bash
# The demo's cycle on a display that is already there: writes a sample mail
# folder into DEMO_DIR, installs the built package's plug-in and help into
# it, starts the test host with the plug-in and plays scripts/demo.script in
# the plug-in's dialog, then prints the task log, the messages in each
# mailbox before and after, what the archive holds (read back with sqlite3)
# and the pictures of each step. With --stay the host stays open once the
# script has run, until the user closes it.
#
#   demo-cycle.sh BUILD_DIR DEMO_DIR [--stay]
set -uo pipefail
cd "$(dirname "$0")/.."
build="${1:?usage: demo-cycle.sh BUILD_DIR DEMO_DIR [--stay]}"
demo="${2:?usage: demo-cycle.sh BUILD_DIR DEMO_DIR [--stay]}"
stay="${3:-}"

export STOWLARK_WINEPREFIX="${STOWLARK_WINEPREFIX:-$(realpath -m "$build")/wineprefix}"
# Wine maps the Unix root to drive Z:.
windows_path() { printf 'Z:%s' "$(realpath -m "$1")" | tr / '\\'; }
mail="$(windows_path "$demo/Mail")"
host="$build/bin/testhost.exe"

rm -rf "$demo"
mkdir -p "$demo/pictures"
scripts/wine-run.sh "$host" --make-sample "$mail" || exit 1
# Work's messages name these; Trash emptied takes them from the disk, and
# the restore brings them back from the archive.
attachments=("Attach/release-1.0-rc1.zip" "Attach/Q4 figures.xls" "Attach/build.log"
             "Embedded/chart001.gif")
declare -A sum_before
for file in "${attachments[@]}"; do
    sum_before[$file]=$(sha256sum <"$demo/Mail/$file" | cut -c1-64)
done
# The host hands <mail folder>\Plugins to its plug-ins as their
# configuration directory; the plug-in and its help sit there, as a user
# installs them from the package.
cp "$build/dist/stowlark.dll" "$build/dist/stowlark.chm" "$demo/Mail/Plugins/" || exit 1

options=(--data "$mail" --plugin "$mail\\Plugins\\stowlark.dll" --run-special 1
         --script "$(windows_path scripts/demo.script)"
         --window-pictures "$(windows_path "$demo/pictures")")
[ "$stay" = "--stay" ] || options+=(--exit)
scripts/wine-run.sh "$host" "${options[@]}" 2>/dev/null | sed -u "s/\r$//" | tee "$demo/host.txt"
status=${PIPESTATUS[0]}

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
echo "== Work's attachments, emptied from Trash and back from the archive"
grep -a '^testhost: script: chose "Empty Trash"' "$demo/host.txt" | sed 's/^testhost: script: /  /'
for file in "${attachments[@]}"; do
    if [ -f "$demo/Mail/$file" ]; then
        sum=$(sha256sum <"$demo/Mail/$file" | cut -c1-64)
        verdict="different from before"
        [ "$sum" = "${sum_before[$file]}" ] && verdict="as before the archive"
        printf '  %-28s %10s bytes  sha256 %s  %s\n' "$file" "$(stat -c %s "$demo/Mail/$file")" \
            "$sum" "$verdict"
    else
        printf '  %-28s missing\n' "$file"
    fi
done
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
if [ "$status" -ne 0 ]; then
    echo "The demo did not run to its end (status $status); see $demo/host.txt"
fi
exit "$status"
