#!/bin/sh
# The scene's cost under Wine (llvmpipe): the book and a cube with two orbiting copies, each in a
# 1024 x 768 scene window for SECONDS (default 30), with 800 x 600 photo-like pictures (512 x 512
# texture images). Prints CPU seconds of the whole process per animated second, and animation ticks
# delivered per ticks due (one per 25 ms while the animation timer runs; the book's pauses, which
# include its four decodes per spread, are not counted as animated time but their CPU time is).
# The book pauses 0 s between spreads, so it turns pages and reloads all the time.
# Usage: bench/scene_bench.sh [SECONDS]
set -eu
seconds=${1:-30}
root=$(cd "$(dirname "$0")/.." && pwd)
native="$root/build/native-release"
win64="$root/build/win64"

cmake --preset native-release -S "$root" >/dev/null
cmake --build "$native" --target kvpicture kvshow >/dev/null
cmake --preset win64 -S "$root" >/dev/null
cmake --build "$win64" --target scene_host >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM

i=0
pictures=""
while [ "$i" -lt 12 ]; do
    "$native/tools/kvpicture" --width 800 --height 600 --pattern gradient --index "$i" "$work/p$i.jpg"
    pictures="$pictures $work/p$i.jpg"
    i=$((i + 1))
done
# shellcheck disable=SC2086
"$native/tools/kvshow" --faces 0 --turn-step -3 --pause 0 --distance 1 --tilt 20 \
    "$work/Bench Book.dat" $pictures >/dev/null
set -- $pictures
"$native/tools/kvshow" --faces 6 --orbit-main 1 --orbit-copies 2 --orbit-step 2 --spin-x 2 \
    --spin-y 3 --spin-z 1 --distance 3 "$work/Bench Cube.dat" "$1" "$2" "$3" "$4" "$5" "$6" >/dev/null
cp "$win64/scene_host.exe" "$work/Bench Book.exe"
cp "$win64/scene_host.exe" "$work/Bench Cube.exe"

KELVANE_SCREEN=1024x768x24 "$root/scripts/wine-session.sh" sh -c '
    cd "$1"
    "$WINE" "Bench Book.exe" --size 1024x768 --bench "$2" > book.txt 2>/dev/null
    "$WINE" "Bench Cube.exe" --size 1024x768 --bench "$2" > cube.txt 2>/dev/null
' bench "$work" "$seconds"

field() { sed -n "s/^$1=//p" "$2" | tr -d '\r'; }
echo "scene at 1024 x 768 under Wine, $seconds s each"
for show in book cube; do
    file="$work/$show.txt"
    [ -s "$file" ] || { echo "scene_bench: the $show did not run" >&2; exit 1; }
    printf '%s: %s CPU s per animated s; %s of %s ticks delivered (%s); %s ms paused\n' \
        "$show" "$(field cpu_per_animated_second "$file")" "$(field ticks_delivered "$file")" \
        "$(field ticks_due "$file")" "$(field ticks_delivered_per_due "$file")" \
        "$(field paused_ms "$file")"
done
