#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for a number of seconds, one after
# the other, from its seed corpus (and what earlier runs added), and prints
# each target's coverage and corpus size. Stops at the first finding.
#   run-fuzz.sh FUZZ_BUILD SECONDS
set -euo pipefail
build=$1
seconds=${2:-60}
dir="$build/tools/fuzz"
regressions="$(cd "$(dirname "$0")/.." && pwd)/tools/fuzz/regressions"
mkdir -p "$build/findings"
printf '%-20s %8s %8s %8s %10s %10s\n' target "cov@0" cov ft corpus runs
for exe in "$dir"/fuzz_*; do
  [ -x "$exe" ] && [ -f "$exe" ] || continue
  name=$(basename "$exe")
  [ "$name" = fuzz_seed_writer ] && continue
  corpus="$build/corpus/$name"
  seeds="$dir/seeds/$name"
  mkdir -p "$corpus"
  args=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
        -artifact_prefix="$build/findings/$name-")
  [ -f "$dir/$name.dict" ] && args+=(-dict="$dir/$name.dict")
  log="$build/findings/$name.log"
  # The inputs that once found a fault run first with the seeds.
  dirs=("$corpus" "$seeds")
  [ -d "$regressions/$name" ] && dirs+=("$regressions/$name")
  if ! "$exe" "${args[@]}" "${dirs[@]}" >"$log" 2>&1; then
    echo "== $name: a finding (log: $log)"
    grep -E "ERROR|SUMMARY|Test unit written|^    #[0-9]" "$log" | head -30
    exit 1
  fi
  start=$(grep -m1 -oE "INITED cov: [0-9]+" "$log" | grep -oE "[0-9]+$" || echo 0)
  last=$(grep -E "cov: [0-9]+" "$log" | tail -1)
  cov=$(echo "$last" | grep -oE "cov: [0-9]+" | grep -oE "[0-9]+")
  ft=$(echo "$last" | grep -oE "ft: [0-9]+" | grep -oE "[0-9]+")
  corp=$(echo "$last" | grep -oE "corp: [0-9]+/[0-9]+[a-zA-Z]*" | cut -d' ' -f2)
  runs=$(grep -oE "stat::number_of_executed_units: [0-9]+" "$log" | grep -oE "[0-9]+$" || echo "?")
  printf '%-20s %8s %8s %8s %10s %10s\n' "$name" "$start" "$cov" "$ft" "$corp" "$runs"
done
