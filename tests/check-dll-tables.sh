#!/bin/bash
# The host finds the plug-in's calls by their plain names, and the library
# must load on a machine that has nothing but Windows itself.
set -euo pipefail
dll="${1:?usage: check-dll-tables.sh stowlark.dll}"
objdump=i686-w64-mingw32-objdump

table="$($objdump -p "$dll")"
exports="$(printf '%s\n' "$table" | sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' |
    sed -n 's/^[[:space:]]*\[ *[0-9]*\] //p' | sort)"
expected="$(printf '%s\n' ems_free ems_plugin_config ems_plugin_finish ems_plugin_init \
    ems_plugin_version ems_special_hook ems_special_info)"
if [ "$exports" != "$expected" ]; then
    echo "exports differ from the seven entry points:"
    diff <(printf '%s\n' "$expected") <(printf '%s\n' "$exports") || true
    exit 1
fi

system_dlls='^(kernel32|user32|gdi32|advapi32|shell32|ole32|oleaut32|comctl32|comdlg32|version|msvcrt|shlwapi|uxtheme|winmm|rpcrt4|urlmon)\.dll$'
status=0
while read -r name; do
    if ! printf '%s\n' "$name" | tr 'A-Z' 'a-z' | grep -Eq "$system_dlls"; then
        echo "imports a non-system library: $name"
        status=1
    fi
done < <(printf '%s\n' "$table" | sed -n 's/^[[:space:]]*DLL Name: //p')
[ $status -eq 0 ] && echo "exports: the seven entry points; imports: system libraries only"
exit $status
