#!/usr/bin/env bash
# The saver playing a demo show: sets the machine up, builds the saver (win64, the build that runs
# under Wine) and the show writer, writes a show from Debian's nature desktop photographs with a
# banner, a title and a description, installs it the way the authoring product does (the program
# copied as "<SaverName>.scr" beside "<SaverName>.dat") in a private Wine prefix, runs it full screen
# for a while and ends it with a key press, as a user would.
#
# With DISPLAY set the saver plays on that display. Without it, it plays on a private Xvfb display
# and the run is recorded, and the paths of the recordings are printed at the end:
#   screen.gif            the screen as X shows it during the run: the banner strip scrolling, but
#                         no pictures, because Wine does not put an OpenGL child window's drawing
#                         onto an Xvfb screen
#   demo.gif, frame*.png  the same run with the scene as it draws itself: the saver's scene code,
#                         run by the scene test host on the same show, read back from its back
#                         buffer every half second, under the banner strip taken from the screen
#
#   scripts/demo.sh [book|card|pyramid|cube] [--seconds N] [--out DIR]
#
# Default: book for 20 seconds, recordings in build/demo/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

usage() { sed -n '2,21p' "$0" | sed 's/^# \{0,1\}//'; exit "${1:-0}"; }
fail() { echo "demo: $*" >&2; exit 1; }
say() { echo "demo: $*"; }

# ---- inside the Wine session: install, run, record, end -------------------------------------
if [ "${1:-}" = "--in-session" ]; then
  shift
  show=$1 out=$2 seconds=$3 user_display=$4 faces=$5
  saver_name="Nature Tour"
  [ -n "$user_display" ] && export DISPLAY=$user_display

  folder="$WINEPREFIX/drive_c/Program Files/Kelvane Demo"
  mkdir -p "$folder"
  cp "$root/build/win64/kelvane.scr" "$folder/$saver_name.scr"
  cp "$show" "$folder/$saver_name.dat"
  say "installed C:\\Program Files\\Kelvane Demo\\$saver_name.scr and $saver_name.dat"

  cd "$folder"
  "$WINE" "$saver_name.scr" /s &
  saver_pid=$!
  # The saver's window appears on the X display once the show is open and the scene set up.
  for _ in $(seq 100); do
    xdotool search --name "Screen Saver" >/dev/null 2>&1 && break
    kill -0 "$saver_pid" 2>/dev/null || fail "the saver ended before its window appeared"
    sleep 0.1
  done
  xdotool search --name "Screen Saver" >/dev/null 2>&1 || fail "no saver window after 10 s"
  say "playing for $seconds s on display $DISPLAY"

  frames=""
  if [ -z "$user_display" ]; then
    frames=$(mktemp -d "$out/frames.XXXXXX")
    # Two frames a second: the screen as X holds it (the scene is drawn through OpenGL).
    count=$((seconds * 2))
    for i in $(seq -w 1 "$count"); do
      xwd -root -display "$DISPLAY" -silent | convert xwd:- "$frames/frame$i.png"
      sleep 0.5
    done
  else
    sleep "$seconds"
  fi

  # A key press ends the run, as it would for a user.
  xdotool key space
  code=0
  for _ in $(seq 100); do kill -0 "$saver_pid" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$saver_pid" 2>/dev/null; then
    kill "$saver_pid" 2>/dev/null || true
    fail "the saver did not end on a key press"
  fi
  wait "$saver_pid" || code=$?
  say "the saver ended on a key press (exit code $code)"

  if [ -n "$frames" ]; then
    say "making the recordings"
    convert -delay 50 -loop 0 "$frames"/frame*.png -resize 512x "$out/screen.gif"
    screen_size=$(xdpyinfo -display "$DISPLAY" | awk '/dimensions:/ {print $2}')
    width=${screen_size%x*} height=${screen_size#*x}
    # The scene of the same show, as the scene window draws it, read back from its back buffer by
    # the scene's test host (run under the saver's name beside the show file, as the saver is).
    # It takes the screen less the banner strip of the default font (16 pixels); the book's
    # animation ticks run only while a page turns, so its frames are taken closer together.
    step=20
    [ "$faces" = 0 ] && step=10
    cp "$root/build/win64/scene_host.exe" "$folder/$saver_name.exe"
    captures=()
    for i in $(seq 1 "$count"); do
      captures+=(--tick "$(( 1 + (i - 1) * step )):scene$(printf %03d "$i").ppm")
    done
    "$WINE" "$saver_name.exe" --size "${width}x$((height - 16))" "${captures[@]}" \
      --timeout $(( (seconds * 8 + 30) * 1000 )) >/dev/null || say "the scene host stopped early"
    i=0
    for frame in "$frames"/frame*.png; do
      i=$((i + 1))
      scene="$folder/scene$(printf %03d "$i").ppm"
      [ -f "$scene" ] || break
      # The screen is black but for the banner's white text: the lighter of the two pixels.
      convert "$scene" -background black -extent "${width}x$height" "$frame" -compose lighten \
        -composite "$frames/demo$(printf %03d "$i").png"
    done
    if ls "$frames"/demo*.png >/dev/null 2>&1; then
      convert -delay 50 -loop 0 "$frames"/demo*.png -resize 512x "$out/demo.gif"
      pngs=("$frames"/demo*.png)
      n=${#pngs[@]}
      for k in 1 2 3 4; do
        cp "${pngs[$(( (n * k) / 5 ))]}" "$out/frame$k.png"
      done
      say "recording: $out/demo.gif"
      say "frames:    $out/frame1.png .. $out/frame4.png"
    fi
    say "screen as X shows it: $out/screen.gif"
    rm -rf "$frames"
  fi
  # The installed saver and its prefix go with the session.
  exit "$code"
fi

# ---- outside: options, setup, build, the show -------------------------------------------------
style=book seconds=20 out="$root/build/demo"
while [ $# -gt 0 ]; do
  case "$1" in
    book|card|pyramid|cube) style=$1 ;;
    --seconds) shift; seconds=${1:-}; [[ "$seconds" =~ ^[1-9][0-9]*$ ]] || fail "--seconds takes a whole number" ;;
    --out) shift; out=${1:-}; [ -n "$out" ] || fail "--out takes a folder" ;;
    -h|--help) usage 0 ;;
    *) echo "demo: unknown option $1" >&2; usage 2 >&2 ;;
  esac
  shift
done
case "$style" in book) faces=0 ;; card) faces=2 ;; pyramid) faces=5 ;; cube) faces=6 ;; esac

cd "$root"
say "setup"
if [ "$(id -u)" = 0 ]; then bash scripts/setup.sh; else sudo bash scripts/setup.sh; fi

say "building the saver (win64) and the show writer (native-release)"
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target kelvane scene_host
cmake --preset native-release >/dev/null
cmake --build --preset native-release --target kvshow

pictures_dir=/usr/share/backgrounds/mate/nature
[ -d "$pictures_dir" ] || fail "no photographs in $pictures_dir (Debian package mate-backgrounds)"
mkdir -p "$out"
out=$(cd "$out" && pwd)
work=$(mktemp -d "$out/work.XXXXXX")
trap 'rm -rf "$work"' EXIT

# At most 1600 pixels wide keeps the show small (about 5 MB for eight photographs).
say "preparing the photographs"
photos=("$pictures_dir"/*.jpg)
pictures=()
for photo in "${photos[@]:0:8}"; do
  scaled="$work/$(basename "$photo")"
  convert "$photo" -resize '1600x1600>' -quality 85 -strip -interlace none "$scaled"
  pictures+=("$scaled")
done
[ ${#pictures[@]} -ge 4 ] || fail "too few photographs in $pictures_dir"

show="$work/Nature Tour.dat"
build/native-release/tools/kvshow --faces "$faces" --spin-x 1 --spin-y 2 --pause 3 --turn-step -3 \
  --banner "Nature Tour - photographs from Debian's MATE desktop backgrounds - press a key to end" \
  --title "Nature Tour" \
  --description "A $style of nature photographs, made as a kelvane demo." \
  "$show" "${pictures[@]}"
say "show: $(du -h "$show" | cut -f1) with ${#pictures[@]} pictures, as a $style"

user_display=${DISPLAY:-}
if [ -n "$user_display" ]; then
  say "running on your display $user_display"
else
  say "no DISPLAY: running on a private Xvfb display and recording"
fi
# The session gives a private prefix (and, without DISPLAY, the display); the run happens inside.
KELVANE_SCREEN=${KELVANE_SCREEN:-1024x768x24} \
  scripts/wine-session.sh "$0" --in-session "$show" "$out" "$seconds" "$user_display" "$faces"
