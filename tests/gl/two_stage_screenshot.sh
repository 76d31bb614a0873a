#!/usr/bin/env bash
# The background drawn in one two-stage pass looks as it did in two blended
# passes: frame 1200 of the barrage demo at 800x600, once with the second
# texture stage hidden (DUSKWHIRL_GL_STAGES=1) and once with it, may differ by
# at most 1 in any channel. The frame is otherwise the same: the two-stage
# run sends the merged grid (4 columns of 4 to 7 bands, the first column in
# two pieces around the board's panel) instead of the two 16-quad grids.
#   two_stage_screenshot.sh path/to/duskwhirl path/to/barrage.dwdemo work-dir
set -eu
exe=$1
demo=$2
work=$3
rm -rf "$work"
mkdir -p "$work"
run() {  # name, then the environment for the run
    local name=$1
    shift
    env "$@" "$exe" --windowed --replay "$demo" --frames 1200 --screenshot "$work/$name.png" \
        --report "$work/$name.json" --user-dir "$work/user-$name" 2>/dev/null
}
run one DUSKWHIRL_GL_STAGES=1
run two DUSKWHIRL_GL_STAGES=2
python3 - "$work/one.png" "$work/two.png" "$work/one.json" "$work/two.json" <<'PY'
import json, struct, sys, zlib

def read_png(path):
    data = open(path, "rb").read()
    assert data[:8] == b"\x89PNG\r\n\x1a\n", path + ": not a PNG"
    pos, idat = 8, b""
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            w, h, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", body)
            assert depth == 8 and colour in (2, 6) and interlace == 0, path + ": unexpected PNG form"
            bpp = 3 if colour == 2 else 4
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    raw = zlib.decompress(idat)
    stride = w * bpp
    out, prev = bytearray(), bytearray(stride)
    for y in range(h):
        f = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - bpp] if i >= bpp else 0
            b = prev[i]
            c = prev[i - bpp] if i >= bpp else 0
            if f == 1: line[i] = (line[i] + a) & 255
            elif f == 2: line[i] = (line[i] + b) & 255
            elif f == 3: line[i] = (line[i] + (a + b) // 2) & 255
            elif f == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        out += line
        prev = line
    return w, h, bpp, bytes(out)

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
