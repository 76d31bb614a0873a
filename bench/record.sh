#!/usr/bin/env bash
# Records the stress demos of bench/ again with the built-in player (after a
# change of play or of the demo format). Each is a headless autopilot game
# started at a level, at 800x600, with a fixed seed, so the same build always
# writes the same bytes.
#   bench/record.sh [path/to/build]   (default: build)
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-build}
exe=$build/duskwhirl
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# name            level seed frames
while read -r name level seed frames; do
  rm -rf "$work/user"
  "$exe" --headless --fixed-step 16 --size 800x600 --autopilot --level "$level" --seed "$seed" \
    --frames "$frames" --data "$build/gamedata.res" --user-dir "$work/user" \
    --record "$here/$name.dwdemo"
  echo "$name.dwdemo: level $level, seed $seed, $frames frames"
done <<'LIST'
level0-with-boss 0 1 46000
level1-with-boss 1 5 38000
level2-with-boss 2 5 38000
level3-with-boss 3 5 40000
level4-opening   4 7 4000
level4-with-boss 4 5 40000
level6-with-boss 6 1 40000
level8-with-boss 8 1 40000
level9-opening   9 7 4000
LIST
"$build/bench/make_barrage" "$here/barrage.dwdemo" --data "$build/gamedata.res"
# The reports these demos replay to, the reference of every other build.
python3 "$here/reports.py" record --build "$build"
