#!/usr/bin/env bash
# A game recorded in a window (the real clock, read once a frame) replays
# headless to the same end: same frames, score, time and objects.
#   window_replay.sh path/to/duskwhirl work-dir
set -eu
exe=$1
work=$2
rm -rf "$work"
mkdir -p "$work"
"$exe" --windowed --size 800x600 --autopilot --level 0 --seed 9 --frames 900 \
  --record "$work/window.dwdemo" --report "$work/window.json" --user-dir "$work/user1" 2>/dev/null
"$exe" --headless --replay "$work/window.dwdemo" --report "$work/replay.json" --user-dir "$work/user2"
python3 - "$work/window.json" "$work/replay.json" <<'PY'
import json, sys
a, b = (json.load(open(p)) for p in sys.argv[1:3])
# What depends on the machine (sound card, desktop size) may differ.
machine = {"musicStream", "soundReady", "requestedWidth", "requestedHeight"}
diff = [k for k in a["context"] if k not in machine and a["context"][k] != b["context"].get(k)]
if a["frames"] != b["frames"] or diff or a["objects"] != b["objects"]:
    print("replay differs:", a["frames"], b["frames"], diff)
    sys.exit(1)
print("window replay identical: frames", a["frames"], "score", a["context"]["score"])
PY
