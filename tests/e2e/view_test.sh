#!/usr/bin/env bash
# sivarta-view against the registered control: the PARAM bag reaches the
# control before activation, the object size follows the params or --size,
# an unreachable data host still ends in ReadyInfo, and bad command lines or
# an unknown ProgID fail with a clear message and a non-zero status.
#   tests/e2e/view_test.sh BUILD/win64
set -uo pipefail
win64="$(cd "${1:?usage: view_test.sh WIN64_BUILD_DIR}" && pwd)"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
export SIVARTA_BUILD="$(dirname "$win64")"
data_tool="$SIVARTA_BUILD/native/bin/sivarta-data"
view="$win64/bin/sivarta-view.exe"
[ -x "$data_tool" ] && [ -f "$view" ] || { echo "FAIL: build native and win64 first"; exit 1; }

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
wine_run="$root/scripts/wine-run"
png_size() { python3 -c "import struct,sys; d=open(sys.argv[1],'rb').read(24); print('%dx%d' % struct.unpack('>II', d[16:24]))" "$1"; }
# The RGB colour at (x, y) of a PNG (colour type 2 or 6, 8 bits, filters undone).
png_pixel() {
  python3 - "$@" <<'EOF'
import struct, sys, zlib
path, x, y = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
data, pos, idat = open(path, "rb").read(), 8, b""
while pos < len(data):
    n, kind = struct.unpack(">I4s", data[pos:pos + 8])
    if kind == b"IHDR": w, h, _, ctype = struct.unpack(">IIBB", data[pos + 8:pos + 18])
    if kind == b"IDAT": idat += data[pos + 8:pos + 8 + n]
    pos += 12 + n
bpp = 3 if ctype == 2 else 4
raw, stride, prev = zlib.decompress(idat), w * bpp, bytearray(w * bpp)
for row in range(y + 1):
    f, line = raw[row * (stride + 1)], bytearray(raw[row * (stride + 1) + 1:(row + 1) * (stride + 1)])
    for i in range(stride):
        a = line[i - bpp] if i >= bpp else 0
        b, c = prev[i], (prev[i - bpp] if i >= bpp else 0)
        p = a + b - c
        pred = [0, a, b, (a + b) // 2, a if abs(p - a) <= abs(p - b) and abs(p - a) <= abs(p - c) else b if abs(p - b) <= abs(p - c) else c][f]
        line[i] = (line[i] + pred) & 255
    prev = line
print("%d,%d,%d" % tuple(prev[x * bpp:x * bpp + 3]))
EOF
}

"$data_tool" sample --root "$work/data" --code 005930 --code 000660 --date 20240105 >/dev/null
"$data_tool" serve --root "$work/data" --port 0 >"$work/serve.log" 2>&1 &
server_pid=$!
for _ in $(seq 1 100); do grep -q '^serving ' "$work/serve.log" && break; sleep 0.1; done
host="$(sed -n 's|^serving .* on http://||p' "$work/serve.log")"
[ -n "$host" ] || { cat "$work/serve.log"; echo "FAIL: the data server did not start"; exit 1; }
"$wine_run" regsvr32 /s "$(sivarta_winpath "$win64/bin/SIVARTA.OCX")" || { echo "FAIL: regsvr32"; exit 1; }

# PARAMs are loaded before activation: the code and host come from the bag.
out="$(timeout 120 "$wine_run" "$view" --param "strChartUrl=$host" --param strCode=000660 --print-info \
        --snapshot "$(sivarta_winpath "$work/a.png")" 2>"$work/a.err")"
status=$?
check "a snapshot with PARAMs exits 0" [ "$status" -eq 0 ]
check "strCode from the bag picks the instrument" grep -qx 'code=000660' <<<"$out"
check "the sample date arrives" grep -qx 'date=20240105' <<<"$out"
check "the name arrives as UTF-8" grep -qx "name=$("$data_tool" dump "$work/data/sisefile/info/000660.dat" | sed -n 's/^name *//p')" <<<"$out"
check "the object has the default size 228x190" [ "$(png_size "$work/a.png")" = 228x190 ]

# Size params size the object; --size makes the page area larger than the chart,
# which keeps its property size with the control's white placeholder around it.
timeout 120 "$wine_run" "$view" --param "strChartUrl=$host" --param nsizeMainX=300 --param nsizeMainY=200 \
  --snapshot "$(sivarta_winpath "$work/b.png")" 2>/dev/null
check "nsizeMainX/Y params size the object" [ "$(png_size "$work/b.png")" = 300x200 ]
timeout 120 "$wine_run" "$view" --param "strChartUrl=$host" --param nsizeMainX=300 --param nsizeMainY=200 \
  --size 400x250 --snapshot "$(sivarta_winpath "$work/c.png")" 2>/dev/null
check "--size wins over the params" [ "$(png_size "$work/c.png")" = 400x250 ]
corner="$(png_pixel "$work/b.png" 299 199)"
check "the chart's corner is not the placeholder white" [ -n "$corner" ] && [ "$corner" != 255,255,255 ]
check "the chart keeps 300x200 inside the larger object" [ "$(png_pixel "$work/c.png" 299 199)" = "$corner" ]
check "outside the chart is the white placeholder (390,5)" [ "$(png_pixel "$work/c.png" 390 5)" = 255,255,255 ]

# An unreachable data host: the failure box is answered, ReadyInfo still comes,
# and the info is empty.
out="$(timeout 120 "$wine_run" "$view" --param strChartUrl=127.0.0.1:1 --print-info \
        --snapshot "$(sivarta_winpath "$work/d.png")" 2>"$work/d.err")"
status=$?
check "an unreachable host still ends in ReadyInfo (exit 0)" [ "$status" -eq 0 ]
check "the failure box is reported" grep -q 'the control said: fail Loading Datafile!' "$work/d.err"
check "no info without a server" grep -qx 'code=' <<<"$out"
check "zero date without a server" grep -qx 'date=0' <<<"$out"

# Command-line and registration errors.
timeout 60 "$wine_run" "$view" --bogus >/dev/null 2>"$work/e.err"
check "an unknown option exits 2" [ $? -eq 2 ]
check "and names the option" grep -q "unknown option '--bogus'" "$work/e.err"
timeout 60 "$wine_run" "$view" --size 0x10 >/dev/null 2>&1
check "a zero size exits 2" [ $? -eq 2 ]
timeout 60 "$wine_run" "$view" --progid No.Such.Control --snapshot "$(sivarta_winpath "$work/f.png")" >/dev/null 2>"$work/f.err"
check "an unknown ProgID exits 3" [ $? -eq 3 ]
check "and says to register SIVARTA.OCX" grep -q 'SIVARTA.OCX is not registered: run' "$work/f.err"

[ $failures -eq 0 ] && echo "view_test: passed" || { echo "view_test: $failures failed"; exit 1; }
