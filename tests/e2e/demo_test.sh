#!/usr/bin/env bash
# The headless demo from end to end: sample data, the data server on a test
# port, registration, sivarta-view with the real control. Checks the two PNGs
# pixel by pixel (size, strip, candles, crosshair and tooltip) and the printed
# info against the sample info file.
#   tests/e2e/demo_test.sh BUILD/win64
set -euo pipefail
win64="$(cd "${1:?usage: demo_test.sh WIN64_BUILD_DIR}" && pwd)"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
export SIVARTA_BUILD="$(dirname "$win64")"

fail() { echo "FAIL: $*" >&2; exit 1; }

# A free loopback port at 18000 or above, so a running demo on 8949 is never hit.
port=$(python3 - <<'EOF'
import random, socket
for _ in range(200):
    p = random.randint(18000, 28999)
    s = socket.socket()
    try:
        s.bind(("127.0.0.1", p)); print(p); break
    except OSError:
        pass
    finally:
        s.close()
EOF
)
[ -n "$port" ] || fail "no free port"

out="$(mktemp)"; err="$(mktemp)"
trap 'rm -f "$out" "$err"' EXIT
if ! "$root/scripts/demo" --headless --port "$port" >"$out" 2>"$err"; then
  cat "$out" "$err" >&2
  fail "scripts/demo --headless exited non-zero"
fi
cat "$out"

mapfile -t shots < <(sed -n 's/^snapshot: //p' "$out")
[ ${#shots[@]} -eq 3 ] || fail "expected three 'snapshot:' lines, got ${#shots[@]}"
# The native renderer draws what the control shows, pixel for pixel.
python3 "$(dirname "${BASH_SOURCE[0]}")/png_tool.py" compare "${shots[0]}" "${shots[2]}" \
  || fail "${shots[2]} differs from the control's ${shots[0]}"
grep -q "^serving .* on http://127.0.0.1:$port\$" "$out" || fail "the server's ready line for port $port is missing"
# The server must be gone once the demo has ended.
if python3 -c "import socket,sys; s=socket.socket(); sys.exit(0 if s.connect_ex(('127.0.0.1',$port))==0 else 1)"; then
  fail "the data server still listens on $port after the demo"
fi

# The info lines against the sample day's info file, decoded by sivarta-data.
dump="$("$SIVARTA_BUILD/native/bin/sivarta-data" dump "$SIVARTA_BUILD/demo-data/sisefile/info/005930.dat")"
field() { awk -v k="$1" '$1 == k { sub(/^[^ ]+ +/, ""); print; exit }' <<<"$dump"; }
declare -A want=([code]="$(field code)" [name]="$(field name)" [date]="$(field date)"
                 [time]="$(field time)" [current]="$(field current)" [change]="$(field change)")
for key in code name date time current change; do
  got="$(sed -n "s/^$key=//p" "$out")"
  [ -n "${want[$key]}" ] || fail "sivarta-data dump gave no $key"
  [ "$got" = "${want[$key]}" ] || fail "$key: printed '$got', the info file holds '${want[$key]}'"
done

PYTHONPATH="$root/tests/e2e" python3 - "${shots[0]}" "${shots[1]}" <<'EOF'
import sys
from png_tool import read_png

STRIP, STRIP_TEXT = (223, 254, 255), (0, 49, 156)
CANDLES = {(229, 1, 23), (43, 72, 137)}
CROSSHAIR = (58, 110, 165)
W, H = 228, 190
problems = []

w, h, px = read_png(sys.argv[1])
if (w, h) != (W, H):
    problems.append(f"chart snapshot is {w}x{h}, expected {W}x{H}")
else:
    # The current-price strip: 19 rows at the top, its background above the text.
    strip = sum(px[2][x] == STRIP for x in range(W))
    if strip < W * 0.9: problems.append(f"strip row 2 has {strip}/{W} strip-colour pixels")
    text = sum(px[y][x] == STRIP_TEXT for y in range(4, 18) for x in range(W))
    if text < 30: problems.append(f"strip text colour found on {text} pixels only")
    candles = sum(px[y][x] in CANDLES for y in range(19, H * 11 // 18) for x in range(W))
    if candles < 100: problems.append(f"candle colours found on {candles} pixels only")

w2, h2, px2 = read_png(sys.argv[2])
if w2 < W or h2 < H or (w2, h2) == (W, H):
    problems.append(f"tooltip snapshot is {w2}x{h2}: it should hold the {W}x{H} chart and the tooltip beside it")
else:
    hx, hy = W // 2, H // 2
    row = sum(px2[hy][x] == CROSSHAIR for x in range(W))
    col = sum(px2[y][x] == CROSSHAIR for y in range(H) for x in range(hx - 2, hx + 3))
    if row < W // 2: problems.append(f"crosshair row {hy} has {row} crosshair pixels")
    if col < H // 3: problems.append(f"crosshair column near x={hx} has {col} crosshair pixels")
    tip = sum(px2[y][x] == STRIP for y in range(h2) for x in range(w2) if x >= W or y >= H)
    if tip < 100: problems.append(f"tooltip background outside the chart: {tip} pixels")

for p in problems: print("FAIL:", p, file=sys.stderr)
sys.exit(1 if problems else 0)
EOF
echo "demo_test: passed"
