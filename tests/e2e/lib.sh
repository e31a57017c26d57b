# Shared by the end-to-end scripts: the scripts' settings and helpers, one
# display for the whole script, a scratch folder removed on exit (with the
# data server a script started in $server_pid), and check, which runs one
# command as a named check and counts the failures. Source it; do not run it.
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib.sh"
sivarta_start_display || exit 1
work="$(mktemp -d)"
server_pid=
cleanup() {
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null
  rm -rf "$work"
  sivarta_stop_display
}
trap cleanup EXIT
failures=0
check() {   # check DESCRIPTION COMMAND...
  if "${@:2}"; then echo "ok   $1"; else echo "FAIL $1"; failures=$((failures + 1)); fi
}
