#!/usr/bin/env bash
# The test command's checks fail on what they are for and pass otherwise:
# scripts/check-format on C++ clang-format would change, the web size budget
# above 40 KB gzip.
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$root/.clang-format" "$work/"
failures=0
expect() {  # expect WANT_RC WHAT COMMAND...
  local want="$1" what="$2"; shift 2
  "$@" >"$work/out" 2>&1
  local rc=$?
  if { [ "$want" = 0 ] && [ $rc -ne 0 ]; } || { [ "$want" != 0 ] && [ $rc -eq 0 ]; }; then
    echo "FAIL: $what (exit $rc)"; cat "$work/out"; failures=$((failures + 1))
  else
    echo "ok: $what"
  fi
}

printf 'int Twice(int x) {\n    return 2 * x;\n}\n' > "$work/formatted.cpp"
printf 'int Twice(int x){return 2*x;}\n' > "$work/squeezed.cpp"
printf '#include <windows.h>\n#include <ocidl.h>\n' > "$work/order.h"
head -c 50000 /dev/urandom > "$work/big.wasm"
printf 'export const a = 1;\n' > "$work/small.js"

expect 0 "a formatted file passes" "$root/scripts/check-format" "$work/formatted.cpp"
expect 1 "an unformatted file fails" "$root/scripts/check-format" "$work/formatted.cpp" "$work/squeezed.cpp"
expect 0 "include order is left as written" "$root/scripts/check-format" "$work/order.h"
expect 1 "a missing file fails" "$root/scripts/check-format" "$work/none.cpp"
expect 0 "small web files are within the budget" sh "$root/web/gzip_size.sh" "$work/small.js"
expect 1 "50 KB of incompressible bytes are over it" sh "$root/web/gzip_size.sh" "$work/small.js" "$work/big.wasm"
expect 1 "a missing web file fails" sh "$root/web/gzip_size.sh" "$work/none.js"

[ $failures -eq 0 ] && echo "checks: all passed" || { echo "checks: $failures failed"; exit 1; }
