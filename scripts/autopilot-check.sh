#!/usr/bin/env bash
# The built-in player against the first level, boss included, on five seeds:
# passes when it clears the level on at least three of them.
#   scripts/autopilot-check.sh [path/to/duskwhirl]
set -u
exe=${1:-build/duskwhirl}
frames=${AUTOPILOT_FRAMES:-50000}   # 13 minutes of game time at 16 ms
need=${AUTOPILOT_NEED:-3}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cleared=0
for seed in 1 2 3 4 5; do
  report="$work/report-$seed.json"
  if ! "$exe" --headless --autopilot --level 0 --seed "$seed" --frames "$frames" \
       --user-dir "$work/user-$seed" --report "$report" >/dev/null; then
    echo "seed $seed: the run failed"
    continue
  fi
  read -r level score ships < <(python3 - "$report" <<'PY'
import json, sys
c = json.load(open(sys.argv[1]))["context"]
print(c["levelIndex"], c["score"], c["shipsLeft"])
PY
)
  if [ "$level" -ge 1 ]; then
    cleared=$((cleared + 1))
    echo "seed $seed: level 0 cleared (score $score, ships left $ships)"
  else
    echo "seed $seed: level 0 not cleared (score $score, ships left $ships)"
  fi
done
echo "autopilot cleared level 0 on $cleared of 5 seeds (needs $need)"
[ "$cleared" -ge "$need" ]
