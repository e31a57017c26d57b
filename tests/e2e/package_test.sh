#!/usr/bin/env bash
# The release as users get it: scripts/package builds build/dist with the test
# certificate; both OCX files are checked as PE modules (machine, exports,
# version block, type library, imports, no debug sections, size), every
# signature verifies and breaks when a byte changes, each CAB holds exactly the
# OCX and an INF that names this build's class id and version, the checksums
# and the installer page agree, a failed run (a certificate that cannot sign, a
# missing tool) says why and leaves dist/ as it was, the 32-bit module's
# callbacks are stdcall, and the released x64 OCX registers and passes the
# script clients and the ATL container test.
#   tests/e2e/package_test.sh BUILD/win64
set -uo pipefail
win64="$(cd "${1:?usage: package_test.sh WIN64_BUILD_DIR}" && pwd)"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
export SIVARTA_BUILD="$(dirname "$win64")"
source "$root/tests/e2e/lib.sh"
dist="$SIVARTA_BUILD/dist"

# Always the test certificate here, whatever the caller signs releases with.
env -u SIVARTA_SIGN_CERT -u SIVARTA_SIGN_KEY -u SIVARTA_SIGN_PASS -u SIVARTA_SIGN_TIMESTAMP_URL \
  "$root/scripts/package" > "$work/package.log" 2>&1 || { cat "$work/package.log"; echo "FAIL: scripts/package"; exit 1; }
grep -q '^package: signed with TEST certificate' "$work/package.log" || { echo "FAIL: test certificate not named"; exit 1; }
root_ca="$SIVARTA_BUILD/signing/test-root.pem"

# What the build knows: the project version and the control's class id.
version="$(sed -n 's/^project(sivarta VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")"
clsid="$(awk '/uuid\(/ { u = $0 } /coclass Sivarta/ { print u; exit }' "$root/activex/res/sivarta.idl" | sed 's/.*uuid(\([^)]*\)).*/\1/')"
commas="${version//./,}"
[ -n "$version" ] && [ ${#clsid} -eq 36 ] || { echo "FAIL: version '$version' or class id '$clsid' not found"; exit 1; }

# --- the two modules -----------------------------------------------------------

pe_format() { [ "$(objdump -f "$1" | sed -n 's/.*file format //p')" = "$2" ]; }
exports_in_order() {   # "[i] Name" in the name table: ordinal = i + the ordinal base
  local got
  got="$(objdump -p "$1" | awk '/Ordinal Base/ { base = $NF } /^\[Ordinal\/Name Pointer\] Table/ { on = 1; next }
    on && /^[[:space:]]*\[/ { gsub(/[][]/, " "); print $1 + base, $2 } on && /^$/ { on = 0 }' | sort -n)"
  [ "$got" = $'1 DllCanUnloadNow\n2 DllGetClassObject\n3 DllRegisterServer\n4 DllUnregisterServer' ] \
    || { echo "exports: $got"; return 1; }
}
version_block() {   # the version resource as windres prints it
  local rc="$work/$(basename "$(dirname "$1")").rc"
  x86_64-w64-mingw32-windres -i "$1" -O rc -o "$rc" 2>/dev/null || return 1
  grep -q "FILEVERSION ${version//./, }\$" "$rc" && grep -q "PRODUCTVERSION ${version//./, }\$" "$rc" &&
    grep -q 'VALUE "CompanyName", "Sivarta"' "$rc" &&
    grep -q 'VALUE "FileDescription", "Sivarta ActiveX Control Module"' "$rc" &&
    grep -q "VALUE \"FileVersion\", \"${version//./, }\"" "$rc" &&
    grep -q 'VALUE "OLESelfRegister"' "$rc" || { sed -n '/VERSIONINFO/,$p' "$rc"; return 1; }
}
typelib_resource() { grep -q '^1 TYPELIB\|^1 "TYPELIB"' "$work/$(basename "$(dirname "$1")").rc"; }
# Only system DLLs: no compiler runtime DLL may be needed on the user's machine.
system_imports_only() {
  local dll bad=0
  for dll in $(objdump -p "$1" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z'); do
    case "$dll" in
      kernel32.dll|user32.dll|gdi32.dll|advapi32.dll|ole32.dll|oleaut32.dll|wininet.dll|shlwapi.dll) ;;
      ws2_32.dll|comctl32.dll|shell32.dll|msvcrt.dll|windowscodecs.dll|api-ms-win-*) ;;
      *) echo "imports $dll"; bad=1 ;;
    esac
  done
  return $bad
}
no_debug_sections() { ! objdump -h "$1" | grep -E '^\s*[0-9]+ \.(debug|zdebug)'; }
small_enough() { local n; n=$(stat -c %s "$1"); echo "$(basename "$(dirname "$1")") SIVARTA.OCX: $n bytes"; [ "$n" -le $((300 * 1024)) ]; }
has_debug_file() { objdump -h "$1" | grep -q '\.debug_info'; }

for arch in x64 x86; do
  ocx="$dist/$arch/SIVARTA.OCX"
  case $arch in x64) format=pei-x86-64 ;; x86) format=pei-i386 ;; esac
  check "$arch: PE machine $format" pe_format "$ocx" $format
  check "$arch: exports at ordinals 1 to 4" exports_in_order "$ocx"
  check "$arch: version block $version, company and description" version_block "$ocx"
  check "$arch: TYPELIB resource" typelib_resource "$ocx"
  check "$arch: only system DLLs imported" system_imports_only "$ocx"
  check "$arch: no debug sections" no_debug_sections "$ocx"
  check "$arch: at most 300 KB" small_enough "$ocx"
  check "$arch: debug file kept" has_debug_file "$dist/debug/$arch/SIVARTA.OCX.debug"
done

# --- signatures ----------------------------------------------------------------

verifies() { osslsigncode verify -CAfile "$root_ca" -in "$1" > "$work/verify.log" 2>&1; }
altered_fails() {   # one byte in the middle of the signed content changed
  local copy="$work/altered.$1" size
  size=$(stat -c %s "$2")
  cp "$2" "$copy"
  printf '\x5a' | dd of="$copy" bs=1 seek=$((size / 3)) conv=notrunc status=none
  cmp -s "$2" "$copy" && printf '\xa5' | dd of="$copy" bs=1 seek=$((size / 3)) conv=notrunc status=none
  ! verifies "$copy"
}
for f in x64/SIVARTA.OCX x86/SIVARTA.OCX SIVARTA-x64.CAB SIVARTA-x86.CAB; do
  check "$f: signature verifies against the test root" verifies "$dist/$f"
  check "$f: altered after signing fails verification" altered_fails "${f//\//-}" "$dist/$f"
done

# --- cabinets ------------------------------------------------------------------

lists_exactly() { [ "$(gcab -t "$1" | LC_ALL=C sort | paste -sd' ')" = "SIVARTA.INF SIVARTA.OCX" ]; }
extracts_identical() {
  local out="$work/cab-$2"
  mkdir -p "$out" && gcab -x -C "$out" "$1" >/dev/null && cmp "$out/SIVARTA.OCX" "$dist/$2/SIVARTA.OCX"
}
inf_names() {   # CAB-ARCH: the INF (CRLF lines) as codebase installation reads it
  local inf
  inf="$(tr -d '\r' < "$work/cab-$1/SIVARTA.INF")"
  grep -qx '\[Add.Code\]' <<<"$inf" && grep -qx 'SIVARTA.OCX=SIVARTA.OCX' <<<"$inf" &&
    grep -qx '\[SIVARTA.OCX\]' <<<"$inf" && grep -qx "file-win32-$1=thiscab" <<<"$inf" &&
    grep -qx "clsid={$clsid}" <<<"$inf" && grep -qx "FileVersion=$commas" <<<"$inf" &&
    grep -qx 'RegisterServer=yes' <<<"$inf" || { echo "$inf"; return 1; }
}
for arch in x64 x86; do
  cab="$dist/SIVARTA-$arch.CAB"
  check "SIVARTA-$arch.CAB lists exactly the OCX and the INF" lists_exactly "$cab"
  check "SIVARTA-$arch.CAB extracts the released OCX byte for byte" extracts_identical "$cab" $arch
  check "SIVARTA-$arch.CAB INF names class id, version $commas and the file" inf_names $arch
done

# --- checksums and the installer page ------------------------------------------

sums_cover_all() {
  (cd "$dist" && sha256sum --quiet -c SHA256SUMS) &&
    [ "$(cut -d' ' -f3- "$dist/SHA256SUMS" | LC_ALL=C sort)" = \
      "$(cd "$dist" && find . -type f ! -name SHA256SUMS -printf '%P\n' | LC_ALL=C sort)" ]
}
page_matches() {
  grep -q "classid=\"clsid:$clsid\"" "$dist/install.html" &&
    grep -q "codebase=\"SIVARTA-x86.CAB#version=$commas\"" "$dist/install.html" &&
    grep -q 'event="ReadyInfo()"' "$dist/install.html" && grep -q 'cannot' "$dist/install.html"
}
check "SHA256SUMS verifies and covers every file" sums_cover_all
check "install.html: class id, x86 CAB at version $commas, ReadyInfo, text without controls" page_matches

# --- failures leave the release as it was -------------------------------------

before="$(cat "$dist/SHA256SUMS")"
fails_cleanly() {   # EXPECTED-MESSAGE COMMAND...: exits non-zero with the message, dist/ untouched
  local out
  out="$("${@:2}" 2>&1)" && { echo "succeeded"; return 1; }
  grep -q "$1" <<<"$out" || { echo "$out" | tail -5; return 1; }
  [ "$(cat "$dist/SHA256SUMS")" = "$before" ] && (cd "$dist" && sha256sum --quiet -c SHA256SUMS) &&
    [ -z "$(find "$SIVARTA_BUILD" -maxdepth 1 -name '.dist.*')" ]
}
printf 'not a certificate\n' > "$work/broken.p12"
check "a certificate that cannot sign fails with a message, dist/ as it was" \
  fails_cleanly "signing SIVARTA.OCX failed" env SIVARTA_SIGN_CERT="$work/broken.p12" "$root/scripts/package"
# Every program on PATH except gcab (installed, so install-deps adds nothing).
mkdir -p "$work/path"
for dir in /usr/local/bin /usr/bin /bin; do
  for prog in "$dir"/*; do
    name="${prog##*/}"
    [ "$name" = gcab ] || [ -e "$work/path/$name" ] || ln -s "$prog" "$work/path/$name"
  done
done
check "a missing tool is named with its package, dist/ as it was" \
  fails_cleanly "cannot build the release without: gcab (Debian package gcab)" \
  env PATH="$work/path" "$root/scripts/package"

# A release certificate given as PKCS#12 with a password (here the test one).
signing="$SIVARTA_BUILD/signing"
openssl pkcs12 -export -in "$signing/test-signing.pem" -inkey "$signing/test-signing.key" \
  -passout pass:release-pass -out "$work/release.p12"
signs_with_given_certificate() {
  SIVARTA_SIGN_CERT="$work/release.p12" SIVARTA_SIGN_PASS=release-pass "$root/scripts/package" > "$work/given.log" 2>&1 \
    || { tail -5 "$work/given.log"; return 1; }
  grep -q "^package: signed with certificate $work/release.p12" "$work/given.log" &&
    verifies "$dist/x86/SIVARTA.OCX" && verifies "$dist/SIVARTA-x86.CAB" &&
    [ -z "$(find "$SIVARTA_BUILD" -maxdepth 1 -name '.sign-pass.*')" ]
}
check "a PKCS#12 certificate with a password signs, no password file is left" signs_with_given_certificate

# --- 32-bit calling conventions (the module cannot run here) -------------------
# i686 objects name stdcall functions with the size of their arguments (@N):
# the exports, the window and dialog procedures, the start-up callback, and
# the COM methods of every class that answers QueryInterface must carry it.
# (Adjustor thunks jump to those and are named without it.)
com_methods=(QueryInterface AddRef Release CreateInstance LockServer GetIDsOfNames Invoke DoVerb SetClientSite
  Advise Load Save InitNew SetObjects Apply GetInterfaceSafetyOptions SetInterfaceSafetyOptions)
stdcall_symbols() {
  find "$SIVARTA_BUILD/release32" -name '*.obj' -print0 | xargs -0 i686-w64-mingw32-nm --defined-only 2>/dev/null |
    awk '$2 ~ /^[Tt]$/ && $3 ~ /^_/ { print $3 }' | grep -v '^__ZTh' | LC_ALL=C sort -u > "$work/symbols32"
  local name class defs bad=0
  for name in _DllMain@12 _DllCanUnloadNow@0 _DllGetClassObject@12 _DllRegisterServer@0 _DllUnregisterServer@0; do
    grep -qx "$name" "$work/symbols32" || { echo "missing $name"; bad=1; }
  done
  local classes
  classes="$(sed -n 's/^__ZN\(.*[^0-9]\)14QueryInterfaceERK5_GUIDPPv.*/\1/p' "$work/symbols32" | sort -u)"
  [ -n "$classes" ] || { echo "no COM class found"; return 1; }
  for name in StaticWindowProc AboutProc StartSocketsOnce "${com_methods[@]}"; do
    case "$name" in
      StaticWindowProc|AboutProc|StartSocketsOnce) defs="$(grep -E "${#name}${name}E" "$work/symbols32")" ;;
      *) defs="$(for class in $classes; do grep -E "^__ZN${class}${#name}${name}E" "$work/symbols32"; done)" ;;
    esac
    [ -n "$defs" ] || { echo "no definition of $name"; bad=1; continue; }
    if grep -v '@[0-9]*$' <<<"$defs"; then bad=1; fi
  done
  return $bad
}
check "x86: exports, window and dialog procedures, start-up callback and COM methods are stdcall" stdcall_symbols

# --- the released x64 OCX in use -----------------------------------------------
# A folder that looks like a build tree's bin/: the script clients register the
# OCX from there, and the ATL container test loads the SIVARTA.OCX beside it.
release_bin="$SIVARTA_BUILD/release-check/bin"
rm -rf "$SIVARTA_BUILD/release-check"
mkdir -p "$release_bin"
# The recording iexplore.exe takes the click-through launches, as beside the
# development tests; without it Wine's own browser would take the focus.
cp "$dist/x64/SIVARTA.OCX" "$win64/bin/atl_container_test.exe" "$win64/bin/iexplore.exe" "$release_bin/"
check "released x64 OCX: regsvr32, VBScript and JScript clients" \
  bash "$root/tests/e2e/control_script_test.sh" "$SIVARTA_BUILD/release-check"
check "released x64 OCX: ATL container test" "$root/scripts/wine-run" "$release_bin/atl_container_test.exe"
"$root/scripts/wine-run" regsvr32 /u /s "$(winepath -w "$release_bin/SIVARTA.OCX" 2>/dev/null)" >/dev/null 2>&1
rm -rf "$SIVARTA_BUILD/release-check"

[ $failures -eq 0 ] && echo "package: all checks passed" || { echo "package: $failures failures"; exit 1; }
