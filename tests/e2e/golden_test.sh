#!/usr/bin/env bash
# The chart window's drawing surface matches every golden picture exactly:
# each case of tests/golden/cases.txt is drawn by sivarta-snapshot (the real
# ChartWnd replaying the core's scene with GDI) and compared pixel by pixel.
#   golden_test.sh BUILD_DIR
set -uo pipefail
build="$1"
here="$(cd "$(dirname "$0")" && pwd)"
golden="$here/../golden"
source "$here/lib.sh"
source "$here/../../scripts/lib.sh"

# The surface is as large as the screen: the full-HD case needs a screen that holds it.
screen=$(xdpyinfo 2>/dev/null | awk '/dimensions:/ {print $2}')
check "screen $screen holds 1920x1080" \
  python3 -c "import sys; w, h = map(int, '$screen'.split('x')); sys.exit(0 if w >= 1920 and h >= 1080 else 1)"

while read -r name code size props; do
  [[ -z "$name" || "$name" == \#* ]] && continue
  args=()
  for p in $props; do args+=(--prop "$p"); done
  out="$work/$name.png"
  "$SIVARTA_ROOT/scripts/wine-run" "$build/bin/sivarta-snapshot.exe" \
    --info "Z:$golden/data/sisefile/info/$code.dat" --data "Z:$golden/data/sisefile/Date/$code.dat" \
    --code "$code" --size "$size" "${args[@]}" --out "Z:$out" >/dev/null 2>&1
  check "$name matches its golden picture" python3 "$here/png_tool.py" compare "$golden/$name.png" "$out"
done < "$golden/cases.txt"

[ "$failures" -eq 0 ]
