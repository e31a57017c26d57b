# Shared by the end-to-end scripts: a scratch folder removed on exit (with the
# data server a script started in $server_pid), and check, which runs one
# command as a named check and counts the failures. Source it; do not run it.
work="$(mktemp -d)"
server_pid=
cleanup() {
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
failures=0
check() {   # check DESCRIPTION COMMAND...
  if "${@:2}"; then echo "ok   $1"; else echo "FAIL $1"; failures=$((failures + 1)); fi
}
