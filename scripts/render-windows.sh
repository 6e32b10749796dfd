#!/bin/bash
# Pictures of the plug-in's main dialog, log window, archive viewer and
# About dialog, drawn by Wine under a virtual display, as PNG files for a
# person to look at.
#
#     bash scripts/render-windows.sh [OUTPUT_DIR]     (default build/pictures)
set -euo pipefail
cd "$(dirname "$0")/.."

build="${STOWLARK_BUILD_DIR:-build}"
out="$(realpath -m "${1:-$build/pictures}")"

cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw32.cmake >/dev/null
cmake --build "$build" --target render_windows
rm -rf "$out"
mkdir -p "$out"
export STOWLARK_WINEPREFIX="$PWD/$build/wineprefix"
WINEPREFIX="$STOWLARK_WINEPREFIX" wineserver -k 2>/dev/null || true
windows_out="Z:$(printf %s "$out" | tr / '\\')"
xvfb-run -a -s "-screen 0 1280x1024x24" \
    bash -c '"$@"; status=$?; WINEPREFIX="$STOWLARK_WINEPREFIX" wineserver -w; exit $status' _ \
    scripts/wine-run.sh "$build/bin/render_windows.exe" "$windows_out"

python3 - "$out" <<'PY'
import struct, sys, zlib
from pathlib import Path

def bmp_to_png(bmp, png):
    data = bmp.read_bytes()
    offset, = struct.unpack_from("<I", data, 10)
    width, height, _, bits = struct.unpack_from("<iiHH", data, 18)
    assert bits == 24, "expected a 24-bit picture"
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(abs(height)):
        source = height - 1 - y if height > 0 else y
        row = data[offset + source * stride: offset + source * stride + width * 3]
        rgb = bytearray(row)
        rgb[0::3], rgb[2::3] = row[2::3], row[0::3]
        rows.append(b"\0" + bytes(rgb))
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    png.write_bytes(b"\x89PNG\r\n\x1a\n"
                    + chunk(b"IHDR", struct.pack(">IIBBBBB", width, abs(height), 8, 2, 0, 0, 0))
                    + chunk(b"IDAT", zlib.compress(b"".join(rows), 9))
                    + chunk(b"IEND", b""))

for bmp in sorted(Path(sys.argv[1]).glob("*.bmp")):
    png = bmp.with_suffix(".png")
    bmp_to_png(bmp, png)
    bmp.unlink()
    print(f"wrote {png}")
PY
