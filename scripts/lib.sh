# Shared settings of the scripts. Source it; do not run it.
# SIVARTA_BUILD (default: build) is the folder that holds every build tree and
# the private Wine prefix, so several checkouts or builders never share state.
SIVARTA_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
SIVARTA_BUILD="${SIVARTA_BUILD:-$SIVARTA_ROOT/build}"
case "$SIVARTA_BUILD" in /*) ;; *) SIVARTA_BUILD="$SIVARTA_ROOT/$SIVARTA_BUILD" ;; esac
export SIVARTA_ROOT SIVARTA_BUILD
export WINEPREFIX="$SIVARTA_BUILD/wineprefix"
export WINEARCH=win64
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

# The Windows form of a Unix path: Wine maps the Unix root to drive Z:.
sivarta_winpath() {
  local p
  p="$(realpath -m -- "$1")"
  printf 'Z:%s' "${p//\//\\}"
}

# A display for Windows programs: when DISPLAY is unset, starts Xvfb on a free
# number and exports DISPLAY once the server is up and still running (a
# server that lost a race for its number, or died, is never used). Sets
# SIVARTA_XVFB_PID to the server it started (empty when DISPLAY was set).
# Returns 1 when no display could be started.
sivarta_start_display() {
  SIVARTA_XVFB_PID=
  [ -n "${DISPLAY:-}" ] && return 0
  local n
  for n in $(seq 90 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1920x1200x24 -nolisten tcp >/dev/null 2>&1 &
    SIVARTA_XVFB_PID=$!
    for _ in $(seq 1 50); do
      kill -0 "$SIVARTA_XVFB_PID" 2>/dev/null || break
      if [ -e "/tmp/.X11-unix/X$n" ]; then
        sleep 0.1
        kill -0 "$SIVARTA_XVFB_PID" 2>/dev/null || break
        export DISPLAY=":$n"
        return 0
      fi
      sleep 0.1
    done
    kill "$SIVARTA_XVFB_PID" 2>/dev/null || true
    wait "$SIVARTA_XVFB_PID" 2>/dev/null || true
    SIVARTA_XVFB_PID=
  done
  echo "could not start Xvfb" >&2
  return 1
}

# Stops the Xvfb that sivarta_start_display started, if any, after the
# prefix's wineserver, which holds a connection to it.
sivarta_stop_display() {
  if [ -n "${SIVARTA_XVFB_PID:-}" ]; then
    wineserver -k >/dev/null 2>&1 || true
    kill "$SIVARTA_XVFB_PID" 2>/dev/null || true
  fi
  SIVARTA_XVFB_PID=
}
