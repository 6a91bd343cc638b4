#!/usr/bin/env bash
# Runs one command inside a Wine session of its own: a private Xvfb display on a free number and a
# private Wine prefix (a copy of a prefix booted once and cached under build/wine/), with a
# persistent wineserver. Both are stopped at the end, also on failure or interrupt; nothing else is
# touched. Inside, DISPLAY, WINEPREFIX and KELVANE_WINE_SESSION are set.
#
#   scripts/wine-session.sh COMMAND [ARGS...]
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
wine_dir=${KELVANE_WINE_DIR:-$root/build/wine}
export WINE=${WINE:-/usr/lib/wine/wine64}
export WINESERVER=${WINESERVER:-/usr/lib/wine/wineserver64}
[ -x "$WINESERVER" ] || WINESERVER=$(command -v wineserver)
export WINEARCH=win64 WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

say() { echo "wine-session: $*" >&2; }

xvfb_pid=""
prefix=""
cleanup() {
  local rc=$?
  trap - EXIT INT TERM
  if [ -n "$prefix" ] && [ -d "$prefix" ]; then
    # Kills the server of this prefix and every process in it; other prefixes are not touched.
    WINEPREFIX=$prefix "$WINESERVER" -k 2>/dev/null || true
    rm -rf "$prefix"
  fi
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  exit $rc
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# A private display: Xvfb picks a free number itself and writes it to the file descriptor.
mkdir -p "$wine_dir"
display_file=$(mktemp "$wine_dir/display.XXXXXX")
Xvfb -displayfd 3 -screen 0 ${KELVANE_SCREEN:-1024x768x24} -nolisten tcp -noreset \
  3>"$display_file" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$display_file" ] && break; sleep 0.05; done
[ -s "$display_file" ] || { say "Xvfb did not start"; exit 1; }
export DISPLAY=":$(tr -d '\n' <"$display_file")"
rm -f "$display_file"

# The cached base prefix, booted once (under a lock, in case two sessions start together).
base=$wine_dir/base
(
  flock 9
  if [ ! -f "$base/.kelvane-booted" ]; then
    say "booting a Wine prefix in $base (once)"
    rm -rf "$base"
    WINEPREFIX=$base "$WINE" wineboot -i >/dev/null 2>&1
    # No window manager: unmanaged windows hide and close without a 2 s delay.
    WINEPREFIX=$base "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    WINEPREFIX=$base "$WINESERVER" -w
    touch "$base/.kelvane-booted"
  fi
) 9>"$wine_dir/.boot-lock"

prefix=$(mktemp -d "$wine_dir/run.XXXXXX")
cp -a "$base/." "$prefix/"
export WINEPREFIX=$prefix
"$WINESERVER" -p
export KELVANE_WINE_SESSION=1

"$@"
