#!/usr/bin/env bash
# Frame rate of the OpenGL path against the bare baseline, in one X server:
# bench/gl_baseline (clear + four full-screen blended quads) and the busiest
# play scene (the level 4 boss fight) replayed uncapped in a window.
#   bench/fps.sh [build dir] [WxH] [demo]   (defaults: build, 800x600, level4-with-boss)
# FRAMES=N sets how many frames of the demo to play (default 2500).
# Needs xvfb-run when there is no display.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-build}
size=${2:-800x600}
demo=${3:-$here/level4-with-boss.dwdemo}
frames=${FRAMES:-2500}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
w=${size%x*}
h=${size#*x}
cat > "$work/measure" <<SCRIPT
set -eu
"$build/bench/gl_baseline" --seconds 6 --size $size | tail -1 | tee "$work/base"
"$build/duskwhirl" --windowed --size $size --replay "$demo" --timedemo --frames $frames --user-dir "$work/user" 2>/dev/null | tee "$work/game"
SCRIPT
if [ -n "${DISPLAY:-}" ]; then
  bash "$work/measure"
else
  xvfb-run -a -s "-screen 0 $((w + 64))x$((h + 64))x24" bash "$work/measure"
fi
base=$(sed -n 's/.* = \([0-9.]*\) frames per second.*/\1/p' "$work/base")
game=$(sed -n 's/.*; \([0-9.]*\) frames per second after the first second.*/\1/p' "$work/game")
awk -v b="$base" -v g="$game" 'BEGIN { printf "game %.1f fps, baseline %.1f fps: %.0f %% of the baseline\n", g, b, 100 * g / b }'
