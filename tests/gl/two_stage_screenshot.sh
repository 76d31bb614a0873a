#!/usr/bin/env bash
# The background drawn in one two-stage pass looks as it did in two blended
# passes: frame 1200 of the barrage demo at 800x600, once with the second
# texture stage hidden (DUSKWHIRL_GL_STAGES=1) and once with it, may differ by
# at most 1 in any channel. The frame is otherwise the same: the two-stage
# run sends the merged grid (4 columns of 4 to 7 bands, the first column in
# two pieces around the board's panel) instead of the two 16-quad grids, and
# the device paints it once over its 200-pixel repeat square and fetches the
# rest from there.
#   two_stage_screenshot.sh path/to/duskwhirl path/to/barrage.dwdemo work-dir [option]...
# The options go to both runs (--gles: on OpenGL ES).
set -eu
exe=$1
demo=$2
work=$3
shift 3
rm -rf "$work"
mkdir -p "$work"
options=("$@")
run() {  # name, then the environment for the run
    local name=$1
    shift
    env "$@" "$exe" --windowed --replay "$demo" --frames 1200 --screenshot "$work/$name.png" \
        --report "$work/$name.json" --user-dir "$work/user-$name" "${options[@]}" 2>/dev/null
}
run one DUSKWHIRL_GL_STAGES=1
run two DUSKWHIRL_GL_STAGES=2
PYTHONPATH=$(dirname "$0") python3 - "$work/one.png" "$work/two.png" "$work/one.json" "$work/two.json" <<'PY'
import json, sys
from png_read import read_png

w1, h1, bpp1, one = read_png(sys.argv[1])
w2, h2, bpp2, two = read_png(sys.argv[2])
if (w1, h1, bpp1) != (w2, h2, bpp2) or (w1, h1) != (800, 600):
    print("screenshots differ in size:", (w1, h1), (w2, h2))
    sys.exit(1)
worst, count = 0, 0
for i in range(len(one)):
    d = abs(one[i] - two[i])
    if d:
        count += 1
        if d > worst: worst = d
one_r, two_r = (json.load(open(p))["renderer"] for p in sys.argv[3:5])
quads = (6 * 32 - (one_r["vertices"] - two_r["vertices"])) / 6
print("largest channel difference", worst, "in", count, "channels; draws", one_r["draws"], "and",
      two_r["draws"], "; merged background of", quads, "quads")
if len(set(one)) < 16:
    print("the screenshot shows next to nothing")
    sys.exit(1)
if worst > 1:
    sys.exit(1)
if two_r["draws"] != one_r["draws"] or not (20 <= quads <= 35 and quads == int(quads)):
    print("the two-stage run should draw the background as one merged grid")
    sys.exit(1)
PY
