#!/usr/bin/env bash
# clang-tidy (the checks of .clang-tidy) over the C++ files of src/ that this
# branch changes against main, or over all of src/ with --all.
#   scripts/tidy.sh [--all] [--build DIR] [--base REF] [-j N]
# The build directory must be configured (it holds compile_commands.json).
# A header that changed is checked through the sources of its folder.
# Exit status: 0 clean, 1 findings, 2 usage or setup error.
set -euo pipefail
cd "$(dirname "$0")/.."

all=0
build=build
base=main
jobs=$(nproc 2>/dev/null || echo 2)
while [ $# -gt 0 ]; do
  case "$1" in
    --all) all=1 ;;
    --build) build="$2"; shift ;;
    --base) base="$2"; shift ;;
    -j) jobs="$2"; shift ;;
    -h|--help) sed -n '2,7p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "tidy.sh: unknown argument $1" >&2; exit 2 ;;
  esac
  shift
done

if [ ! -f "$build/compile_commands.json" ]; then
  echo "tidy.sh: no $build/compile_commands.json (configure the build first)" >&2
  exit 2
fi
command -v clang-tidy >/dev/null || { echo "tidy.sh: clang-tidy is not installed" >&2; exit 2; }

if [ "$all" = 1 ]; then
  mapfile -t files < <(find src -name '*.cpp' | sort)
else
  mapfile -t changed < <({ git diff --name-only --diff-filter=d "$(git merge-base HEAD "$base")" -- src
                           git diff --name-only --diff-filter=d -- src
                           git ls-files --others --exclude-standard -- src; } | sort -u)
  files=()
  for f in "${changed[@]}"; do
    case "$f" in
      *.cpp) files+=("$f") ;;
      *.h) while IFS= read -r s; do files+=("$s"); done < <(grep -l -F "$(basename "$f")" "$(dirname "$f")"/*.cpp 2>/dev/null || true) ;;
    esac
  done
  mapfile -t files < <(printf '%s\n' "${files[@]}" | sed '/^$/d' | sort -u)
fi
# Only files the build compiles (a platform file may be left out of this configuration).
mapfile -t files < <(for f in "${files[@]}"; do
  grep -q -F "/$f\"" "$build/compile_commands.json" && echo "$f"; done)
if [ "${#files[@]}" -eq 0 ]; then
  echo "tidy.sh: no C++ file of src/ to check"
  exit 0
fi

echo "tidy.sh: ${#files[@]} file(s), $jobs job(s)"
log=$(mktemp)
trap 'rm -f "$log"' EXIT
printf '%s\n' "${files[@]}" |
  xargs -P "$jobs" -n 1 clang-tidy -p "$build" --quiet 2>/dev/null >"$log" || true
cat "$log"
count=$(grep -cE '(warning|error):' "$log" || true)
if [ "$count" != 0 ]; then
  echo "tidy.sh: $count finding(s)"
  exit 1
fi
echo "tidy.sh: clean"
