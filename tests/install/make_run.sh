#!/usr/bin/env bash
# make run builds what the game needs and no test: its build step names the
# game's target, while make test still builds everything.
#   make_run.sh SOURCE BUILD
set -u
src=$1 build=$2
run=$(make -n -s -C "$src" run BUILD="$build" JOBS=2 | grep -- 'cmake --build') || { echo "FAIL: make run builds nothing"; exit 1; }
test=$(make -n -s -C "$src" test BUILD="$build" JOBS=2 | grep -- 'cmake --build')
fail=0
[ "$run" = "cmake --build $build -j2 --target duskwhirl" ] || { echo "FAIL: make run builds: $run"; fail=1; }
[ "$test" = "cmake --build $build -j2" ] || { echo "FAIL: make test builds: $test"; fail=1; }
[ $fail -eq 0 ] && echo "make run builds the game alone, make test everything"
exit $fail
