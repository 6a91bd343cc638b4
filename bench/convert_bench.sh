#!/bin/sh
# Compares the saver's picture path (JPEG to bitmap file, then loading the file) with the
# library's own command-line decoder writing a bitmap file, on the same 1600 x 1200 photo-like
# picture. Usage: bench/convert_bench.sh [RUNS]   (default 20)
set -eu
runs=${1:-20}
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/native-release"

command -v djpeg >/dev/null || { echo "convert_bench: djpeg not found (libjpeg-turbo-progs)" >&2; exit 1; }
cmake --preset native-release -S "$root" >/dev/null
cmake --build "$build" --target convert_bench >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM

"$build/bench/convert_bench" "$work" "$runs" > "$work/ours.txt"
ours=$(sed -n 's/^convert_load_ms=//p' "$work/ours.txt")
bytes=$(sed -n '1s/^picture_bytes=//p' "$work/ours.txt")

# Mean wall time of one run of a command, in milliseconds.
mean_ms() {
    start=$(date +%s%N)
    i=0
    while [ "$i" -lt "$runs" ]; do
        "$@"
        i=$((i + 1))
    done
    end=$(date +%s%N)
    echo "$start $end $runs" | awk '{ printf "%.3f", ($2 - $1) / 1e6 / $3 }'
}

djpeg_ms=$(mean_ms djpeg -bmp -outfile "$work/djpeg.bmp" "$work/picture.jpg")
startup_ms=$(mean_ms djpeg -bmp -outfile "$work/tiny.bmp" "$work/tiny.jpg")

# Both files hold a 54-byte header and then the pixel rows: compare the rows.
if [ "$(tail -c +55 "$work/SSS1.tmp" | cksum)" = "$(tail -c +55 "$work/djpeg.bmp" | cksum)" ]; then
    same=yes
else
    same=NO
fi

echo "picture: 1600 x 1200, $bytes bytes of JPEG; $runs runs each"
echo "ConvertShowPicture + LoadBitmapFile: $ours ms per picture"
echo "djpeg -bmp:                          $djpeg_ms ms per picture ($startup_ms ms of it is starting the program)"
echo "pixel rows identical to djpeg's:     $same"
awk -v ours="$ours" -v theirs="$djpeg_ms" -v startup="$startup_ms" 'BEGIN {
    printf "ratio (ours / djpeg):                %.2f\n", ours / theirs
    printf "ratio without djpeg start-up:        %.2f\n", ours / (theirs - startup)
}'
