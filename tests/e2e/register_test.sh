#!/usr/bin/env bash
# Self-registration through the real regsvr32: every registry value the
# module writes, a second registration leaving the same set, and
# unregistration removing the classes, the ProgID and the type library.
#   tests/e2e/register_test.sh BUILD/win64
set -euo pipefail
win64="$(cd "${1:?usage: register_test.sh WIN64_BUILD_DIR}" && pwd)"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
export SIVARTA_BUILD="$(dirname "$win64")"
source "$root/scripts/lib.sh"
sivarta_start_display || exit 1
trap sivarta_stop_display EXIT
export LANG=ko_KR.UTF-8 LC_ALL=ko_KR.UTF-8

ocx="$(sivarta_winpath "$win64/bin/SIVARTA.OCX")"
clsid='{32CE8465-2D18-4AEE-9098-837844E6E926}'
page='{613A5DE9-123F-41F4-B991-03F6B4B2A2C2}'
libid='{C73D92E2-834A-43E6-BDB5-85A1DB7FE510}'
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

run() { "$root/scripts/wine-run" "$@"; }
# The value of one entry ("" = the default value); exit 1 when it is missing.
regval() {
  local key="$1" name="$2" out
  if [ -z "$name" ]; then out="$(wine reg query "$key" /ve 2>/dev/null | tr -d '\r')" || return 1
  else out="$(wine reg query "$key" /v "$name" 2>/dev/null | tr -d '\r')" || return 1; fi
  # "    NAME    REG_SZ    VALUE" (VALUE may be empty)
  printf '%s\n' "$out" | awk -F'    ' 'NF >= 3 && $3 ~ /^REG_/ { print $4; found = 1 } END { exit !found }'
}
expect() {   # KEY NAME EXPECTED
  local got
  got="$(regval "$1" "$2")" || { fail "$1 [$2] missing"; return; }
  [ "$got" = "$3" ] || fail "$1 [$2] = '$got', expected '$3'"
}
absent() { wine reg query "$1" >/dev/null 2>&1 && fail "$1 still present" || true; }
dump() { for k in "HKCR\\CLSID\\$clsid" "HKCR\\CLSID\\$page" 'HKCR\SIVARTA.SivartaCtrl.1' "HKCR\\TypeLib\\$libid"; do
           wine reg query "$k" /s 2>/dev/null | tr -d '\r'; done; }

run regsvr32 /u /s "$ocx" >/dev/null 2>&1 || true
run regsvr32 /s "$ocx" || fail "regsvr32 /s exited $?"

path="$(regval "HKCR\\CLSID\\$clsid\\InprocServer32" "")" || fail "InprocServer32 missing"
# The short (8.3) form of the module's own path.
case "$path" in *'\SIVARTA.OCX') ;; *) fail "module path '$path' does not name SIVARTA.OCX" ;; esac
IFS='\' read -ra parts <<<"${path#*:\\}"
for p in "${parts[@]}"; do
  [[ "$p" =~ ^[^.\ ]{1,8}(\.[^.\ ]{1,3})?$ ]] || fail "path component '$p' of '$path' is not 8.3"
done

k="HKCR\\CLSID\\$clsid"
expect "$k" "" "Sivarta Control"
expect "$k\\ProgID" "" "SIVARTA.SivartaCtrl.1"
expect "$k\\InprocServer32" "ThreadingModel" "Apartment"
expect "$k\\ToolboxBitmap32" "" "$path, 1"
expect "$k\\MiscStatus" "" "0"
expect "$k\\MiscStatus\\1" "" "131473"
expect "$k\\Control" "" ""
expect "$k\\TypeLib" "" "$libid"
expect "$k\\Version" "" "1.0"
absent "$k\\Insertable"
expect 'HKCR\SIVARTA.SivartaCtrl.1' "" "Sivarta Control"
expect 'HKCR\SIVARTA.SivartaCtrl.1\CLSID' "" "$clsid"
expect "HKCR\\CLSID\\$page" "" "Sivarta Property Page"
expect "HKCR\\CLSID\\$page\\InprocServer32" "" "$path"
regval "HKCR\\CLSID\\$page\\InprocServer32" ThreadingModel >/dev/null && fail "the property page has a ThreadingModel"
absent 'HKCR\SIVARTA.SivartaPropPage.1'
tlb="$(regval "HKCR\\TypeLib\\$libid\\1.0\\409\\win64" "")" || fail "type library not registered for win64"
case "$tlb" in *SIVARTA.OCX) ;; *) fail "type library path '$tlb'" ;; esac

first="$(dump)"
# A threading model that something else wrote under the page's server key
# does not survive re-registration.
wine reg add "HKCR\\CLSID\\$page\\InprocServer32" /v ThreadingModel /d Both /f >/dev/null 2>&1
run regsvr32 /s "$ocx" || fail "second regsvr32 /s exited $?"
regval "HKCR\\CLSID\\$page\\InprocServer32" ThreadingModel >/dev/null && fail "re-registration kept a stale ThreadingModel"
[ "$first" = "$(dump)" ] || { fail "registering twice changed the entries"; diff <(echo "$first") <(dump) >&2 || true; }

run regsvr32 /u /s "$ocx" || fail "regsvr32 /u /s exited $?"
absent "HKCR\\CLSID\\$clsid"
absent "HKCR\\CLSID\\$page"
absent 'HKCR\SIVARTA.SivartaCtrl.1'
absent "HKCR\\TypeLib\\$libid\\1.0"

# A 16-bit server of the same class keeps its key: only our two subkeys go.
run regsvr32 /s "$ocx" || fail "regsvr32 /s exited $?"
wine reg add "HKCR\\CLSID\\$clsid\\InprocServer" /ve /d 'SIVARTA16.OCX' /f >/dev/null 2>&1
run regsvr32 /u /s "$ocx" || fail "regsvr32 /u /s with a 16-bit server exited $?"
expect "HKCR\\CLSID\\$clsid\\InprocServer" "" "SIVARTA16.OCX"
expect "HKCR\\CLSID\\$clsid\\ProgID" "" "SIVARTA.SivartaCtrl.1"
absent "HKCR\\CLSID\\$clsid\\InprocServer32"
absent "HKCR\\CLSID\\$clsid\\ToolboxBitmap32"
absent 'HKCR\SIVARTA.SivartaCtrl.1'
wine reg delete "HKCR\\CLSID\\$clsid" /f >/dev/null 2>&1 || true

# A module that is not a server is refused, not reported as registered.
run regsvr32 /s 'C:\windows\system32\notepad.exe' >/dev/null 2>&1 && fail "regsvr32 accepted notepad.exe"

[ $failures -eq 0 ] && echo "register: all checks passed" || { echo "register: $failures failures"; exit 1; }
