#!/usr/bin/env bash
# The brightest flash of a boss's death and of the ship's death with reduced
# flashes off and on. The barrage demo is the stress bench of shots and
# rockets and its blasts are small (there the largest rises are a shield ring,
# a caption, a station scrolling in, the same with the option off and on), so
# this measures on level8-with-boss: frames 25400 to 30400 hold the ship's
# second death (25451), the boss's arrival and its death (30085, a chain of
# blasts over the field); the "level completed" caption that follows (30483)
# is left out, as it is no flash. The frames before are played undrawn.
#
# Prints the largest rise of mean luminance over the frame before, of the
# whole play field and of an area a third of it wide and high, with the
# option off, and the rise of the same frame with it on. Exit status 1 when
# either rise with the option on is above a quarter of the rise without it.
#   bench/flash_rise.sh [build directory] [flash_rise options: --save DIR ...]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-build}
shift || true
cmake --build "$build" --target flash_rise >/dev/null
SDL_AUDIODRIVER=dummy xvfb-run -a -s "-screen 0 1024x768x24" \
  "$build/bench/flash_rise" "$here/level8-with-boss.dwdemo" --data "$build/gamedata.res" \
  --from 25400 --frames 30400 "$@"
