#!/usr/bin/env bash
# Runs a Windows program under wine64 with the current folder on the prefix's C: drive (so that a
# path like \DelUS.bat lands on C:). Outside a Wine session it starts one for this program alone.
#
#   scripts/wine-run.sh PROGRAM.exe [ARGS...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${KELVANE_WINE_SESSION:-}" ]; then
  exec "$here/wine-session.sh" "$here/wine-run.sh" "$@"
fi
program=$(realpath -e "$1") || { echo "wine-run: no program $1" >&2; exit 2; }
shift
cd "$WINEPREFIX/drive_c"
exec "$WINE" "$program" "$@"
