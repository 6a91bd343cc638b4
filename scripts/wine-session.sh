#!/usr/bin/env bash
# Runs one command inside a Wine session of its own: a private Xvfb display on a free number and a
# private Wine prefix (a copy of a prefix booted once and cached under build/wine/), with a
# persistent wineserver, and a private PulseAudio server with one null sink (sound plays in real time
# without a sound card). All three are stopped at the end, also on failure or interrupt; nothing else
# is touched. Inside, DISPLAY, WINEPREFIX, PULSE_SERVER and KELVANE_WINE_SESSION are set.
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
pulse_pid=""
pulse_dir=""
cleanup() {
  local rc=$?
  trap - EXIT INT TERM
  if [ -n "$prefix" ] && [ -d "$prefix" ]; then
    # Kills the server of this prefix and every process in it; other prefixes are not touched.
    WINEPREFIX=$prefix "$WINESERVER" -k 2>/dev/null || true
  fi
  if [ -n "$pulse_pid" ]; then
    kill "$pulse_pid" 2>/dev/null || true
    wait "$pulse_pid" 2>/dev/null || true
  fi
  [ -z "$pulse_dir" ] || rm -rf "$pulse_dir"
  [ -z "$prefix" ] || rm -rf "$prefix"
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
  # The stamp names the prefix's settings: change it when they change, so cached bases boot again.
  stamp=$base/.kelvane-booted-2
  if [ ! -f "$stamp" ]; then
    say "booting a Wine prefix in $base (once)"
    rm -rf "$base"
    WINEPREFIX=$base "$WINE" wineboot -i >/dev/null 2>&1
    # No window manager: unmanaged windows hide and close without a 2 s delay.
    WINEPREFIX=$base "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    # A program that faults is ended with its backtrace on standard error; the crash dialog would
    # wait for a click on a display nobody looks at.
    WINEPREFIX=$base "$WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    WINEPREFIX=$base "$WINESERVER" -w
    touch "$stamp"
  fi
) 9>"$wine_dir/.boot-lock"

prefix=$(mktemp -d "$wine_dir/run.XXXXXX")
cp -a "$base/." "$prefix/"
export WINEPREFIX=$prefix
"$WINESERVER" -p

# A private sound server: one null sink, reached through a socket of its own. It runs with its own
# home and runtime folders, no display and no session bus, so it reads and writes nothing of the
# user's; Wine's sound driver finds it through PULSE_SERVER and never starts a server of its own.
start_pulse() {
  command -v pulseaudio >/dev/null || { say "no pulseaudio: the session has no sound"; return 0; }
  pulse_dir="$prefix/pulse"
  # A Unix socket path holds at most 107 bytes.
  if [ ${#pulse_dir} -gt 90 ]; then pulse_dir=$(mktemp -d "${TMPDIR:-/tmp}/kelvane-pulse.XXXXXX"); fi
  mkdir -p "$pulse_dir/home" "$pulse_dir/runtime" "$pulse_dir/state"
  local socket="$pulse_dir/socket"
  printf '%s\n' 'load-module module-null-sink sink_name=kelvane' \
    "load-module module-native-protocol-unix auth-anonymous=1 socket=$socket" >"$pulse_dir/server.pa"
  printf '%s\n' 'autospawn = no' >"$pulse_dir/client.conf"
  env -u DISPLAY HOME="$pulse_dir/home" PULSE_RUNTIME_PATH="$pulse_dir/runtime" \
    PULSE_STATE_PATH="$pulse_dir/state" DBUS_SESSION_BUS_ADDRESS=disabled: \
    pulseaudio --daemonize=no -n -F "$pulse_dir/server.pa" --exit-idle-time=-1 --use-pid-file=no \
    >"$pulse_dir/log" 2>&1 &
  pulse_pid=$!
  for _ in $(seq 100); do [ -S "$socket" ] && break; sleep 0.05; done
  if [ ! -S "$socket" ]; then
    say "PulseAudio did not start, the session has no sound: $(tail -n 3 "$pulse_dir/log" 2>/dev/null)"
    return 0
  fi
  export PULSE_SERVER="unix:$socket" PULSE_CLIENTCONFIG="$pulse_dir/client.conf"
}
start_pulse

# Wine's service programs start with the first program of a session and live as long as the
# server; start them here with no inherited output, or they would hold the caller's pipes open
# (ctest then waits for them until its timeout).
"$WINE" cmd /c exit </dev/null >/dev/null 2>&1 || true
export KELVANE_WINE_SESSION=1

"$@"
