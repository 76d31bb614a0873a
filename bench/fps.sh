#!/usr/bin/env bash
# Frame rate of the OpenGL path against the bare baseline, in one X server:
# bench/gl_baseline (clear + four full-screen blended quads) and a play scene
# run uncapped in a window.
#   bench/fps.sh [build dir] [WxH] [demo | level:N]
# The scene is a demo file (default: the level 4 boss fight), which plays at
# the size it was recorded at, or level:N, the autopilot on level N at WxH
# (default 800x600) with every weapon at its top. The baseline runs at the
# size the game got.
# FRAMES=N sets how many frames of the scene to time (default 2500); FROM=N
# plays the first N frames of a demo undrawn and times the FRAMES after them
# (a with-boss demo's boss fight is near its end); RUNS=N
# how many game-then-baseline pairs to run (default 3): a shared machine's
# speed wanders by ±10 % between runs, so the median pair is what is printed.
# GAME_OPTIONS go to the game too (GAME_OPTIONS=--gles: on OpenGL ES, and
# the baseline then runs on OpenGL ES as well: Mesa's ES context through EGL
# presents at a fraction of the desktop context's rate under Xvfb).
# Needs xvfb-run when there is no display.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-build}
size=${2:-800x600}
scene=${3:-$here/level4-with-boss.dwdemo}
frames=${FRAMES:-2500}
from=${FROM:-0}
runs=${RUNS:-3}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
case "$scene" in
  level:*) game_args="--size $size --level ${scene#level:} --seed 4 --arsenal 3,2,999 --autopilot" ;;
  *) game_args="--replay $scene" ;;
esac
game_args="$game_args ${GAME_OPTIONS:-}"
base_args=
case " ${GAME_OPTIONS:-} " in *" --gles "*) base_args=--gles ;; esac
w=${size%x*}
h=${size#*x}
cat > "$work/measure" <<SCRIPT
set -eu
for run in \$(seq $runs); do
  "$build/duskwhirl" --windowed $game_args --timedemo --timedemo-from $from --frames $((from + frames)) --user-dir "$work/user" 2>/dev/null | tee "$work/game"
  got=\$(sed -n 's/.*(window \([0-9]*x[0-9]*\)).*/\1/p' "$work/game")
  "$build/bench/gl_baseline" --seconds 6 --size "\$got" $base_args | tail -1 | tee "$work/base"
  g=\$(sed -n 's/.*; \([0-9.]*\) frames per second after the first second.*/\1/p' "$work/game")
  b=\$(sed -n 's/.* = \([0-9.]*\) frames per second.*/\1/p' "$work/base")
  echo "\$g \$b" >> "$work/pairs"
done
SCRIPT
if [ -n "${DISPLAY:-}" ]; then
  bash "$work/measure"
else
  # Room for the larger of the asked size and a demo's recorded one.
  xvfb-run -a -s "-screen 0 $((w > 1920 ? w + 64 : 1984))x$((h > 1200 ? h + 64 : 1264))x24" bash "$work/measure"
fi
# Each pair's share of the baseline; the pair with the median share is shown.
awk '{ print $1 / $2, $1, $2 }' "$work/pairs" | sort -n |
  awk '{ r[NR] = $0 } END { split(r[int((NR + 1) / 2)], m, " ");
         printf "game %.1f fps, baseline %.1f fps: %.0f %% of the baseline (median of %d runs)\n", m[2], m[3], 100 * m[1], NR }'
