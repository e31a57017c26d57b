#!/usr/bin/env bash
# deploy/nginx.conf for real: Debian's nginx on loopback in front of
# sivarta-data serve. A day loads through it with the control (sivarta-view)
# and with the chart route (a second request is a cache hit), and /events
# passes through unbuffered. start_stack leaves both running with
# $front (host:port of nginx); checks for other clients go after it.
#   tests/e2e/nginx_test.sh BUILD/win64
set -uo pipefail
win64="$(cd "${1:?usage: nginx_test.sh WIN64_BUILD_DIR}" && pwd)"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
export SIVARTA_BUILD="$(dirname "$win64")"
data_tool="$SIVARTA_BUILD/native/bin/sivarta-data"
view="$win64/bin/sivarta-view.exe"
[ -x "$data_tool" ] && [ -f "$view" ] || { echo "FAIL: build native and win64 first"; exit 1; }
command -v nginx >/dev/null || [ -x /usr/sbin/nginx ] || { echo "FAIL: nginx missing (scripts/install-deps)"; exit 1; }
PATH="$PATH:/usr/sbin"

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
source "$(dirname "${BASH_SOURCE[0]}")/nginx_stack.sh"
trap 'stop_nginx; cleanup' EXIT

start_stack
echo "stack: nginx on $front in front of sivarta-data serve on $backend"

# The day files, from nginx itself.
for kind in info Date; do
  curl -s -D "$work/$kind.head" -o "$work/$kind.body" "http://$front/sisefile/$kind/005930.dat"
  check "$kind file through nginx is the file" cmp -s "$work/$kind.body" "$work/data/sisefile/$kind/005930.dat"
done
check "day files say no-cache" grep -qi '^Cache-Control: no-cache' "$work/info.head"
etag="$(sed -n 's/^ETag: *//Ip' "$work/info.head" | tr -d '\r')"
check "a day file revalidates with 304" test "$(curl -s -o /dev/null -w '%{http_code}' -H "If-None-Match: $etag" "http://$front/sisefile/info/005930.dat")" = 304

# The chart route: drawn by the server once, then from nginx's cache.
url="http://$front/chart/005930.png?w=300&h=200"
curl -s -D "$work/c1.head" -o "$work/c1.png" "$url"
curl -s -D "$work/c2.head" -o "$work/c2.png" "$url"
curl -s -o "$work/direct.png" "http://$backend/chart/005930.png?w=300&h=200"
check "the chart through nginx is the server's" cmp -s "$work/c1.png" "$work/direct.png"
check "first chart request is a miss" grep -qi '^X-Cache: MISS' "$work/c1.head"
check "second chart request is a cache hit" grep -qi '^X-Cache: HIT' "$work/c2.head"
check "the cached chart is the same" cmp -s "$work/c1.png" "$work/c2.png"

# /events through nginx: a rename of a data file arrives as an event.
curl -s -N "http://$front/events?code=000660" >"$work/events.out" &
events_pid=$!
sleep 0.5
cp "$work/data/sisefile/Date/000660.dat" "$work/data/sisefile/Date/000660.dat.new"
mv "$work/data/sisefile/Date/000660.dat.new" "$work/data/sisefile/Date/000660.dat"
for _ in $(seq 1 30); do grep -q '^data: 000660' "$work/events.out" && break; sleep 0.1; done
kill "$events_pid" 2>/dev/null
check "a change event passes nginx unbuffered" grep -q '^event: change' "$work/events.out"

# The control loads the day through nginx.
"$root/scripts/wine-run" regsvr32 /s "$(sivarta_winpath "$win64/bin/SIVARTA.OCX")" || { echo "FAIL: regsvr32"; exit 1; }
out="$(timeout 120 "$root/scripts/wine-run" "$view" --param "strChartUrl=$front" --param strCode=000660 --print-info \
        --snapshot "$(sivarta_winpath "$work/view.png")" 2>"$work/view.err")"
check "sivarta-view through nginx gets the code" grep -qx 'code=000660' <<<"$out"
check "sivarta-view through nginx gets the date" grep -qx 'date=20240105' <<<"$out"
check "the control's requests reached nginx" grep -q 'GET /sisefile/Date/000660.dat' "$work/nginx/logs/sivarta-access.log"

[ "$failures" -eq 0 ] && echo "nginx: all checks passed" || echo "nginx: $failures checks failed"
exit $(( failures > 0 ))
