#!/usr/bin/env bash
# clang-format (the style of .clang-format) over the project's C++ files.
#   scripts/format.sh          reformat them in place
#   scripts/format.sh --check  change nothing; list the files that differ, exit 1 if any
set -euo pipefail
cd "$(dirname "$0")/.."
command -v clang-format >/dev/null || { echo "format.sh: clang-format is not installed" >&2; exit 2; }
mapfile -t files < <(git ls-files 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'tools/*.cpp' 'tools/*.h')
if [ "${1:-}" = "--check" ]; then
  if ! out=$(clang-format --dry-run --Werror "${files[@]}" 2>&1); then
    echo "format.sh: not in the style of .clang-format (scripts/format.sh fixes them):" >&2
    grep -o '^[^:]*\.\(cpp\|h\):' <<<"$out" | sort -u | sed 's/:$//; s/^/  /' >&2
    exit 1
  fi
  echo "format.sh: ${#files[@]} files in style"
else
  clang-format -i "${files[@]}"
fi
