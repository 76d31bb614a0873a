#!/bin/sh
# The display and controls pages in a real window, driven by key presses
# (xdotool): from the menu to the options, to the pages, full screen on and
# off again from the display page, then the keyboard and gamepad pages, with
# F12 taking a screenshot of each. Checks that the full-screen picture filled
# the desktop, that the window came back at its size, and that every
# screenshot shows a picture. Full screen needs a window manager: evilwm is
# started when there is none.
#   setup_pages.sh DUSKWHIRL PNG_CHECK WORKDIR [WxH]
set -eu
exe=$1 check=$2 dir=$3 size=${4:-800x600}
command -v xdotool >/dev/null || { echo "no xdotool"; exit 77; }
rm -rf "$dir"
mkdir -p "$dir"
wm=
if command -v evilwm >/dev/null; then
  evilwm -fn fixed >/dev/null 2>&1 &
  wm=$!
  sleep 0.5
fi
"$exe" --windowed --size "$size" --user-dir "$dir" >"$dir/out.txt" 2>&1 &
pid=$!
trap 'kill $pid $wm 2>/dev/null || true' EXIT
win=
for _ in $(seq 1 150); do
  win=$(xdotool search --name "^Duskwhirl 2$" 2>/dev/null | head -n 1) || true
  [ -n "$win" ] && break
  sleep 0.2
done
[ -n "$win" ] || { echo "no window"; exit 1; }
xdotool windowfocus --sync "$win" 2>/dev/null || true
press() {
  for k in "$@"; do
    xdotool key --delay 60 "$k"
    sleep "${DW_KEY_GAP:-0.5}"
  done
}
sleep 2
press space            # past the splash
# The loading screen, then the menu (the log says when).
for _ in $(seq 1 600); do
  grep -q "the menu opens" "$dir/file.log" 2>/dev/null && break
  sleep 0.2
done
sleep 1.5
press Down Down Down Return        # Options
press Down Down Down Down Return   # Display & controls
press F12                          # 1: the display page
press Down Return                  # full screen on
sleep 1
press F12                          # 2: full screen
press Return                       # and off again
sleep 1
press F12                          # 3: the window again
press Up Right F12                 # 4: the keyboard page
press Down Down Down Down Down Return
press F12                          # 5: waiting for the new key
press Escape Up Up Up Up Up Right F12   # 6: the gamepad page
press Escape Escape                # back to the options, back to the menu
sleep 0.5
kill $pid 2>/dev/null || true
wait $pid 2>/dev/null || true
[ -n "$wm" ] && kill $wm 2>/dev/null || true
trap - EXIT
set -- "$dir"/screenshots/*.png
[ "$#" -eq 6 ] || { echo "expected 6 screenshots, got $#"; ls -l "$dir"/screenshots || true; cat "$dir/out.txt"; exit 1; }
n=0
for shot in "$dir"/screenshots/*.png; do
  n=$((n + 1))
  line=$("$check" "$shot")
  echo "$n: $line"
  case "$line" in *"several colours"*) ;; *) echo "one colour"; exit 1 ;; esac
  dims=${line#*: }
  dims=${dims%%,*}
  eval "size$n=$dims"
done
desktop=$(xdotool getdisplaygeometry | tr ' ' 'x')
echo "window $size1, full screen $size2 (desktop $desktop), window again $size3"
[ "$size1" = "$size" ] && [ "$size3" = "$size" ] || { echo "the window changed size"; exit 1; }
if [ -n "$wm" ]; then
  [ "$size2" = "$desktop" ] || { echo "full screen did not fill the desktop"; exit 1; }
else
  echo "no window manager: the full-screen size is not checked"
fi
cp "$dir"/screenshots/*.png "$dir/" 2>/dev/null || true
