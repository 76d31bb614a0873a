#!/usr/bin/env bash
# The desktop groups the game's window under its entry by the window's class:
# the entry's StartupWMClass must be what the window shows, even when the
# program file has another name (a renamed or wrapped binary).
#   window_class.sh EXE DESKTOP_FILE WORKDIR
set -euo pipefail
exe=$1 entry=$2 work=$3
for tool in xvfb-run xprop xdotool; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
xvfb-run -a true >/dev/null 2>&1 || { echo "SKIP: xvfb-run could not start an X server"; exit 77; }
want=$(sed -n 's/^StartupWMClass=//p' "$entry")
[ -n "$want" ] || { echo "FAIL: $entry has no StartupWMClass"; exit 1; }
rm -rf "$work"; mkdir -p "$work/user"
cp "$exe" "$work/renamed-game"
data=$(dirname "$exe")/gamedata.res
xvfb-run -a -s "-screen 0 800x600x24" bash -c '
  "$1" --windowed --size 640x480 --data "$2" --user-dir "$3" --frames 400 >/dev/null 2>&1 &
  pid=$!
  for _ in $(seq 50); do
    win=$(xdotool search --pid "$pid" 2>/dev/null | head -n 1 || true)
    [ -n "$win" ] && break
    sleep 0.2
  done
  [ -n "${win:-}" ] || { echo "FAIL: no window appeared"; kill "$pid" 2>/dev/null; exit 1; }
  xprop -id "$win" WM_CLASS > "$3/../class.txt"
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
' _ "$work/renamed-game" "$data" "$work/user"
got=$(cat "$work/class.txt")
echo "$got"
case "$got" in
  *"\"$want\", \"$want\""*) echo "window class matches StartupWMClass=$want" ;;
  *) echo "FAIL: the window's class is not StartupWMClass=$want"; exit 1 ;;
esac
