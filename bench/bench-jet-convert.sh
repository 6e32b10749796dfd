#!/bin/bash
# Makes a Jet archive of 100,000 messages of about 5 KB in two tables with the
# separate Jet writer (make-jet-archive.sh of the shared/jet folder beside the
# clone), times mdbtools reading both tables, then converts it with
# bench_jet_convert.exe under the build tree's Wine prefix.
#   bench/bench-jet-convert.sh [MESSAGES]
set -euo pipefail
source_dir="$(cd "$(dirname "$0")/.." && pwd)"
writer="${JET_WRITER:-$source_dir/../shared/jet/make-jet-archive.sh}"
messages="${1:-100000}"
[ -x "$writer" ] || [ -f "$writer" ] || { echo "no Jet writer at $writer"; exit 1; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

python3 - "$messages" >"$work/rows.txt" <<'PY'
import base64, sys
def f(v): return base64.b64encode(str(v).encode("utf-8")).decode("ascii")
words = "archive mailbox message restore filter caf\u00e9 na\u00efve "
count = int(sys.argv[1])
for i in range(count):
    table, path = ("Mailbox_In", "C:\\Mail\\In.mbx") if i % 2 == 0 else ("Mailbox_Old", "C:\\Mail\\Old.mbx")
    head = "From: sender%d@example.com\r\nSubject: Report %d\r\n\r\n" % (i, i)
    body = (words * 90)[i % 40:][:5000 - len(head)]
    text = head + body
    print(" ".join(f(v) for v in [table, path, i, 1, "Normal", "sender%d@example.com" % i,
                                  "Mon 03/05/2007 10:00", len(text) // 1000, "Report %d" % i,
                                  "bob@example.net", text]))
PY
echo "making the Jet archive ($messages messages)..."
sh "$writer" "$work/rows.txt" "$work/archive.mdb" >/dev/null
rm "$work/rows.txt"
ls -l "$work/archive.mdb"

start=$(date +%s.%N)
mdb-export "$work/archive.mdb" Mailbox_In >/dev/null
mdb-export "$work/archive.mdb" Mailbox_Old >/dev/null
export_seconds=$(echo "$(date +%s.%N) - $start" | bc)

STOWLARK_WINEPREFIX="$source_dir/build/wineprefix" "$source_dir/scripts/wine-run.sh" \
    "$source_dir/build/bin/bench_jet_convert.exe" "Z:$(printf '%s' "$work/archive.mdb" | tr '/' '\\')" \
    "$export_seconds"
