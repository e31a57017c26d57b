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
