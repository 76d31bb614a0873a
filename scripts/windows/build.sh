#!/bin/bash
# make windows: the game for 64-bit Windows, cross-built in BUILD_WIN
# (default build-win): duskwhirl.exe (static: no DLL beside it),
# gamedata.res, demos/, site/; with --package also the zip and the
# installer in dist/ (scripts/windows/package.sh).
#   scripts/windows/build.sh [NATIVE_BUILD [BUILD_WIN]]
# The native build (default build) provides the level compiler, the assets
# and the icon; the libraries come from the sysroot of
# scripts/build-sysroot.sh windows. WIN_CMAKE_FLAGS adds configure options.
# The unit tests that hold on Windows (WIN_TEST_SUITES, default user_files)
# are built too, into BUILD_WIN/tests/, for make windows-test to run under
# Wine; the others use POSIX calls (fork, chmod bits, FIFOs, symbolic links)
# in their fixtures.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
native=${1:-build}
win=${2:-build-win}
jobs=${JOBS:-$(nproc 2>/dev/null || echo 2)}
cd "$root"
start=$(date +%s)

command -v x86_64-w64-mingw32-g++-posix >/dev/null ||
  { echo "make windows: x86_64-w64-mingw32-g++-posix not found (scripts/setup-deps.sh --windows)" >&2; exit 1; }

echo "== native tools (level compiler, assets, icon) in $native"
if [ ! -f "$native/CMakeCache.txt" ]; then
  cmake -S . -B "$native" -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$native" -j"$jobs" --target levelgen gamedata icons
native_abs=$(cd "$native" && pwd)
levelgen=$native_abs/tools/levelgen/levelgen
[ -x "$levelgen" ] || { echo "make windows: no $levelgen" >&2; exit 1; }

echo "== libraries for Windows (sysroot)"
bash "$root/scripts/build-sysroot.sh" windows "$win"

echo "== the game for Windows in $win"
mkdir -p "$win"
win_abs=$(cd "$win" && pwd)
# shellcheck disable=SC2086 # WIN_CMAKE_FLAGS holds several options
cmake -S . -B "$win" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
  -DDW_WIN_SYSROOT="$win_abs/sysroot" -DDW_HOST_LEVELGEN="$levelgen" \
  -DDW_HOST_GAMEDATA="$native_abs/gamedata.res" -DDW_HOST_ICONS="$native_abs/icons" \
  -DDW_FULL_VERSION="$(bash "$root/scripts/version.sh")" \
  -DDW_BUILD_TESTS=ON ${WIN_CMAKE_FLAGS:-} >"$win/configure.log" 2>&1 ||
  { tail -30 "$win/configure.log"; echo "make windows: configuring failed" >&2; exit 1; }
suites=${WIN_TEST_SUITES:-user_files}
targets=(duskwhirl windows_gamedata attract_demos)
for suite in $suites; do targets+=("test_$suite"); done
cmake --build "$win" -j"$jobs" --target "${targets[@]}"
rm -rf "$win/tests"
mkdir -p "$win/tests"
for suite in $suites; do cp "$win/test_$suite.exe" "$win/tests/"; done
echo "== done in $(( $(date +%s) - start )) s:"
ls -l "$win"/duskwhirl.exe "$win"/gamedata.res
