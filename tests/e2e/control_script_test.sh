#!/usr/bin/env bash
# The control from VBScript and JScript under the real cscript: defaults,
# writes and read-backs, the methods before any window, StratGraph leaving its
# argument alone, and script errors (not crashes) for values of the wrong type.
#   tests/e2e/control_script_test.sh BUILD/win64
set -euo pipefail
win64="$(cd "${1:?usage: control_script_test.sh WIN64_BUILD_DIR}" && pwd)"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
export SIVARTA_BUILD="$(dirname "$win64")"
source "$root/scripts/lib.sh"
sivarta_start_display || exit 1
trap sivarta_stop_display EXIT
export LANG=ko_KR.UTF-8 LC_ALL=ko_KR.UTF-8
scripts="$root/tests/e2e/scripts"
run() { "$root/scripts/wine-run" "$@"; }

run regsvr32 /s "$(sivarta_winpath "$win64/bin/SIVARTA.OCX")" || { echo "FAIL: regsvr32"; exit 1; }

names=(strURL strCode nsizeMainX nsizeMainY crMainBackGround crValueBackGround crVolumeBackGround crBoxLine
  nIsToolTip nIsCurrentBar nsizeGapX nsizeGapY crValueText crVolumeText crTime crValueHorizonalLine
  crVolumeHorizonalLine crStick crHighCandle crLowCandle crCurrentBarBackGround crCurrentBarText
  crCurrentBarUpLine crCurrentBarDownLine crToolTipBackGround crToolTipOutLine crToolTipText strType
  strChartUrl strClickAction)
defaults=("" "" 228 190 $((0xFCF5EE)) $((0xF7FFFF)) $((0xF7FFFF)) $((0xFF6363)) 1 1 5 4 0 $((0xFF0094)) 0
  $((0xD6D6D6)) $((0xD6D6D6)) $((0xFFA570)) $((0x1701E5)) $((0x89482B)) $((0xFFFEDF)) $((0x9C3100))
  $((0xE4FFFE)) $((0xD0CFB2)) $((0xFFFEDF)) $((0xFFA570)) 0 "" "" "")

expected_vbs() {
  local i
  for i in "${!names[@]}"; do echo "default ${names[$i]}=${defaults[$i]}"; done
  cat <<'EOT'
method GetStockCode=[]
method GetStockName=[]
method GetStockDate=0
method GetStockTime=0
method GetStockCurrentga=0
method GetStockChange=0
stratgraph=005930
EOT
  for i in "${!names[@]}"; do
    case "${names[$i]}" in
      str*) echo "written ${names[$i]}=v$i ${names[$i]}" ;;
      *) echo "written ${names[$i]}=$((i * 1000 + 7))" ;;
    esac
  done
  cat <<'EOT'
negative crBoxLine=-1
numeric text nsizeMainX=321
number as text strCode=42
wrong type error=13 nsizeMainX=321
unknown name error=438
missing argument error=450
still running
EOT
}

expected_js() {
  cat <<EOT
default nsizeMainX=228
default crHighCandle=$((0x1701E5))
default strURL=[]
method GetStockCode=[]
method GetStockChange=0
stratgraph=005930
written strChartUrl=127.0.0.1:1 nIsToolTip=0 crStick=$((0x123456))
any case NSIZEMAINY=190
wrong type error=80020005 nsizeGapX=5
object error caught nsizeGapY=4
still running
EOT
}

status=0
check() {   # NAME SCRIPT EXPECTED-FUNCTION
  local got
  got="$(run cscript //nologo "$(sivarta_winpath "$2")" 2>&1 | tr -d '\r')" || true
  if diff -u <($3) <(printf '%s\n' "$got"); then
    echo "$1: output as expected"
  else
    echo "FAIL: $1 output differs (expected -, got +)"
    status=1
  fi
}
check vbscript "$scripts/control_properties.vbs" expected_vbs
check jscript "$scripts/control_properties.js" expected_js
exit $status
