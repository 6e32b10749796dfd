#!/bin/bash
# What an archive holds, read back with the ordinary sqlite3 tool: each
# mailbox table with its number of messages, their bytes and the mailbox
# file it came from.
set -euo pipefail
archive="${1:?usage: archive-summary.sh ARCHIVE}"
if [ ! -f "$archive" ]; then
    echo "no archive at $archive"
    exit 1
fi
echo "Archive $archive ($(stat -c %s "$archive") bytes), integrity: $(sqlite3 "$archive" 'PRAGMA integrity_check')"
sqlite3 "$archive" \
    "SELECT name FROM sqlite_master WHERE type = 'table' AND name GLOB 'Mailbox_*' ORDER BY name" |
while IFS= read -r table; do
    literal="${table//\'/\'\'}"
    identifier="${table//\"/\"\"}"
    sqlite3 -separator $'\t' "$archive" \
        "SELECT '$literal', count(*), coalesce(sum(length(CAST(message AS BLOB))), 0),
                (SELECT Value FROM MSysColumnProperties
                  WHERE TableName = '$literal' AND ColumnName = 'id' AND Property = 'Description')
           FROM \"$identifier\"" |
    while IFS=$'\t' read -r name rows bytes path; do
        printf '  %-24s %4s message(s) %8s bytes  from %s\n' "$name" "$rows" "$bytes" "$path"
    done
done
if [ "$(sqlite3 "$archive" "SELECT count(*) FROM sqlite_master WHERE name = 'MSysAttachmentContent'")" = 1 ]; then
    sqlite3 -separator $'\t' "$archive" \
        "SELECT (SELECT count(*) FROM MSysAttachmentRefs), count(*), coalesce(sum(Size), 0)
           FROM MSysAttachmentContent" |
    while IFS=$'\t' read -r refs contents bytes; do
        printf '  %-24s %4s file(s) named, %s kept, %s bytes\n' "attachments" "$refs" "$contents" "$bytes"
    done
fi
