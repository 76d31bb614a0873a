#!/usr/bin/env bash
# The brightest flash of the barrage demo with reduced flashes off and on:
# the largest rise of mean luminance over the frame before, of an area a
# third of the play field wide and high (the figure that decides) and of the
# whole field (for comparison). Exit status 1 when the area's rise with the
# option on is above a quarter of the rise without it.
#   bench/flash_rise.sh [build directory] [flash_rise options: --save DIR ...]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-build}
shift || true
cmake --build "$build" --target flash_rise >/dev/null
SDL_AUDIODRIVER=dummy xvfb-run -a -s "-screen 0 1024x768x24" \
  "$build/bench/flash_rise" "$here/barrage.dwdemo" --data "$build/gamedata.res" "$@"
