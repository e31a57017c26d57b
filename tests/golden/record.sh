#!/usr/bin/env bash
# Records the golden pictures with the Windows chart window (sivarta-snapshot)
# from a win64 build: run it only for a new case, from a build whose pictures
# are known to be right. The screen must be at least 1920x1080 so the drawing
# surface covers every case.
#   tests/golden/record.sh BUILD_DIR [CASE ...]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="$1"; shift
source "$here/../../scripts/lib.sh"
want=" $* "
while read -r name code size props; do
  [[ -z "$name" || "$name" == \#* ]] && continue
  [[ "$want" == "  " || "$want" == *" $name "* ]] || continue
  args=()
  for p in $props; do args+=(--prop "$p"); done
  "$SIVARTA_ROOT/scripts/wine-run" "$build/bin/sivarta-snapshot.exe" \
    --info "Z:$here/data/sisefile/info/$code.dat" --data "Z:$here/data/sisefile/Date/$code.dat" \
    --code "$code" --size "$size" "${args[@]}" --out "Z:$here/$name.png"
  echo "recorded $name"
done < "$here/cases.txt"
