#!/usr/bin/env bash
# A windowed start without usable data: exit status 1 and a message on
# stderr naming the file and what is wrong with it, for each bad kind; at
# once, never waiting on a FIFO. stderr carries the message box's text.
# With a display (DISPLAY set; xdotool and xwininfo at hand) the box may show and wait:
# Enter is pressed on it until the game is gone, so the run passes whether
# or not the box can be drawn; without one the box cannot open at all.
set -u
exe=$1 dir=$2
if [ -n "${DISPLAY:-}" ] && ! { command -v xdotool && command -v xwininfo; } >/dev/null; then
  echo "SKIP: on a display the message box needs xdotool and xwininfo to press its OK"
  exit 77
fi
# Runs the game (its arguments) with Enter pressed on any window it shows.
press_enter_on_boxes() {
  "$@" &
  local pid=$! presser=
  if [ -n "${DISPLAY:-}" ]; then
    # The box is found by its title in the window tree: xdotool's own search
    # does not see SDL's message box, which has no WM_NAME property.
    ( while kill -0 "$pid" 2>/dev/null; do
        for w in $(xwininfo -root -tree 2>/dev/null | awk '/"Duskwhirl 2"/ { print $1 }'); do
          xdotool key --window "$w" Return 2>/dev/null
        done
        sleep 0.3
      done ) &
    presser=$!
  fi
  wait "$pid"
  local status=$?
  [ -z "$presser" ] || wait "$presser" 2>/dev/null
  return $status
}
rm -rf "$dir" && mkdir -p "$dir/user" "$dir/folder"
mkfifo "$dir/fifo"
: > "$dir/empty.res"
printf 'PK\003\004 cut short' > "$dir/short.res"
fail=0
check() {  # FILE WORDS
  local out status
  out=$(press_enter_on_boxes timeout 20 env -u WAYLAND_DISPLAY "$exe" --windowed --user-dir "$dir/user" --data "$1" 2>&1 >/dev/null)
  status=$?
  if [ "$status" -ne 1 ]; then echo "FAIL --data $1: exit status $status, not 1"; fail=1; fi
  if ! grep -qF -- "$1" <<<"$out" || ! grep -qi -- "$2" <<<"$out"; then
    echo "FAIL --data $1: the message does not say \"$2\":"; echo "$out"; fail=1
  fi
  if ! grep -q "GAME: Resource Library is absent" "$dir/user/file.log"; then
    echo "FAIL --data $1: the log lacks the absent line"; fail=1
  fi
}
check /nonexistent/gamedata.res "not found"
check "$dir/folder" "directory"
check "$dir/fifo" "FIFO"
check /dev/zero "device"
check "$dir/empty.res" "empty"
check "$dir/short.res" "not a ZIP"
# Without --data the message names every place looked at and how to fix it
# (the program copied away from the build's gamedata.res).
mkdir -p "$dir/bin" && cp "$exe" "$dir/bin/duskwhirl"
out=$(cd / && press_enter_on_boxes timeout 20 env -u WAYLAND_DISPLAY -u DUSKWHIRL_DATA \
      XDG_DATA_DIRS=/nonexistent/a:/nonexistent/b "$dir/bin/duskwhirl" --windowed --user-dir "$dir/user" 2>&1 >/dev/null)
for want in "$dir/bin/gamedata.res" "$dir/share/duskwhirl/gamedata.res" "/nonexistent/a/duskwhirl/gamedata.res" \
            "/nonexistent/b/duskwhirl/gamedata.res" "--data FILE"; do
  grep -qF -- "$want" <<<"$out" || { echo "FAIL: the message lacks $want:"; echo "$out"; fail=1; }
done
[ $fail -eq 0 ] && echo "every bad kind refused with exit status 1"
exit $fail
