#!/bin/sh
# The kill probe at full strength: SIGKILL during 600 saves (scores with their
# replays, options, controls, display), each at a step of the save or after a
# random moment; prints, per set, how many starts found the old set, the new
# one, a torn one, and temporary files left. KILLS=N for another number.
# Needs a build with the tests (BUILD=build by default).
set -eu
cd "$(dirname "$0")/.."
BUILD=${BUILD:-build}
KILLS=${KILLS:-600}
if [ ! -x "$BUILD/test_foundation" ]; then
  echo "kill_probe.sh: build $BUILD/test_foundation first (cmake --build $BUILD --target test_foundation)" >&2
  exit 2
fi
DW_KILL_PROBE_KILLS=$KILLS "$BUILD/test_foundation" \
  --gtest_filter='KillProbe.EverySaveKilledAtAnyMomentLeavesWholeSetsAndTheReplaysInStep' | grep -E '^kill probe|FAILED|PASSED'
