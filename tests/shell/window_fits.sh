#!/bin/sh
# A window never larger than the screen, on an 800 x 600 display: neither a
# remembered size bigger than it (settings.ini) nor one asked for with
# --size opens a bigger window, and what is remembered at the close fits too.
#   window_fits.sh DUSKWHIRL WORKDIR   (run on a display of 800 x 600)
set -eu
exe=$1 dir=$2
command -v xdotool >/dev/null || { echo "no xdotool"; exit 77; }
screen=$(xdotool getdisplaygeometry)
sw=${screen% *} sh=${screen#* }
rm -rf "$dir"
mkdir -p "$dir"
fail=0

# run NAME OPTION...: starts the game, reads its window's size, waits for its end.
run() {
  name=$1
  shift
  "$exe" --windowed --frames 250 --user-dir "$dir/$name" "$@" >"$dir/$name.txt" 2>&1 &
  pid=$!
  win=
  for _ in $(seq 1 150); do
    win=$(xdotool search --sync --onlyvisible --pid "$pid" 2>/dev/null | head -n 1) || true
    [ -n "$win" ] && break
    sleep 0.2
  done
  if [ -z "$win" ]; then
    echo "FAIL: $name: no window appeared"
    kill "$pid" 2>/dev/null || true
    fail=1
    return
  fi
  sleep 0.5
  eval "$(xdotool getwindowgeometry --shell "$win")"
  wait "$pid" || { echo "FAIL: $name: the game exited with status $?"; fail=1; }
  echo "$name: window ${WIDTH}x${HEIGHT} on a ${sw}x${sh} screen"
  if [ "$WIDTH" -gt "$sw" ] || [ "$HEIGHT" -gt "$sh" ]; then
    echo "FAIL: $name: the window is larger than the screen"
    fail=1
  fi
  ini="$dir/$name/settings.ini"
  rw=$(sed -n 's/^WindowWidth=//p' "$ini") rh=$(sed -n 's/^WindowHeight=//p' "$ini")
  echo "$name: remembered ${rw:-?}x${rh:-?}"
  if [ -z "$rw" ] || [ -z "$rh" ] || [ "$rw" -gt "$sw" ] || [ "$rh" -gt "$sh" ]; then
    echo "FAIL: $name: the remembered window does not fit the screen"
    fail=1
  fi
}

mkdir -p "$dir/remembered"
cat >"$dir/remembered/settings.ini" <<'EOF'
[Software\QVM\Duskwhirl]
FullScreen=0
WindowWidth=4000
WindowHeight=3000
EOF
run remembered
run asked --size 16384x16384
exit $fail
