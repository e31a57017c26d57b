#!/usr/bin/env bash
# sivarta-render and the data server's chart route end to end: every golden
# case rendered natively against the Windows surface's picture, the command's
# uses and refusals, and the route's answers (status, type, entity tags,
# hostile files). Argument: the win64 build folder (the native tools live
# beside it).
set -uo pipefail
native="$(cd "$1/.." && pwd)/native/bin"
render="$native/sivarta-render"
tool="$native/sivarta-data"
for t in "$render" "$tool"; do [ -x "$t" ] || { echo "SKIP-FAIL: $t not built (scripts/build native)"; exit 1; }; done
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
golden="$here/../golden"
source "$here/lib.sh"

# --- Parity: outside the text rectangles every pixel equals the golden one;
# inside them the share of equal pixels is reported (and must reach 95%).
while read -r name code size props; do
  [[ -z "$name" || "$name" == \#* ]] && continue
  args=()
  for p in $props; do args+=(--prop "$p"); done
  "$render" --root "$golden/data" --code "$code" --size "$size" "${args[@]}" --out "$work/$name.png" \
    --text-rects "$work/$name.rects" >/dev/null
  python3 "$here/png_tool.py" compare "$golden/$name.png" "$work/$name.png" --ignore "$work/$name.rects" >"$work/$name.cmp"
  check "$name: no pixel differs outside text ($(head -1 "$work/$name.cmp"))" test $? -eq 0
  share=$(sed -n 's/.*(\([0-9.]*\)%)$/\1/p' "$work/$name.cmp")
  [ -n "$share" ] && echo "     $name $(sed -n 2p "$work/$name.cmp")"
  check "$name: text rectangles at least 95% equal" python3 -c "import sys; sys.exit(0 if float('${share:-100}') >= 95 else 1)"
done < "$golden/cases.txt"

# Pixels of a PNG for the checks below.
pixels() {   # pixels FILE PYTHON-EXPRESSION over w, h, rows: exits 0 when true
  python3 - "$1" "$2" "$here" <<'PY'
import sys
sys.path.insert(0, sys.argv[3])
from png_tool import read_png
w, h, rows = read_png(sys.argv[1])
sys.exit(0 if eval(sys.argv[2]) else 1)
PY
}

# --- The command: the three uses.
root="$work/root"
"$tool" sample --root "$root" --code 005930 --code 000660 --date 20240105 >/dev/null
"$render" --info "$root/sisefile/info/005930.dat" --data "$root/sisefile/Date/005930.dat" --code 005930 \
  --size 300x200 --prop strType=ENG --out "$work/files.png" >"$work/files.out"
check "files: written with its bar count" grep -qx "$work/files.png: 300x200, 392 bars" "$work/files.out"
check "files: 300x200 picture" pixels "$work/files.png" "(w, h) == (300, 200)"
"$render" --root "$root" --code 005930 --out "$work/plain.png" >/dev/null
"$render" --root "$root" --code 005930 --hover 120,80 --out "$work/hover.png" >/dev/null
"$render" --root "$root" --code 005930 --hover 180,160 --out "$work/corner.png" >/dev/null
"$render" --root "$root" --code 005930 --hover 120,80 --prop nIsToolTip=0 --out "$work/notip.png" >/dev/null
crosshair="(0x3a, 0x6e, 0xa5)"; outline="(0x70, 0xa5, 0xff)"
check "hover: crosshair row through the point" pixels "$work/hover.png" "sum(p == $crosshair for p in rows[80]) > 100"
check "hover: tooltip outline below right of the point" pixels "$work/hover.png" "rows[90][130] == $outline"
check "hover: default size kept" pixels "$work/hover.png" "(w, h) == (228, 190)"
check "hover near the corner: tooltip kept inside" \
  pixels "$work/corner.png" "any(p == $outline for p in rows[189]) and any(p == $outline for p in rows[170])"
check "hover with nIsToolTip=0: crosshair, no tooltip" \
  pixels "$work/notip.png" "rows[80][120] == $crosshair and rows[90][130] != $outline"
"$render" --root "$root" --code 005930 --hover 1,1 --out "$work/outside.png" >/dev/null
check "hover outside the panes draws nothing" cmp -s "$work/outside.png" "$work/plain.png"

# --all: good codes rendered, bad ones reported, the run goes on.
cp -r "$root" "$work/all"
head -c 100 /dev/zero >"$work/all/sisefile/info/111111.dat"                 # not 128 bytes
cp "$root/sisefile/Date/005930.dat" "$work/all/sisefile/Date/111111.dat"
cp "$root/sisefile/info/005930.dat" "$work/all/sisefile/info/222222.dat"     # for another code
cp "$root/sisefile/Date/005930.dat" "$work/all/sisefile/Date/222222.dat"
cp "$root/sisefile/info/000660.dat" "$work/all/sisefile/info/bad-code.dat"
"$render" --root "$work/all" --all --out-dir "$work/pngs" --size 200x150 >"$work/all.out"
check "--all: exit 1 when a code fails" test $? -eq 1
check "--all: 005930 rendered" grep -q "^005930: $work/pngs/005930.png, 392 bars$" "$work/all.out"
check "--all: 000660 rendered" pixels "$work/pngs/000660.png" "(w, h) == (200, 150)"
check "--all: wrong length named" grep -q "^111111: not rendered: info file refused: 100 bytes, not 128$" "$work/all.out"
check "--all: other code named" grep -q "^222222: not rendered: info file refused: it is for code '005930', not 222222$" "$work/all.out"
check "--all: bad file name named" grep -q "^bad-code: not rendered: code 'bad-code'" "$work/all.out"
check "--all: summary" grep -qx "2 of 5 codes rendered" "$work/all.out"
check "--all: no picture for a failed code" test ! -e "$work/pngs/111111.png"
# However many workers draw, the report keeps name order and the pictures are the same.
for jobs in 1 3 8; do
  "$render" --root "$work/all" --all --out-dir "$work/pngs$jobs" --size 200x150 --jobs "$jobs" >"$work/all$jobs.out"
  sed "s#$work/pngs$jobs/#$work/pngs/#" "$work/all$jobs.out" >"$work/all$jobs.same"
  check "--all --jobs $jobs: the same report" cmp -s "$work/all.out" "$work/all$jobs.same"
  check "--all --jobs $jobs: the same pictures" cmp -s "$work/pngs/000660.png" "$work/pngs$jobs/000660.png"
done

# Refusals: a message, the exit status, and no picture, not even part of one.
mkfifo "$work/fifo"
head -c 200000 /dev/urandom >"$work/noise.dat"
cp "$root/sisefile/info/005930.dat" "$work/info.dat"
printf '\x01\x02' >"$work/short.dat"
refusals=(
  "2|unknown option|--root $root --code 005930 --out OUT --colour red"
  "2|--size|--root $root --code 005930 --size 4097x100 --out OUT"
  "2|--size|--root $root --code 005930 --size 0x100 --out OUT"
  "2|--size|--root $root --code 005930 --size 228 --out OUT"
  "2|not a display property|--root $root --code 005930 --prop strCode=1 --out OUT"
  "2|--prop crBoxLine|--root $root --code 005930 --prop crBoxLine=red --out OUT"
  "2|--hover|--root $root --code 005930 --hover 5 --out OUT"
  "2|--code ../x|--root $root --code ../x --out OUT"
  "2|needs --out|--root $root --code 005930"
  "2|--jobs 0|--root $root --all --out-dir $work/j --jobs 0"
  "2|--jobs 65|--root $root --all --out-dir $work/j --jobs 65"
  "2|--jobs goes with --all|--root $root --code 005930 --jobs 2 --out OUT"
  "2|--info and --data go together|--info $work/info.dat --code 005930 --out OUT"
  "1|No such file|--root $root --code 123456 --out OUT"
  "1|not a regular file|--info $work/fifo --data $work/noise.dat --code 005930 --out OUT"
  "1|not a regular file|--info $work --data $work/noise.dat --code 005930 --out OUT"
  "1|info file refused: more than 128 bytes|--info $work/noise.dat --data $work/noise.dat --code 005930 --out OUT"
  "1|data file refused: its date|--info $work/info.dat --data $work/noise.dat --code 005930 --out OUT"
  "1|data file refused: no whole record|--info $work/info.dat --data $work/short.dat --code 005930 --out OUT"
  "1|cannot write|--root $root --code 005930 --out $work/no/such/folder/x.png"
)
for row in "${refusals[@]}"; do
  IFS='|' read -r want message argv <<<"$row"
  mkdir -p "$work/out"
  rc=0
  timeout 20 "$render" ${argv//OUT/$work/out/x.png} >/dev/null 2>"$work/err" || rc=$?
  check "refused ($want): $argv" test "$rc" = "$want"
  check "  says '$message'" grep -q -- "$message" "$work/err"
  check "  leaves no file" test -z "$(ls -A "$work/out")"
done

# --- The chart route.
"$tool" serve --root "$root" --port 0 --chart-workers 2 --chart-cache 1 >"$work/serve.out" 2>&1 &
server_pid=$!
for _ in $(seq 1 100); do grep -q '^serving ' "$work/serve.out" && break; sleep 0.1; done
url="$(sed -n 's/^serving .* on \(http:[^ ]*\)$/\1/p' "$work/serve.out")"
[ -n "$url" ] || { echo "FAIL server did not start"; cat "$work/serve.out"; exit 1; }
hostport="${url#http://}"
get() {   # get PATH [IF-NONE-MATCH]: prints "STATUS TYPE ETAG", keeps the body
  python3 - "$hostport" "$1" "$work/body" "${2:-}" <<'PY'
import http.client, sys
conn = http.client.HTTPConnection(sys.argv[1], timeout=20)
conn.request("GET", sys.argv[2], headers={"If-None-Match": sys.argv[4]} if sys.argv[4] else {})
res = conn.getresponse()
open(sys.argv[3], "wb").write(res.read())
print(res.status, res.getheader("Content-Type", "-"), res.getheader("ETag", "-"))
PY
}
read -r status type etag <<<"$(get '/chart/005930.png?w=300&h=200&strtype=ENG')"
check "route: 200 ($status)" test "$status" = 200
check "route: image/png ($type)" test "$type" = image/png
check "route: the command's picture" cmp -s "$work/body" "$work/files.png"
check "route: quoted entity tag ($etag)" grep -qE '^"[0-9a-f]{16}"$' <<<"$etag"
read -r status _ etag2 <<<"$(get '/chart/005930.png?STRTYPE=ENG&h=200&W=300')"
check "route: same options, same tag" test "$status $etag2" = "200 $etag"
read -r status _ _ <<<"$(get '/chart/005930.png?w=300&h=200&strType=ENG' "$etag")"
check "route: If-None-Match gives 304 ($status)" test "$status" = 304
check "route: 304 has no body" test ! -s "$work/body"
read -r status _ _ <<<"$(get '/chart/005930.png?w=300&h=200&strType=ENG' "\"0000000000000000\", W/$etag")"
check "route: tag in a list gives 304 ($status)" test "$status" = 304
read -r status _ etag3 <<<"$(get '/chart/005930.png?w=300&h=200')"
check "route: other options, other tag" test "$status" = 200 -a "$etag3" != "$etag"
touch -d '2001-01-01' "$root/sisefile/Date/005930.dat"
read -r status _ etag4 <<<"$(get '/chart/005930.png?w=300&h=200&strType=ENG' "$etag")"
check "route: a changed file gives a new picture ($status)" test "$status" = 200 -a "$etag4" != "$etag"

cp "$work/all/sisefile/info/111111.dat" "$root/sisefile/info/111111.dat"
cp "$root/sisefile/Date/005930.dat" "$root/sisefile/Date/111111.dat"
mkfifo "$root/sisefile/info/333333.dat"; cp "$root/sisefile/Date/005930.dat" "$root/sisefile/Date/333333.dat"
mkdir -p "$work/outside/sisefile/info"; cp "$root/sisefile/info/005930.dat" "$work/outside/sisefile/info/444444.dat"
ln -s "$work/outside/sisefile/info/444444.dat" "$root/sisefile/info/444444.dat"
cp "$root/sisefile/Date/005930.dat" "$root/sisefile/Date/444444.dat"
answers=(
  "400|/chart/00593%2E.png"
  "400|/chart/.png"
  "400|/chart/005930.png?w=0"
  "400|/chart/005930.png?h=5000"
  "400|/chart/005930.png?w=abc"
  "400|/chart/005930.png?crBoxLine=red"
  "400|/chart/005930.png?strCode=000660"
  "400|/chart/005930.png?nosuch=1"
  "400|/chart/005930.png?w=100&W=200"
  "404|/chart/999999.png"
  "404|/chart/111111.png"
  "404|/chart/333333.png"
  "404|/chart/444444.png"
  "200|/chart/000660.png?crHighCandle=255&nIsCurrentBar=0"
)
for row in "${answers[@]}"; do
  IFS='|' read -r want path <<<"$row"
  read -r status type _ <<<"$(get "$path")"
  check "route: $path gives $want ($status)" test "$status" = "$want"
  [ "$want" != 200 ] && check "  with a short text body" bash -c "[ -s '$work/body' ] && [ \$(wc -c <'$work/body') -lt 200 ] && [ '$type' != image/png ]"
done
check "route: files still served" test "$(get /sisefile/info/005930.dat | cut -d' ' -f1)" = 200
kill -TERM "$server_pid"
rc=0
wait "$server_pid" || rc=$?
server_pid=
check "route: server alive to the end and stops with 0 (got $rc)" test "$rc" = 0

# --out writes only what it owns: a failing --text-rects leaves no picture.
"$render" --root "$golden/data" --code 005930 --out "$work/rects-fail.png" --text-rects "$work/no/such/dir/r.txt" \
  >/dev/null 2>"$work/rects-fail.err"
check "a failing --text-rects exits 1" test $? -eq 1
check "a failing --text-rects leaves no PNG" test ! -e "$work/rects-fail.png"
mkfifo "$work/out.fifo"
"$render" --root "$golden/data" --code 005930 --out "$work/out.fifo" >/dev/null 2>"$work/fifo.err"
check "--out onto a FIFO is refused with a message" grep -q "not a regular file" "$work/fifo.err"
check "the FIFO is still a FIFO" test -p "$work/out.fifo"

[ "$failures" -eq 0 ] && echo "render: all checks passed" || echo "render: $failures check(s) failed"
exit $((failures > 0))
