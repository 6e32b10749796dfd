#!/bin/bash
# testhost.exe run as a user would: make a sample mail folder, start the host
# on it with the plug-in, pick the plug-in's command, close.
set -uo pipefail
wine_run="$1"
testhost="$2"
plugin="$3"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
data="$work/Mail"
windows_data="Z:${data//\//\\}"

fail() {
    echo "FAILED: $*"
    echo "--- output ---"
    cat "$work/out.txt" 2>/dev/null
    exit 1
}

"$wine_run" "$testhost" --make-sample "$windows_data" >"$work/out.txt" 2>&1 ||
    fail "--make-sample"
for file in In.mbx In.toc Out.mbx Trash.mbx Projects.fol/Alpha.mbx Projects.fol/Old.fol/2005.mbx \
    Attach/release-1.0-rc1.zip Embedded/chart001.gif Documents/directions.txt; do
    [ -f "$data/$file" ] || fail "the sample folder has no $file"
done
"$wine_run" "$testhost" --make-sample "$windows_data" >"$work/out.txt" 2>&1 &&
    fail "--make-sample overwrote a mail folder"

cp "$plugin" "$data/Plugins/stowlark.dll"
"$wine_run" "$testhost" --data "$windows_data" --plugin "$windows_data\\Plugins\\stowlark.dll" \
    --run-special 1 --run-config --dismiss-after 1500 --exit >"$work/out.txt" 2>&1
status=$?
[ $status -eq 0 ] || fail "the host ended with $status"
for expected in 'Special menu entry 1: "Archive Messages..." with its icon' \
    'ems_special_hook(1) -> 0' 'status line "Archive Messages."' \
    'closed Archive Messages' 'closed About Message Stowlark for Eudora'; do
    grep -qF "$expected" "$work/out.txt" || fail "no line with: $expected"
done

"$wine_run" "$testhost" --bogus >"$work/out.txt" 2>&1 && fail "an unknown option was accepted"
grep -q "usage: testhost" "$work/out.txt" || fail "no usage text for an unknown option"
echo "testhost: sample folder, plug-in command and option checks passed"
