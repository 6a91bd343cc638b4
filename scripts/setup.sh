#!/usr/bin/env bash
# Installs everything the build, the tests and the demo need, from Debian's packages, and builds
# libjpeg-turbo (6b interface) static for both mingw-w64 targets into a cache folder.
# Idempotent: a second run checks and skips. Run as root on a fresh Debian bookworm machine.
set -euo pipefail

CACHE_DIR=${KELVANE_CACHE:-/var/cache/kelvane}
PACKAGES=(
  cmake ninja-build g++ pkg-config libgtest-dev libjpeg62-turbo-dev libjpeg-turbo-progs
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  nasm dpkg-dev
  wine wine64 xvfb x11-apps x11-utils xdotool imagemagick
  pulseaudio sox lame gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  mate-backgrounds
)

step() { echo "setup: $*"; }
fail() { echo "setup: FAILED: $*" >&2; exit 1; }
trap 'fail "line $LINENO: $BASH_COMMAND"' ERR

missing_packages() {
  local p
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed$' || echo "$p"
  done
}

need_root() { [ "$(id -u)" = 0 ] || fail "$1 needs root (run: sudo $0)"; }

# 1. Debian packages
missing=$(missing_packages)
if [ -n "$missing" ]; then
  need_root "installing packages"
  step "installing packages: $(echo $missing)"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing >/dev/null
else
  step "all packages present"
fi

# 2. libjpeg-turbo for mingw, from the source package of the native version
jpeg_version=$(dpkg-query -W -f='${Version}' libjpeg62-turbo-dev)   # e.g. 1:2.1.5-2
upstream=${jpeg_version#*:}; upstream=${upstream%-*}                  # e.g. 2.1.5
stamp_of() { echo "$CACHE_DIR/libjpeg-turbo-$1/.built-$jpeg_version"; }

targets=()
for t in i686-w64-mingw32 x86_64-w64-mingw32; do
  [ -f "$(stamp_of "$t")" ] || targets+=("$t")
done

if [ ${#targets[@]} -eq 0 ]; then
  step "libjpeg-turbo $jpeg_version for mingw already in $CACHE_DIR"
  exit 0
fi

need_root "fetching the libjpeg-turbo source package"
mkdir -p "$CACHE_DIR"

# apt-get source needs deb-src entries: derive them from the machine's own sources.
if ! apt-get source --print-uris "libjpeg-turbo=$jpeg_version" >/dev/null 2>&1; then
  step "adding deb-src entries derived from the existing apt sources"
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -e "$f" ] || continue
    case "$f" in *kelvane-src.sources) continue ;; esac
    grep -q '^Types:.*deb-src' "$f" && continue
    sed -e 's/^Types:.*/Types: deb-src/' "$f"
    echo
  done > /etc/apt/sources.list.d/kelvane-src.sources
  if [ -f /etc/apt/sources.list ]; then
    grep -E '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' > /etc/apt/sources.list.d/kelvane-src.list || true
  fi
  apt-get update -qq
fi

src_root="$CACHE_DIR/src"
src_dir="$src_root/libjpeg-turbo-$upstream"
if [ ! -f "$src_dir/CMakeLists.txt" ]; then
  step "fetching source package libjpeg-turbo=$jpeg_version"
  rm -rf "$src_root"; mkdir -p "$src_root"
  (cd "$src_root" && apt-get source -qq "libjpeg-turbo=$jpeg_version" >/dev/null)
  [ -f "$src_dir/CMakeLists.txt" ] || fail "source package did not unpack into $src_dir"
fi

for t in "${targets[@]}"; do
  prefix="$CACHE_DIR/libjpeg-turbo-$t"
  bdir="$CACHE_DIR/build-$t"
  case "$t" in i686*) proc=x86 ;; *) proc=AMD64 ;; esac
  step "building libjpeg-turbo $upstream static for $t"
  rm -rf "$bdir" "$prefix"; mkdir -p "$bdir"
  cat > "$bdir/toolchain.cmake" <<TC
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR $proc)
set(CMAKE_C_COMPILER $t-gcc)
set(CMAKE_RC_COMPILER $t-windres)
set(CMAKE_FIND_ROOT_PATH /usr/$t)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
TC
  cmake -S "$src_dir" -B "$bdir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$bdir/toolchain.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_INSTALL_LIBDIR:PATH=lib \
    -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_JPEG7=OFF -DWITH_JPEG8=OFF \
    -DWITH_TURBOJPEG=OFF -DREQUIRE_SIMD=ON >"$bdir/configure.log" 2>&1 \
    || { tail -20 "$bdir/configure.log" >&2; fail "configuring libjpeg-turbo for $t"; }
  cmake --build "$bdir" --target install >"$bdir/build.log" 2>&1 \
    || { tail -20 "$bdir/build.log" >&2; fail "building libjpeg-turbo for $t"; }
  grep -q 'JPEG_LIB_VERSION *62' "$prefix/include/jconfig.h" || fail "$t build is not the 6b interface"
  touch "$(stamp_of "$t")"
  rm -rf "$bdir"
done
step "libjpeg-turbo for mingw ready in $CACHE_DIR"
