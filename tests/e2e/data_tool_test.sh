#!/usr/bin/env bash
# sivarta-data end to end: sample two codes, dump them back, serve them and
# check answers, escapes and a clean stop. Argument: the win64 build folder
# (the native tool lives beside it).
set -uo pipefail
tool="$(cd "$1/.." && pwd)/native/bin/sivarta-data"
[ -x "$tool" ] || { echo "SKIP-FAIL: $tool not built (scripts/build native)"; exit 1; }

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

root="$work/root"
"$tool" sample --root "$root" --code 005930 --code 000660 --date 20240105 >"$work/sample.out" || { echo "FAIL sample"; exit 1; }

for code in 005930 000660; do
  "$tool" dump "$root/sisefile/info/$code.dat" --code "$code" >"$work/info.$code" 2>&1
  check "$code info code" grep -qx "code    $code" "$work/info.$code"
  check "$code info accepted" grep -qx "accepted for $code" "$work/info.$code"
  "$tool" dump "$root/sisefile/Date/$code.dat" --code "$code" >"$work/data.$code" 2>&1
  check "$code 391 records" grep -q "): 391 records, 0 bytes after the last" "$work/data.$code"
  check "$code date test keeps it" grep -q "^date test: kept" "$work/data.$code"
  check "$code 392 bars" grep -q "^bars: 392 " "$work/data.$code"
done
check "Korean name round trip" grep -qx "name    삼성전자" "$work/info.005930"
check "wrong code refused" bash -c "'$tool' dump '$root/sisefile/info/005930.dat' --code 000660 | grep -q '^not accepted for 000660'"

# A second sample run with the same arguments writes the same bytes.
"$tool" sample --root "$work/again" --code 005930 --date 20240105 >/dev/null
check "sample is reproducible" cmp -s "$root/sisefile/Date/005930.dat" "$work/again/sisefile/Date/005930.dat"
check "bad code refused" bash -c "! '$tool' sample --root '$work/x' --code ../etc >/dev/null 2>&1"

# convert: a bad line is named with its field and fails; a good file round-trips.
printf 'date,time,open,high,low,close,volume\n20240105,90000,100,110,90,105,7\n20240105,90100,100,99,90,105,7\n' >"$work/bad.csv"
"$tool" convert --csv "$work/bad.csv" --code 035720 --name 카카오 --root "$work/cv" 2>"$work/convert.err"
check "convert fails on a bad line" test $? -ne 0
check "convert names file, line and field" grep -q "^$work/bad.csv:3: field high: " "$work/convert.err"
check "convert leaves no files after a failure" test ! -e "$work/cv/sisefile/info/035720.dat"
printf '20240105,90000,100,110,90,105,7\n20240105,90100,105,120,100,118,9\n' >"$work/good.csv"
"$tool" convert --csv "$work/good.csv" --code 035720 --name 카카오 --root "$work/cv" >/dev/null
"$tool" dump "$work/cv/sisefile/Date/035720.dat" --code 035720 >"$work/cv.out"
check "converted day gives 3 bars" grep -q "^bars: 3 " "$work/cv.out"
check "converted name" bash -c "'$tool' dump '$work/cv/sisefile/info/035720.dat' | grep -qx 'name    카카오'"

# Serve on a free port and wait for the ready line.
ln -s /etc "$root/sisefile/outside"
"$tool" serve --root "$root" --port 0 >"$work/serve.out" 2>&1 &
server_pid=$!
for _ in $(seq 1 100); do grep -q '^serving ' "$work/serve.out" && break; sleep 0.1; done
url="$(sed -n 's/^serving .* on \(http:[^ ]*\)$/\1/p' "$work/serve.out")"
[ -n "$url" ] || { echo "FAIL server did not start"; cat "$work/serve.out"; exit 1; }

hostport="${url#http://}"
status() {   # status PATH: prints the HTTP status, keeps the body; the path goes out exactly as given
  python3 - "$hostport" "$1" "$work/body" <<'PY'
import http.client, sys
conn = http.client.HTTPConnection(sys.argv[1], timeout=10)
conn.request("GET", sys.argv[2])
res = conn.getresponse()
open(sys.argv[3], "wb").write(res.read())
print(res.status)
PY
}
check "200 for a data file" test "$(status /sisefile/Date/005930.dat)" = 200
check "body is the file" cmp -s "$work/body" "$root/sisefile/Date/005930.dat"
check "404 for a missing file" test "$(status /sisefile/info/999999.dat)" = 404
check "404 for a folder" test "$(status /sisefile/info)" = 404
for escape in /../sample.out /sisefile/../../sample.out /%2e%2e/sample.out '/sisefile/..%5c..%5csample.out' /sisefile/outside/passwd; do
  code="$(status "$escape")"
  check "escape $escape refused ($code)" test "$code" = 403 -o "$code" = 404
done
check "one log line per request" grep -q "^GET /sisefile/info/999999.dat 404 " "$work/serve.out"

kill -TERM "$server_pid"
rc=0
wait "$server_pid" || rc=$?
server_pid=
check "stops with 0 on SIGTERM (got $rc)" test "$rc" = 0

# SIGINT too, sent right after the ready line.
"$tool" serve --root "$root" --port 0 >"$work/serve2.out" 2>&1 &
server_pid=$!
for _ in $(seq 1 100); do grep -q '^serving ' "$work/serve2.out" && break; sleep 0.1; done
kill -INT "$server_pid"
rc=0
wait "$server_pid" || rc=$?
server_pid=
check "stops with 0 on SIGINT (got $rc)" test "$rc" = 0

[ "$failures" -eq 0 ] && echo "data tool: all checks passed" || echo "data tool: $failures check(s) failed"
exit $((failures > 0))
