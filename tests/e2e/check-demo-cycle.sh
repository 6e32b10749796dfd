#!/bin/bash
# The README's main job, less the install and the build: the demo's whole
# cycle through the plug-in's real dialog in the test host, and what it
# leaves behind.
set -uo pipefail
source_dir="${1:?usage: check-demo-cycle.sh SOURCE_DIR BUILD_DIR}"
build="${2:?}"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
out="$work/out.txt"

fail() {
    echo "FAILED: $*"
    echo "--- output ---"
    cat "$out"
    exit 1
}

bash "$source_dir/scripts/demo-cycle.sh" "$build" "$work/demo" >"$out" 2>&1 ||
    fail "the demo ended with an error"
# The transcript holds the viewer's caption in the plug-in's code page.
export LC_ALL=C
grep -q '^testhost: the script ran to its end$' "$out" || fail "the script did not run to its end"
grep -q '^testhost: script: message box' "$out" && fail "a message box came up"
for expected in \
    '^  In +12 -> 11$' '^  Work +2 -> 2$' '^  Trash +1 -> 1$' '^  Out +3 -> 3$' \
    '^  chose "Empty Trash": Emptied Trash: 3 message' \
    '^  Attach/release-1.0-rc1.zip +52433121 bytes  sha256 [0-9a-f]{64}  as before the archive$' \
    '^  Embedded/chart001.gif .* as before the archive$' \
    '^Number of Attachments Kept: 4$' '^Number of Attachments Written Back: 2$' \
    'integrity: ok$' \
    '^  Mailbox_In +1 message\(s\) +[0-9]+ bytes  from Z:.*\\Mail\\In\.mbx$' \
    '^  Mailbox_Work +0 message\(s\) +0 bytes  from Z:.*\\Mail\\Work\.mbx$' \
    '^Total number of archived messages: 2$' '^Total number of archived messages: 1$' \
    '^Task Type: Restore Selected Messages$' '^testhost: script: found: Work.* 1 of 2$' \
    '^Total number of restored messages: 1$' '^Deleted from the Archive: Yes$' \
    '^testhost: script: found: Find .* 1 message$' \
    '^testhost: script: selected: row [0-9]+ of "Work": Build Robot .*\| Nightly build failed \|' \
    '^testhost: script: picture of the screen in '; do
    grep -Eq -- "$expected" "$out" || fail "no line matching: $expected"
done
grep -q 'Subject: Deadline' "$work/demo/Mail/Found.eml" 2>/dev/null ||
    fail "the message found in the viewer was not saved to Found.eml"
pictures=$(ls "$work/demo/pictures"/*.png 2>/dev/null | wc -l)
[ "$pictures" -eq 10 ] || fail "$pictures pictures instead of 10"
echo "demo cycle: archived, browsed, restored and summarised as expected"
