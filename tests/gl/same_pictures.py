#!/usr/bin/env python3
# The same frames drawn on desktop OpenGL and on OpenGL ES look the same:
# each pair of screenshots may differ by at most 1 in any channel, in at most
# one channel in a thousand.
#   same_pictures.py desktop.png es.png [desktop.png es.png]...
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from png_read import read_png

failed = False
pairs = sys.argv[1:]
if not pairs or len(pairs) % 2:
    sys.exit("usage: same_pictures.py desktop.png es.png [...]")
for a_path, b_path in zip(pairs[0::2], pairs[1::2]):
    wa, ha, bppa, a = read_png(a_path)
    wb, hb, bppb, b = read_png(b_path)
    if (wa, ha, bppa) != (wb, hb, bppb):
        print(a_path, "and", b_path, "differ in size:", (wa, ha, bppa), (wb, hb, bppb))
        failed = True
        continue
    worst, count = 0, 0
    for x, y in zip(a, b):
        if x != y:
            count += 1
            worst = max(worst, abs(x - y))
    print(os.path.basename(a_path), "largest channel difference", worst, "in", count, "of", len(a), "channels")
    if len(set(a)) < 16:
        print(a_path, "shows next to nothing")
        failed = True
    if worst > 1 or count * 1000 > len(a):
        failed = True
sys.exit(1 if failed else 0)
