#!/usr/bin/env bash
# How hard each level is for the built-in player: every level is flown on its
# own from a fresh game (four ships, no weapons upgrades) on five seeds, and
# the table shows the ships lost there ("x" after the number: the game was
# over before the level was cleared), their mean and how many runs cleared it.
# One run takes about 16 s of CPU, so the full table is some 50 runs.
#   scripts/difficulty.sh [path/to/duskwhirl]
#   LEVELS="0 1 2" SEEDS="1 2" scripts/difficulty.sh
# REPORTS=DIR keeps each run's report there (report-LEVEL-SEED.json).
# Runs are CPU-heavy: they go one after the other, at low priority (NICE, default 10).
set -u
exe=${1:-build/duskwhirl}
levels=${LEVELS:-0 1 2 3 4 5 6 7 8 9}
seeds=${SEEDS:-1 2 3 4 5}
frames=${DIFFICULTY_FRAMES:-60000}   # 16 minutes of game time: longer than any level
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

printf 'level'
for seed in $seeds; do printf '\tseed %s' "$seed"; done
printf '\tmean lost\tcleared\n'
for level in $levels; do
  printf '%s' "$level"
  total=0 runs=0 cleared=0
  for seed in $seeds; do
    report="$work/report-$level-$seed.json"
    if ! nice -n "${NICE:-10}" "$exe" --headless --autopilot --one-level --level "$level" --seed "$seed" \
         --frames "$frames" --user-dir "$work/user-$level-$seed" --report "$report" >/dev/null 2>&1; then
      printf '\tfail'
      continue
    fi
    if [ -n "${REPORTS:-}" ]; then mkdir -p "$REPORTS" && cp "$report" "$REPORTS/"; fi
    read -r lost won < <(python3 - "$report" "$level" <<'PY'
import json, sys
c = json.load(open(sys.argv[1]))["context"]
level = int(sys.argv[2])
# Four ships a game; the one flying is no longer counted in shipsLeft.
lost = 4 - c["shipsLeft"] - (1 if c["shipAlive"] else 0)
won = c["currentLevel"] > level or c["gamePhase"] in (13, 14)
print(lost, 1 if won else 0)
PY
)
    total=$((total + lost)) runs=$((runs + 1)) cleared=$((cleared + won))
    if [ "$won" -eq 1 ]; then printf '\t%s' "$lost"; else printf '\t%sx' "$lost"; fi
  done
  if [ "$runs" -gt 0 ]; then
    printf '\t%s\t%s/%s\n' "$(python3 -c "print(f'{$total / $runs:.1f}')")" "$cleared" "$runs"
  else
    printf '\t-\t0/0\n'
  fi
done
