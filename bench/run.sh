#!/usr/bin/env bash
# Runs every stress demo of bench/ as fast as it goes and prints the frame
# statistics of each (--timedemo): CPU per frame (median, p99), draws,
# batches, vertices, texture binds and heap allocations per frame.
#   bench/run.sh [path/to/duskwhirl] [--windowed]   (default: build/duskwhirl, headless)
# Headless runs measure the game and the Render queue on the null device;
# --windowed runs measure the OpenGL path as well.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
exe=${1:-build/duskwhirl}
mode=--headless
if [ "${2:-}" = "--windowed" ]; then mode=--windowed; fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
for demo in "$here"/*.dwdemo; do
  "$exe" "$mode" --replay "$demo" --timedemo --user-dir "$work/user" || status=1
done
exit $status
