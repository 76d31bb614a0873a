#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for a number of seconds, JOBS at a
# time (each target is one process on one core), from its seed corpus, the
# inputs that once found a fault (tools/fuzz/regressions/) and what earlier
# runs added, and prints each target's coverage and corpus size. Exit
# status 1 when a target found something (its log is shown).
#   run-fuzz.sh FUZZ_BUILD SECONDS [JOBS]
set -euo pipefail
build=$1
seconds=${2:-60}
jobs=${3:-$(nproc 2>/dev/null || echo 1)}
dir="$build/tools/fuzz"
regressions="$(cd "$(dirname "$0")/.." && pwd)/tools/fuzz/regressions"
# Leaks inside Debian's libraries that the game cannot free (each one named there).
export LSAN_OPTIONS="suppressions=$(cd "$(dirname "$0")/.." && pwd)/tools/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
mkdir -p "$build/findings"

# One target: its log in findings/NAME.log, its line of the table in
# findings/NAME.row, or findings/NAME.found when it found something.
run_one() {
  local name=$1 exe="$dir/$1"
  local corpus="$build/corpus/$name" seeds="$dir/seeds/$name" log="$build/findings/$name.log"
  rm -f "$build/findings/$name.row" "$build/findings/$name.found"
  mkdir -p "$corpus"
  local args=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
              -artifact_prefix="$build/findings/$name-")
  [ -f "$dir/$name.dict" ] && args+=(-dict="$dir/$name.dict")
  local dirs=("$corpus" "$seeds")
  [ -d "$regressions/$name" ] && dirs+=("$regressions/$name")
  if ! "$exe" "${args[@]}" "${dirs[@]}" >"$log" 2>&1; then
    touch "$build/findings/$name.found"
    return
  fi
  local start last cov ft corp runs
  start=$(grep -m1 -oE "INITED cov: [0-9]+" "$log" | grep -oE "[0-9]+$" || echo 0)
  last=$(grep -E "cov: [0-9]+" "$log" | tail -1)
  cov=$(echo "$last" | grep -oE "cov: [0-9]+" | grep -oE "[0-9]+")
  ft=$(echo "$last" | grep -oE "ft: [0-9]+" | grep -oE "[0-9]+")
  corp=$(echo "$last" | grep -oE "corp: [0-9]+/[0-9]+[a-zA-Z]*" | cut -d' ' -f2)
  runs=$(grep -oE "stat::number_of_executed_units: [0-9]+" "$log" | grep -oE "[0-9]+$" || echo "?")
  printf '%-22s %8s %8s %8s %10s %10s\n' "$name" "$start" "$cov" "$ft" "$corp" "$runs" \
    >"$build/findings/$name.row"
}

names=()
for exe in "$dir"/fuzz_*; do
  [ -x "$exe" ] && [ -f "$exe" ] || continue
  name=$(basename "$exe")
  [ "$name" = fuzz_seed_writer ] && continue
  names+=("$name")
done

running=0
for name in "${names[@]}"; do
  if [ "$running" -ge "$jobs" ]; then
    wait -n || true
    running=$((running - 1))
  fi
  run_one "$name" &
  running=$((running + 1))
done
wait

printf '%-22s %8s %8s %8s %10s %10s\n' target "cov@0" cov ft corpus runs
found=0
for name in "${names[@]}"; do
  if [ -f "$build/findings/$name.found" ]; then
    found=1
    echo "== $name: a finding (log: $build/findings/$name.log)"
    grep -E "ERROR|SUMMARY|Test unit written|^    #[0-9]" "$build/findings/$name.log" | head -30
  else
    cat "$build/findings/$name.row"
  fi
done
exit "$found"
