#!/bin/bash
# An archive written by the layer must read as plain text in the ordinary
# sqlite3 tool: nine columns, UTF-8 text, nothing left beside the file.
set -euo pipefail
writer="${1:?usage: check-sqlite-cli.sh db_sample_archive.exe wineprefix source_dir}"
prefix="${2:?}"
source_dir="${3:?}"

if [ ! -x /usr/bin/sqlite3 ]; then
    echo "sqlite3 command-line tool not installed; skipping"
    exit 0
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
archive="$work/archive.mdb"

STOWLARK_WINEPREFIX="$prefix" "$source_dir/scripts/wine-run.sh" "$writer" \
    "Z:$(printf '%s' "$archive" | tr '/' '\\')"

leftovers="$(cd "$work" && ls)"
if [ "$leftovers" != "archive.mdb" ]; then
    echo "files beside the archive: $leftovers"
    exit 1
fi

table='Mailbox_Café_SPACE_(old)'
columns="$(sqlite3 "$archive" "SELECT group_concat(name || ' ' || type, ', ') FROM pragma_table_info('$table')")"
expected='id INTEGER, S INTEGER, P TEXT, From TEXT, Date TEXT, Size INTEGER, Subject TEXT, To TEXT, message TEXT'
if [ "$columns" != "$expected" ]; then
    echo "columns: $columns"
    echo "expected: $expected"
    exit 1
fi

row="$(sqlite3 -separator '|' "$archive" "SELECT id, \"From\", Subject, \"To\", message FROM \"$table\"")"
expected_row="$(printf '70000|René <rene@example.com>|Grüße € 5|Zoë <zoe@example.com>|Subject: Grüße\r\n\r\nCafé au lait.')"
if [ "$row" != "$expected_row" ]; then
    echo "row: $row"
    echo "expected: $expected_row"
    exit 1
fi

echo "sqlite3 reads the nine columns and their text"
