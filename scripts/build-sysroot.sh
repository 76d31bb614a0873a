#!/bin/bash
# Builds the libraries the game links from Debian's own source packages into
# a sysroot, for one of two targets:
#
#   scripts/build-sysroot.sh web [BUILD_DIR]       (default: build-web)
#     zlib, libpng, libjpeg, libzip, SDL2, SDL2_mixer for WebAssembly with
#     Debian's Emscripten (its own "ports" are never used: they download)
#   scripts/build-sysroot.sh windows [BUILD_DIR]   (default: build-win)
#     libpng, libjpeg, libzip, SDL2, SDL2_mixer, libepoxy for 64-bit Windows
#     with Debian's MinGW-w64 (zlib is Debian's libz-mingw-w64-dev)
#
# The result is BUILD_DIR/sysroot (include/, lib/, lib/pkgconfig/,
# lib/cmake/), static libraries only. A stamp there records the Debian
# versions, the compiler and this script; when it matches, the sysroot is
# reused as it is. The versions are pinned in scripts/TARGET/sysroot-packages.txt;
# when the archive has moved on to a new Debian revision of the same upstream
# release (a security update), that revision is taken and the stamp says so.
# The answers of each library's configure checks come from
# scripts/TARGET/presets/ (see record_preset below).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
target=${1:-}
case $target in
  web | windows) ;;
  *) echo "usage: scripts/build-sysroot.sh web|windows [BUILD_DIR]" >&2; exit 2 ;;
esac
tdir=$here/$target
out=${2:-$root/build-$([ "$target" = web ] && echo web || echo win)}
mkdir -p "$out"
out=$(cd "$out" && pwd)
sysroot=$out/sysroot
srcdir=$out/sysroot-src
jobs=${JOBS:-$(nproc 2>/dev/null || echo 2)}

die() { echo "build-sysroot: $*" >&2; exit 1; }
command -v apt-get >/dev/null || die "apt-get not found: the libraries are built from Debian source packages"
command -v dpkg-source >/dev/null || die "dpkg-source not found: install dpkg-dev"

# --- the target's compiler and configure ------------------------------------------
mingw=x86_64-w64-mingw32
if [ "$target" = web ]; then
  # shellcheck source=web/env.sh
  . "$tdir/env.sh"
  command -v emcmake >/dev/null || die "emcmake not found: install Debian's emscripten package"
  compiler_version=$(emcc --version 2>/dev/null | head -1)
  # Emscripten's CMake checks of type sizes run a test program in Node.js; a
  # Node.js with a fetch() of its own cannot load the program's .wasm, so the
  # checks run without it (Emscripten's default flag is gone from newer Node).
  emulator="$(command -v node);--no-experimental-fetch"
  node --no-experimental-fetch -e 0 2>/dev/null || emulator=$(command -v node)
  configure() { emcmake cmake "$@" "-DCMAKE_CROSSCOMPILING_EMULATOR=$emulator"; }
else
  command -v $mingw-gcc-posix >/dev/null || die "$mingw-gcc-posix not found: install g++-mingw-w64-x86-64-posix"
  compiler_version="$($mingw-gcc-posix --version | head -1)"
  configure() { cmake -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" "$@"; }
fi
# Only the sysroot's pkg-config files, never the host's.
export PKG_CONFIG_LIBDIR=$sysroot/lib/pkgconfig PKG_CONFIG_PATH=

# --- which versions ----------------------------------------------------------
mapfile -t wanted < <(grep -vE '^\s*(#|$)' "$tdir/sysroot-packages.txt")
stamp_text() {
  echo "compiler $compiler_version"
  echo "script $(cat "$0" "$tdir/sysroot-packages.txt" "$root/cmake/mingw-w64.cmake" | sha256sum | cut -c1-16)"
  printf '%s\n' "$@"
}

# The stamp is checked against the pinned versions first, so that a warm
# sysroot needs no network at all.
if [ -f "$sysroot/.stamp" ] && [ "$(cat "$sysroot/.stamp.pinned" 2>/dev/null)" = "$(stamp_text "${wanted[@]}")" ]; then
  echo "build-sysroot: reusing $sysroot"
  sed 's/^/  /' "$sysroot/.stamp"
  exit 0
fi

bash "$here/enable-deb-src.sh"

# The archive's version of a source package with the same upstream release as
# the pinned one: the pinned version itself when the archive still has it.
resolve_version() {
  local pkg=$1 pinned=$2 upstream avail
  avail=$(apt-cache showsrc "$pkg" | sed -n 's/^Version: //p' | sort -u)
  if grep -qxF "$pinned" <<<"$avail"; then
    echo "$pinned"; return
  fi
  upstream=${pinned%-*}
  avail=$(grep -F "$upstream-" <<<"$avail" | sort -V | tail -1 || true)
  [ -n "$avail" ] || die "$pkg $pinned (or another Debian revision of $upstream) is not in the archive"
  echo "build-sysroot: $pkg $pinned is gone from the archive; taking $avail" >&2
  echo "$avail"
}

resolved=()
for line in "${wanted[@]}"; do
  read -r pkg ver <<<"$line"
  resolved+=("$pkg $(resolve_version "$pkg" "$ver")")
done

start=$(date +%s)
mkdir -p "$sysroot" "$srcdir"

# --- fetch and unpack ------------------------------------------------------------
# Returns the unpacked source directory of a package at a version.
fetch() {
  local pkg=$1 ver=$2 dir
  dir="$srcdir/$pkg-${ver#*:}"
  if [ ! -f "$dir/.unpacked" ]; then
    rm -rf "$dir" "$srcdir/dl"
    mkdir -p "$srcdir/dl"
    # A failed download with the .dsc and the upstream tarball in hand is
    # the Debian packaging tarball missing from the mirror: see below.
    (cd "$srcdir/dl" && apt-get source -qq --download-only "$pkg=$ver" >/dev/null 2>"$srcdir/dl.err") ||
      ls "$srcdir"/dl/*.dsc "$srcdir"/dl/*.orig.tar.* >/dev/null 2>&1 ||
      { grep -v unsandboxed "$srcdir/dl.err" >&2; die "apt-get source $pkg=$ver failed"; }
    local dsc
    dsc=$(ls "$srcdir"/dl/*.dsc)
    if ls "$srcdir"/dl/*.debian.tar.* >/dev/null 2>&1 || ls "$srcdir"/dl/*.diff.gz >/dev/null 2>&1 ||
       grep -q '^Format: 3.0 (native)' "$dsc"; then
      dpkg-source --no-check -x "$dsc" "$dir" >/dev/null || die "unpacking $dsc failed"
    else
      # No Debian packaging tarball came with the source: the upstream
      # release alone is built, without Debian's patches.
      echo "build-sysroot: $pkg $ver has no Debian packaging tarball; building the upstream .orig tarball" >&2
      local orig
      orig=$(ls "$srcdir"/dl/*.orig.tar.* | head -1) || die "no .orig tarball for $pkg $ver"
      mkdir -p "$dir" && tar -xf "$orig" -C "$dir" --strip-components=1 || die "unpacking $orig failed"
    fi
    rm -rf "$srcdir/dl"
    touch "$dir/.unpacked"
  fi
  echo "$dir"
}

# --- build -----------------------------------------------------------------------
# The answers of a library's configure checks (HAVE_..., type sizes) for
# this compiler and version, recorded from a full configure in
# presets/NAME.cmake: with them CMake skips the checks, each of which is a
# run of Emscripten's compiler and linker (SDL2 has hundreds). A preset
# whose first line names another compiler or version is not used.
preset_header() { echo "# $1 $2 $compiler_version"; }
preset_args() {
  local name=$1 pkg=$2 ver=$3 file="$tdir/presets/$1.cmake"
  if [ -f "$file" ] && [ "$(head -1 "$file")" = "$(preset_header "$pkg" "$ver")" ]; then
    echo "-C$file"
  fi
}
# Writes the answers of a full configure as a preset, to be added to
# scripts/TARGET/presets/ when the pinned version or the compiler changes.
record_preset() {
  local name=$1 pkg=$2 ver=$3 bdir="$out/sysroot-build/$1" file="$out/presets/$1.cmake"
  mkdir -p "$out/presets"
  {
    preset_header "$pkg" "$ver"
    echo "# The answers of this library's configure checks (scripts/build-sysroot.sh $target)."
    # A library may have no checks at all: grep then finds nothing.
    { grep -E '^[A-Za-z0-9_]+:INTERNAL=' "$bdir/CMakeCache.txt" || true; } |
      { grep -vE '^(CMAKE_|FIND_PACKAGE_MESSAGE_DETAILS_|_)|:INTERNAL=.*/' || true; } | LC_ALL=C sort |
      sed -E 's/^([A-Za-z0-9_]+):INTERNAL=(.*)$/set(\1 "\2" CACHE INTERNAL "")/'
  } >"$file"
  echo "build-sysroot: $name configured without a preset; its answers are in $file" \
       "(copy it to scripts/$target/presets/ to skip the checks next time)"
}

# Every library: static, Release, no programs, tests or documents, found by
# the next one through the sysroot.
build() {
  local name=$1 src=$2; shift 2
  local bdir="$out/sysroot-build/$name"
  local preset
  preset=$(preset_args "$name" "$pkg" "$ver")
  echo "build-sysroot: $name${preset:+ (configure checks answered by ${preset#-C$root/})}"
  rm -rf "$bdir"
  configure -S "$src" -B "$bdir" -Wno-dev ${preset:+"$preset"} \
    -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$sysroot" \
    -DCMAKE_PREFIX_PATH="$sysroot" \
    -DCMAKE_FIND_ROOT_PATH="$sysroot" \
    -DCMAKE_INSTALL_LIBDIR=lib \
    -DBUILD_SHARED_LIBS=OFF \
    -DCMAKE_POSITION_INDEPENDENT_CODE=OFF \
    -DCMAKE_C_FLAGS="-ffp-contract=off" \
    "$@" >"$bdir.configure.log" 2>&1 || { tail -40 "$bdir.configure.log"; die "configuring $name failed"; }
  [ -n "$preset" ] || record_preset "$name" "$pkg" "$ver"
  local targets=()
  for t in ${BUILD_TARGETS:-}; do targets+=(--target "$t"); done
  cmake --build "$bdir" -j"$jobs" "${targets[@]}" >"$bdir.build.log" 2>&1 ||
    { tail -40 "$bdir.build.log"; die "building $name failed"; }
  [ -n "${NO_INSTALL:-}" ] && return 0
  cmake --install "$bdir" >"$bdir.install.log" 2>&1 || { tail -40 "$bdir.install.log"; die "installing $name failed"; }
}

write_mixer_pc() {
  cat >"$sysroot/lib/pkgconfig/SDL2_mixer.pc" <<EOF
prefix=$sysroot
libdir=\${prefix}/lib
includedir=\${prefix}/include

Name: SDL2_mixer
Description: the mixer library for SDL2 (built for $target)
Version: ${1%%+*}
Requires: sdl2
Libs: -L\${libdir} -lSDL2_mixer
Cflags: -I\${includedir}/SDL2
EOF
}

# libepoxy builds with Meson: a cross file names MinGW-w64's tools.
build_meson() {
  local name=$1 src=$2; shift 2
  local bdir="$out/sysroot-build/$name"
  echo "build-sysroot: $name (Meson)"
  rm -rf "$bdir"
  mkdir -p "$bdir"
  cat >"$bdir.cross" <<EOF
[binaries]
c = '$mingw-gcc-posix'
ar = '$mingw-gcc-ar-posix'
strip = '$mingw-strip'
windres = '$mingw-windres'
pkgconfig = 'pkg-config'
[host_machine]
system = 'windows'
cpu_family = 'x86_64'
cpu = 'x86_64'
endian = 'little'
EOF
  meson setup "$bdir" "$src" --cross-file "$bdir.cross" --prefix "$sysroot" --libdir lib \
    --buildtype release -Ddefault_library=static "$@" >"$bdir.configure.log" 2>&1 ||
    { tail -40 "$bdir.configure.log"; die "configuring $name failed"; }
  ninja -C "$bdir" -j"$jobs" >"$bdir.build.log" 2>&1 || { tail -40 "$bdir.build.log"; die "building $name failed"; }
  meson install -C "$bdir" >"$bdir.install.log" 2>&1 || { tail -40 "$bdir.install.log"; die "installing $name failed"; }
}

# zlib: built here for the web, Debian's own for MinGW-w64.
if [ "$target" = web ]; then
  zlib=(-DZLIB_LIBRARY="$sysroot/lib/libz.a" -DZLIB_INCLUDE_DIR="$sysroot/include")
  jpeg_cpu=wasm32
else
  [ -f /usr/$mingw/lib/libz.a ] || die "no /usr/$mingw/lib/libz.a: install libz-mingw-w64-dev"
  zlib=(-DZLIB_LIBRARY=/usr/$mingw/lib/libz.a -DZLIB_INCLUDE_DIR=/usr/$mingw/include)
  jpeg_cpu=x86_64
fi

mkdir -p "$out/sysroot-build"
for line in "${resolved[@]}"; do
  read -r pkg ver <<<"$line"
  # Each library once per version and compiler: a failed run resumes.
  done_stamp="$sysroot/.built-$pkg"
  if [ "$(cat "$done_stamp" 2>/dev/null)" = "$ver $compiler_version" ]; then
    echo "build-sysroot: $pkg $ver already built"
    continue
  fi
  src=$(fetch "$pkg" "$ver")
  case $pkg in
    zlib)
      # Debian's source leaves out win32/, which zlib's CMake names for the
      # Windows DLL's resources; an empty one stands in.
      mkdir -p "$src/win32" && touch "$src/win32/zlib1.rc"
      # Only the libraries: zlib's CMake has no switch for its examples.
      BUILD_TARGETS="zlib zlibstatic" build zlib "$src"
      # zlib's CMake always builds the shared library as well; the web build
      # links statically, so only the archive stays.
      rm -f "$sysroot"/lib/libz.so* "$sysroot"/lib/libz.js
      ;;
    libpng1.6)
      build libpng "$src" -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF \
        -DPNG_EXECUTABLES=OFF -DPNG_BUILD_ZLIB=OFF "${zlib[@]}" \
        -DPNG_HARDWARE_OPTIMIZATIONS=OFF -Dld-version-script=OFF
      ;;
    libjpeg-turbo)
      # Only the library: its CMake installs its programs unconditionally,
      # and each program is a whole link. The library, its
      # headers and its pkg-config file are copied as its install would.
      NO_INSTALL=1 BUILD_TARGETS=jpeg-static build libjpeg "$src" -DENABLE_SHARED=OFF \
        -DENABLE_STATIC=ON -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF -DWITH_JAVA=OFF \
        -DCMAKE_SYSTEM_PROCESSOR=$jpeg_cpu
      install -D -m 644 "$out/sysroot-build/libjpeg/libjpeg.a" "$sysroot/lib/libjpeg.a"
      install -D -m 644 -t "$sysroot/include" "$out/sysroot-build/libjpeg/jconfig.h" \
        "$src/jerror.h" "$src/jmorecfg.h" "$src/jpeglib.h"
      install -D -m 644 -t "$sysroot/lib/pkgconfig" "$out/sysroot-build/libjpeg/pkgscripts/libjpeg.pc"
      ;;
    libzip)
      build libzip "$src" -DBUILD_TOOLS=OFF -DBUILD_REGRESS=OFF -DBUILD_EXAMPLES=OFF \
        -DBUILD_DOC=OFF -DENABLE_BZIP2=OFF -DENABLE_LZMA=OFF -DENABLE_ZSTD=OFF \
        -DENABLE_GNUTLS=OFF -DENABLE_OPENSSL=OFF -DENABLE_MBEDTLS=OFF \
        -DENABLE_COMMONCRYPTO=OFF -DENABLE_WINDOWS_CRYPTO=OFF "${zlib[@]}"
      ;;
    libsdl2)
      # The subsystems the game uses (video, audio, events, game controllers,
      # timers, misc for opening a page): not SDL's 2D renderer (the game
      # draws with OpenGL), haptics, sensors, power, locales or HIDAPI. On
      # Windows SDL keeps its threads (its audio runs on one) and the
      # dummy audio driver CI plays through.
      if [ "$target" = web ]; then
        sdl_target=(-DSDL_PTHREADS=OFF -DSDL_THREADS=OFF -DSDL_DISKAUDIO=OFF)
      else
        sdl_target=(-DSDL_DISKAUDIO=OFF -DSDL_VIRTUAL_JOYSTICK=OFF)
      fi
      build sdl2 "$src" -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF \
        -DSDL_TESTS=OFF -DSDL_RENDER=OFF \
        -DSDL_HAPTIC=OFF -DSDL_SENSOR=OFF -DSDL_POWER=OFF -DSDL_LOCALE=OFF \
        -DSDL_HIDAPI=OFF -DSDL_OFFSCREEN=OFF "${sdl_target[@]}"
      ;;
    libepoxy)
      # The GL entry points on Windows (WGL): only the library.
      build_meson epoxy "$src" -Dtests=false -Ddocs=false -Dglx=no -Degl=no -Dx11=false
      ;;
    libsdl2-mixer)
      # OGG Vorbis through the decoder the mixer carries itself (stb_vorbis);
      # WAV is built in. Nothing else the game does not play.
      build sdl2_mixer "$src" -DSDL2MIXER_SAMPLES=OFF -DSDL2MIXER_VORBIS=STB \
        -DSDL2MIXER_OPUS=OFF -DSDL2MIXER_FLAC=OFF -DSDL2MIXER_MOD=OFF \
        -DSDL2MIXER_MIDI=OFF -DSDL2MIXER_MP3=OFF -DSDL2MIXER_WAVPACK=OFF \
        -DSDL2MIXER_CMD=OFF -DSDL2MIXER_VENDORED=OFF -DSDL2MIXER_DEPS_SHARED=OFF \
        -DSDL2_DIR="$sysroot/lib/cmake/SDL2"
      # Its CMake writes no pkg-config file for the static library.
      [ -f "$sysroot/lib/pkgconfig/SDL2_mixer.pc" ] || write_mixer_pc "${ver#*:}"
      ;;
    *) die "no recipe for $pkg" ;;
  esac
  echo "$ver $compiler_version" >"$done_stamp"
done

stamp_text "${resolved[@]}" >"$sysroot/.stamp"
stamp_text "${wanted[@]}" >"$sysroot/.stamp.pinned"
rm -rf "$out/sysroot-build"
echo "build-sysroot: done in $(( $(date +%s) - start )) s: $sysroot"
sed 's/^/  /' "$sysroot/.stamp"
