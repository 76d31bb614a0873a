#!/bin/sh
# The fuzz table (fuzz_entries.inc) is written only when its text changes:
# its writer, run again over the same targets, leaves the file and its time
# alone, so that a configure recompiles nothing. It writes the table the
# build uses, and a table that is out of date is written anew.
#   entries_written_once.sh CMAKE SOURCE_DIR BUILT_TABLE WORK_DIR
set -eu
cmake=$1 src=$2 built=$3 work=$4
rm -rf "$work"
mkdir -p "$work"
out=$work/fuzz_entries.inc
write() { "$cmake" -DDW_FUZZ_DIR="$src/tools/fuzz" -DDW_FUZZ_ENTRIES="$out" -P "$src/cmake/FuzzEntries.cmake"; }

write
cmp "$out" "$built" || { echo "FAIL: the writer makes another table than the build's"; exit 1; }
touch -d '2001-01-01 00:00:00' "$out"
before=$(stat -c %Y "$out")
write
after=$(stat -c %Y "$out")
if [ "$before" != "$after" ]; then
  echo "FAIL: fuzz_entries.inc rewritten with the same text (its time went from $before to $after)"
  exit 1
fi
printf 'X(fuzz_gone)\n' >"$out"
write
cmp "$out" "$built" || { echo "FAIL: a table out of date is kept"; exit 1; }
echo "fuzz_entries.inc kept across a second run; written when out of date"
