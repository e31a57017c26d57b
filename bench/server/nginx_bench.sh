#!/usr/bin/env bash
# The chart route through nginx (deploy/nginx.conf) on loopback: requests per
# second and the cache hit rate, with route_bench.py as the client. Prints
# numbers; never fails on time.
#   bench/server/nginx_bench.sh SIVARTA_DATA [route_bench options]
set -uo pipefail
data_tool="$(realpath "${1:?usage: nginx_bench.sh SIVARTA_DATA [options]}")"; shift
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
work="$(mktemp -d)"
server_pid=
source "$root/tests/e2e/nginx_stack.sh"
trap 'stop_nginx; [ -n "$server_pid" ] && kill "$server_pid"; rm -rf "$work"' EXIT
start_stack
python3 "$root/bench/server/route_bench.py" "$data_tool" --front "$front" "$@"
