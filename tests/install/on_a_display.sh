#!/usr/bin/env bash
# Runs a command on an X server of its own (xvfb-run), or skips (status 77)
# when there is none to be had: a distribution builds its packages without a
# display and without Xvfb, and these tests then say so instead of failing.
#   on_a_display.sh WIDTHxHEIGHT COMMAND [ARGS...]
set -u
screen=$1
shift
if ! command -v xvfb-run >/dev/null; then
  echo "SKIP: no X server for this test: xvfb-run is not installed"
  exit 77
fi
if ! xvfb-run -a -s "-screen 0 ${screen}x24" true >/dev/null 2>&1; then
  echo "SKIP: no X server for this test: xvfb-run could not start Xvfb"
  exit 77
fi
exec xvfb-run -a -s "-screen 0 ${screen}x24" "$@"
