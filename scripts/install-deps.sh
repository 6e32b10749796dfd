#!/bin/bash
# Installs the cross toolchain, Wine and the test tools on Debian 12 (amd64), as root;
# clang and its sanitizer and libFuzzer runtimes for the native fuzz build.
# Safe to run again: every step checks first and changes nothing when all is there.
set -euo pipefail

PACKAGES=(
    g++-mingw-w64-i686 binutils-mingw-w64-i686
    wine wine32:i386 wine64
    cmake ninja-build googletest build-essential dpkg-dev xz-utils tcl
    xvfb xauth imagemagick x11-apps fonts-wine clang-format sqlite3 fp-utils
    mdbtools libcommons-lang3-java libcommons-logging-java python3
    clang-14 libclang-rt-14-dev
)

missing=()
for p in "${PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

have_sources() {
    ls /var/lib/apt/lists/*Sources* >/dev/null 2>&1
}

if [ ${#missing[@]} -eq 0 ] && have_sources; then
    echo "install-deps.sh: all dependencies present"
    exit 0
fi
if [ "$(id -u)" -ne 0 ]; then
    echo "install-deps.sh: missing ${missing[*]:-source package lists}; run as root" >&2
    exit 1
fi

need_update=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
    need_update=1
fi

# The SQLite amalgamation is generated from Debian's source package, so apt
# needs deb-src entries. They are copied from the machine's own deb822 file
# so that no mirror is named here.
src_list=/etc/apt/sources.list.d/stowlark-src.sources
if [ ! -f "$src_list" ]; then
    base=""
    for f in /etc/apt/sources.list.d/debian.sources /etc/apt/sources.list.d/*.sources; do
        if [ -f "$f" ] && grep -q '^Types:.*\bdeb\b' "$f" && grep -qi 'debian' "$f"; then
            base="$f"
            break
        fi
    done
    if [ -n "$base" ]; then
        if ! grep -q '^Types:.*deb-src' "$base"; then
            sed -e 's/^Types:.*/Types: deb-src/' "$base" >"$src_list"
            need_update=1
        fi
    elif [ -f /etc/apt/sources.list ] && ! grep -q '^deb-src' /etc/apt/sources.list; then
        sed -n 's/^deb /deb-src /p' /etc/apt/sources.list >/etc/apt/sources.list.d/stowlark-src.list
        need_update=1
    fi
fi

if [ ${#missing[@]} -gt 0 ] || [ $need_update -eq 1 ] || ! have_sources; then
    apt-get update
fi

if [ ${#missing[@]} -gt 0 ]; then
    DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends --no-upgrade "${PACKAGES[@]}"
fi
echo "install-deps.sh: all dependencies present"
