#!/bin/sh
# With vertical sync off (VSync=0 in settings.ini) a window still presents at
# most 100 frames a second: 300 frames of the real program take at least
# 2990 ms of the game's clock, which is the real time read once a frame. A
# timedemo of the same window first shows that this machine could go faster
# (else the cap cannot be told from a slow machine, and the test is skipped).
#   present_cap.sh DUSKWHIRL WORKDIR
set -eu
exe=$1 dir=$2 frames=300
rm -rf "$dir"
mkdir -p "$dir/free" "$dir/capped"
for d in free capped; do
  printf '[Software\\QVM\\Duskwhirl]\nVSync=0\n' >"$dir/$d/settings.ini"
done
"$exe" --windowed --size 320x240 --frames $frames --timedemo --user-dir "$dir/free" >"$dir/free/out.txt" 2>&1
fps=$(sed -n 's/.* \([0-9][0-9]*\)\.[0-9]* frames per second.*/\1/p' "$dir/free/out.txt")
[ -n "$fps" ] || { cat "$dir/free/out.txt"; exit 1; }
if [ "$fps" -lt 150 ]; then
  echo "uncapped, this machine runs $fps frames a second: too slow to show the cap"
  exit 77
fi
"$exe" --windowed --size 320x240 --frames $frames --user-dir "$dir/capped" \
  --report "$dir/capped/report.json" >"$dir/capped/out.txt" 2>&1
grep -q '"frames": 300,' "$dir/capped/report.json" || { echo "the run did not show $frames frames"; exit 1; }
now=$(sed -n 's/.*"timeNow": \([0-9]*\).*/\1/p' "$dir/capped/report.json")
# The clock starts at 1000 ms on the first frame.
elapsed=$((now - 1000))
least=$(((frames - 1) * 10))
echo "uncapped: $fps frames a second; with VSync off: $frames frames in $elapsed ms (at least $least)"
[ "$elapsed" -ge "$least" ] || exit 1
# --fixed-step in a window: the clock moves by the step, not the real time.
mkdir -p "$dir/fixed"
"$exe" --windowed --size 320x240 --frames 100 --fixed-step 16 --user-dir "$dir/fixed" \
  --report "$dir/fixed/report.json" >"$dir/fixed/out.txt" 2>&1
fixed=$(sed -n 's/.*"timeNow": \([0-9]*\).*/\1/p' "$dir/fixed/report.json")
echo "--fixed-step 16: 100 frames at $fixed ms (1000 + 100 x 16 = 2600)"
[ "$fixed" = 2600 ]
