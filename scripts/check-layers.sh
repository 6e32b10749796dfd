#!/bin/bash
# The plug-in's rooms form a house: each includes only itself and the rooms
# below it, so a change low down never has to know what stands above.
# Prints every include that points up and fails when there is one.
set -uo pipefail
cd "$(dirname "$0")/.."

declare -A below=(
    [plugin]="ui engine mailbox host db base res"
    [ui]="engine mailbox host db base res"
    [engine]="mailbox host db base res"
    [mailbox]="host base res"
    [host]="base res"
    [db]="base res"
    [base]="res"
    [res]=""
)

status=0
for room in "${!below[@]}"; do
    allowed=" $room ${below[$room]} "
    while IFS= read -r line; do
        target="${line#*#include \"}"
        target="${target%%/*}"
        if [[ "$allowed" != *" $target "* ]]; then
            echo "$line"
            status=1
        fi
    done < <(grep -rnE '^#include "[a-z_]+/' "$room" --include='*.h' --include='*.cpp' --include='*.rc')
done
if [ "$status" -ne 0 ]; then
    echo "FAILED: the includes above point to a room above their own"
fi
exit "$status"
