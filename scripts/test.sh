#!/usr/bin/env bash
# The test command: sets up the machine when needed, builds the native (sanitized), win64 and win32
# presets, and runs every test with ctest inside a private Wine session (own Xvfb, own prefix).
#
#   scripts/test.sh [CTEST ARGS...]      e.g. scripts/test.sh -L unit, scripts/test.sh -R wine.data
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

echo "== setup"
if [ "$(id -u)" = 0 ]; then
  bash scripts/setup.sh
else
  sudo bash scripts/setup.sh
fi

jobs=$(nproc)
for preset in native win64 win32; do
  echo "== build $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
done

echo "== test"
exec scripts/wine-session.sh ctest --test-dir build/native --output-on-failure -j "$jobs" "$@"
