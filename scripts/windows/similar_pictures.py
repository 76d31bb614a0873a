#!/usr/bin/env python3
"""Two screenshots of the same frames from two builds (Linux and Windows
under Wine, each on its own OpenGL driver) look the same: same size, a lit
picture, every channel within TOLERANCE on average and at most one channel
in a hundred further off than 24.
  similar_pictures.py REFERENCE.png OTHER.png [TOLERANCE]"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "gl"))
from png_read import read_png  # noqa: E402


def main():
    if len(sys.argv) not in (3, 4):
        sys.exit(__doc__)
    tolerance = float(sys.argv[3]) if len(sys.argv) == 4 else 2.0
    wa, ha, bppa, a = read_png(sys.argv[1])
    wb, hb, bppb, b = read_png(sys.argv[2])
    if (wa, ha) != (wb, hb):
        sys.exit(f"the pictures differ in size: {wa}x{ha} and {wb}x{hb}")
    # Compare colour only (an RGBA picture's alpha means nothing).
    ca = [a[i] for i in range(len(a)) if bppa == 3 or i % 4 != 3]
    cb = [b[i] for i in range(len(b)) if bppb == 3 or i % 4 != 3]
    mean_level = sum(cb) / len(cb)
    diffs = [abs(x - y) for x, y in zip(ca, cb)]
    mean = sum(diffs) / len(diffs)
    far = sum(1 for d in diffs if d > 24)
    print(f"{wa}x{ha}: mean level {mean_level:.1f}, mean difference {mean:.3f}, "
          f"{far} of {len(diffs)} channels off by more than 24")
    if mean_level < 8 or len(set(cb)) < 16:
        sys.exit("the picture is dark: nothing was drawn")
    if mean > tolerance or far * 100 > len(diffs):
        sys.exit("the pictures differ")


if __name__ == "__main__":
    main()
