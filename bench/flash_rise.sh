#!/usr/bin/env bash
# The brightest flash of the barrage demo with reduced flashes off and on:
# the largest rise of the play field's mean luminance over the frame before.
# With the option on it must be at most a quarter (exit status 1 otherwise).
#   bench/flash_rise.sh [build directory]   (default: build; needs xvfb-run)
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-build}
cmake --build "$build" --target flash_rise >/dev/null
SDL_AUDIODRIVER=dummy xvfb-run -a -s "-screen 0 1024x768x24" \
  "$build/bench/flash_rise" "$here/barrage.dwdemo" --data "$build/gamedata.res"
