#!/bin/bash
# make web: the game for a web browser, in BUILD_WEB (default build-web);
# what a web site holds (duskwhirl.html, .js, .wasm, gamedata.res, demos/,
# site/) is copied to BUILD_WEB/www, which make web-serve serves.
#   scripts/web/build.sh [NATIVE_BUILD [BUILD_WEB]]
# The native build (default build) provides the level compiler and the
# assets; the libraries come from the sysroot of scripts/build-sysroot.sh.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
native=${1:-build}
web=${2:-build-web}
jobs=${JOBS:-$(nproc 2>/dev/null || echo 2)}
cd "$root"
# shellcheck source=env.sh
. "$here/env.sh"
start=$(date +%s)

command -v emcmake >/dev/null || { echo "make web: emcmake not found (Debian's emscripten package)" >&2; exit 1; }

echo "== native tools (level compiler, assets) in $native"
if [ ! -f "$native/CMakeCache.txt" ]; then
  cmake -S . -B "$native" -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$native" -j"$jobs" --target levelgen gamedata
levelgen=$(cd "$native" && pwd)/tools/levelgen/levelgen
gamedata=$(cd "$native" && pwd)/gamedata.res
[ -x "$levelgen" ] || { echo "make web: no $levelgen" >&2; exit 1; }

echo "== libraries for the web (sysroot)"
bash "$root/scripts/build-sysroot.sh" web "$web"

echo "== the game for the web in $web"
mkdir -p "$web"
web_abs=$(cd "$web" && pwd)
emcmake cmake -S . -B "$web" -DCMAKE_BUILD_TYPE=Release \
  -DDW_WEB_SYSROOT="$web_abs/sysroot" -DDW_HOST_LEVELGEN="$levelgen" \
  -DDW_HOST_GAMEDATA="$gamedata" >"$web/configure.log" 2>&1 ||
  { tail -30 "$web/configure.log"; echo "make web: configuring failed" >&2; exit 1; }
cmake --build "$web" -j"$jobs"
echo "== done in $(( $(date +%s) - start )) s:"
ls -l "$web"/www/duskwhirl.html "$web"/www/duskwhirl.js "$web"/www/duskwhirl.wasm "$web"/www/gamedata.res
