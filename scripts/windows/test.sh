#!/bin/bash
# make windows-test: the Windows build run under Wine (Debian's wine64) in a
# virtual X server, in a Wine prefix of its own made for this run:
#   - every demo of bench/ replays headless to its reference report, byte
#     for byte (bench/reports.py compare);
#   - a window reaches the main menu and its screenshot is lit and looks like
#     the Linux build's of the same frames (similar_pictures.py);
#   - settings are saved in %APPDATA%\QVM\Duskwhirl and read back on the
#     next start, two copies at once lose nothing, a read-only settings.ini
#     is never replaced, a high-score table there is read;
#   - sound is unavailable (SDL_AUDIODRIVER=dummy): the log says so and the
#     game plays on;
#   - the installer installs silently, the installed game runs from another
#     folder, and the uninstaller removes every file it installed;
#   - the unit tests built for Windows (BUILD_WIN/tests) pass under Wine.
#   scripts/windows/test.sh [NATIVE_BUILD [BUILD_WIN [DIST]]]
# Without Wine or Xvfb it is skipped with a message, or fails when CI=true.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
native=$(cd "${1:-build}" && pwd)
win=$(cd "${2:-build-win}" && pwd)
dist=${3:-dist}
[ -d "$dist" ] && dist=$(cd "$dist" && pwd)
exe=$win/duskwhirl.exe
start=$(date +%s)

skip() {
  echo "windows-test: $*" >&2
  [ "${CI:-}" = true ] && exit 1
  echo "windows-test: skipped" >&2
  exit 0
}
command -v wine >/dev/null || skip "no wine (scripts/setup-deps.sh --windows installs it)"
command -v Xvfb >/dev/null || skip "no Xvfb"
[ -f "$exe" ] || { echo "windows-test: no $exe (make windows first)" >&2; exit 1; }

work=$(mktemp -d /tmp/duskwhirl-wine.XXXXXX)
xvfb=
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

export WINEPREFIX=$work/prefix WINEARCH=win64 WINEDEBUG=-all
# No Mono or Gecko: the game needs neither, and their install asks.
export WINEDLLOVERRIDES="mscoree,mshtml="
export SDL_AUDIODRIVER=dummy

# A display of our own.
for n in $(seq 90 140); do
  [ -e "/tmp/.X$n-lock" ] || { display=:$n; break; }
done
Xvfb "$display" -screen 0 1280x960x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=$display
sleep 1

echo "== a Wine prefix of its own"
t=$(date +%s)
wineboot -i >/dev/null 2>&1
wineserver -w
echo "   made in $(( $(date +%s) - t )) s"
appdata=$(ls -d "$WINEPREFIX"/drive_c/users/*/AppData/Roaming 2>/dev/null | head -1)
[ -n "$appdata" ] || { echo "windows-test: the prefix has no AppData\\Roaming" >&2; exit 1; }
userdir=$appdata/QVM/Duskwhirl

failures=0
ok() { echo "ok   $*"; }
fail() { echo "FAIL $*"; failures=$((failures + 1)); }
# A Linux path as the Windows program names it (Wine's Z: drive).
winpath() { local p; p=$(cd "$(dirname "$1")" && pwd)/$(basename "$1"); echo "Z:${p//\//\\}"; }
run() { timeout 300 wine "$@"; }

echo "== the demos of bench/ replayed headless"
for demo in "$root"/bench/*.dwdemo; do
  name=$(basename "$demo" .dwdemo)
  mkdir -p "$work/replay/$name"
  report=$work/replay/$name/report.json
  if ! run "$exe" --headless --replay "$(winpath "$demo")" --data "$(winpath "$win/gamedata.res")" \
      --user-dir "$(winpath "$work/replay/$name")/user" --report "$(winpath "$report")" \
      >"$work/replay/$name/out.txt" 2>&1; then
    fail "replay $name: the program failed"; sed 's/^/     /' "$work/replay/$name/out.txt"; continue
  fi
  if python3 "$root/bench/reports.py" compare "$root/bench/reports/$name.json" "$report"; then
    if cmp -s "$root/bench/reports/$name.json" "$report"; then ok "replay $name: the same report, byte for byte"
    else fail "replay $name: the same fields but not the same bytes"; fi
  else
    fail "replay $name: the report differs"
  fi
done

echo "== a window: the main menu, as on Linux"
# 720 steps of 16 ms: the intro is over and the main menu shows.
shot=(--windowed --size 800x600 --fixed-step 16 --frames 720)
mkdir -p "$work/linux-user"
"$native/duskwhirl" "${shot[@]}" --user-dir "$work/linux-user" --screenshot "$work/linux.png" \
  >"$work/linux.txt" 2>&1 || { fail "the Linux window"; cat "$work/linux.txt"; }
# The first start: the default user folder, made by the game.
if run "$exe" "${shot[@]}" --screenshot "$(winpath "$work/windows.png")" --report "$(winpath "$work/window.json")" \
    >"$work/windows.txt" 2>&1; then
  ok "a window opens, runs 720 frames and closes"
  if python3 "$here/similar_pictures.py" "$work/linux.png" "$work/windows.png"; then
    ok "the main menu is lit and looks like the Linux build's"
  else
    fail "the main menu's picture"
  fi
  if grep -q '"introActive": 0' "$work/window.json" && grep -q '"menu": 1' "$work/window.json"; then
    ok "the report shows the main menu"
  else
    fail "the report shows no main menu"
  fi
  cp "$work/linux.png" "$work/windows.png" "${WIN_TEST_KEEP:-$win}/" 2>/dev/null || true
else
  fail "the window"; sed 's/^/     /' "$work/windows.txt"
fi

echo "== the user folder %APPDATA%\\QVM\\Duskwhirl"
if [ -f "$userdir/file.log" ]; then ok "file.log is in %APPDATA%\\QVM\\Duskwhirl"; else fail "no file.log in $userdir"; fi
if grep -qi 'sound' "$userdir/file.log" 2>/dev/null && grep -qiE 'no sound|sound.*(unavailable|not available|silent|off)' "$userdir/file.log"; then
  ok "the log says the sound is unavailable"
else
  fail "the log says nothing of the missing sound"; grep -i sound "$userdir/file.log" | sed 's/^/     /'
fi
if grep -q '^WindowWidth=800' "$userdir/settings.ini" 2>/dev/null; then
  ok "settings.ini holds the window's size"
else
  fail "settings.ini was not saved"; cat "$userdir/settings.ini" 2>/dev/null | sed 's/^/     /'
fi
# Read back: a start without --size opens the window at the size saved.
printf '; my own note\nMyOwnLine=42\n' >>"$userdir/settings.ini"
run "$exe" --windowed --fixed-step 16 --frames 30 --screenshot "$(winpath "$work/again.png")" >"$work/again.txt" 2>&1
if python3 - "$work/again.png" <<'EOF'; then ok "the next start reads the size back"; else fail "the size was not read back"; fi
import sys
data = open(sys.argv[1], "rb").read()
import struct
w, h = struct.unpack(">II", data[16:24])
print(f"     the second start's picture: {w}x{h}")
sys.exit(0 if (w, h) == (800, 600) else 1)
EOF
grep -q '^MyOwnLine=42' "$userdir/settings.ini" && grep -q '^; my own note' "$userdir/settings.ini" &&
  ok "the player's own lines are kept" || fail "the player's own lines were lost"

echo "== two copies at once"
# The first on the real clock: 600 frames, at most 100 a second, outlast the second's start.
run "$exe" --windowed --size 640x480 --frames 600 >"$work/first.txt" 2>&1 &
first=$!
sleep 2
run "$exe" --windowed --size 720x540 --fixed-step 16 --frames 120 >"$work/second.txt" 2>&1
wait $first
if [ -f "$userdir/file-2.log" ]; then ok "the second copy logs to file-2.log"; else fail "no file-2.log"; fi
if grep -qE '^WindowWidth=(640|720)' "$userdir/settings.ini" && grep -q '^MyOwnLine=42' "$userdir/settings.ini"; then
  ok "settings.ini holds one copy's size and every other line"
else
  fail "settings.ini after two copies"; sed 's/^/     /' "$userdir/settings.ini"
fi
ls "$userdir" | grep -q '\.tmp$' && fail "a temporary file was left: $(ls "$userdir")" || ok "no temporary file is left"

echo "== a read-only settings.ini"
before=$(sha256sum <"$userdir/settings.ini")
chmod a-w "$userdir/settings.ini"
run "$exe" --windowed --size 700x500 --fixed-step 16 --frames 30 >"$work/readonly.txt" 2>&1
# Its write bits, not test -w: root may write any file.
if [ "$(sha256sum <"$userdir/settings.ini")" = "$before" ] && [ -z "$(find "$userdir/settings.ini" -perm /222)" ]; then
  ok "the read-only settings.ini is left as it was"
else
  fail "the read-only settings.ini was replaced"
fi
chmod u+w "$userdir/settings.ini"

echo "== a high-score table in the user folder"
python3 - "$userdir/records.csm" <<'EOF'
import struct, sys
names = [b"WINE"] + [b"NOBODY"] * 7
scores = [912345] + [1000 * (8 - i) for i in range(1, 8)]
with open(sys.argv[1], "wb") as f:
    f.write(b"".join(n.ljust(17, b"\0") for n in names) + struct.pack("<8I", *scores))
EOF
run "$exe" --headless --fixed-step 16 --frames 30 --report "$(winpath "$work/scores.json")" >"$work/scores.txt" 2>&1
if grep -q '"bestScore": 912345' "$work/scores.json" 2>/dev/null; then
  ok "the high-score table is read"
else
  fail "the high-score table was not read"; grep -o '"bestScore": [0-9]*' "$work/scores.json" | sed 's/^/     /'
fi

echo "== --help and --version reach the console"
run "$exe" --version >"$work/version.txt" 2>&1
grep -q '^Duskwhirl 2 ' "$work/version.txt" && ok "--version: $(grep '^Duskwhirl' "$work/version.txt" | tr -d '\r')" ||
  fail "--version printed: $(cat "$work/version.txt")"
run "$exe" --no-such-option >"$work/bad.txt" 2>&1
status=$?
[ "$status" = 2 ] && grep -q 'duskwhirl:' "$work/bad.txt" && ok "a wrong option: status 2 and a message" ||
  fail "a wrong option: status $status, $(cat "$work/bad.txt")"

setup=$(ls "$dist"/duskwhirl-*-setup.exe 2>/dev/null | head -1)
if [ -n "$setup" ]; then
  echo "== the installer, silent"
  run "$setup" /S >"$work/setup.txt" 2>&1
  wineserver -w
  programs=$(ls -d "$WINEPREFIX"/drive_c/users/*/AppData/Local/Programs/Duskwhirl 2>/dev/null | head -1)
  if [ -n "$programs" ] && [ -f "$programs/duskwhirl.exe" ] && [ -f "$programs/gamedata.res" ]; then
    ok "installed for the current user in $(basename "$(dirname "$programs")")\\Duskwhirl"
    staged=$win/package/$(basename "$setup" -setup.exe)
    missing=$(cd "$staged" && find . -type f | while read -r f; do [ -f "$programs/$f" ] || echo "$f"; done)
    [ -z "$missing" ] && ok "every file of the zip is installed" || fail "not installed: $missing"
    mkdir -p "$work/elsewhere"
    if (cd "$work/elsewhere" && run "$programs/duskwhirl.exe" --headless --fixed-step 16 --frames 60 \
        --report "$(winpath "$work/installed.json")" >"$work/installed.txt" 2>&1) &&
       grep -q '"bestScore"' "$work/installed.json"; then
      ok "the installed game runs from another folder and finds its data"
    else
      fail "the installed game"; sed 's/^/     /' "$work/installed.txt"
    fi
    ls "$WINEPREFIX"/drive_c/users/*/AppData/Roaming/Microsoft/Windows/Start\ Menu/Programs/*Duskwhirl* >/dev/null 2>&1 &&
      ok "a Start menu entry" || fail "no Start menu entry"
    run "$programs/uninstall.exe" /S >"$work/uninstall.txt" 2>&1
    wineserver -w
    sleep 2  # the uninstaller runs a copy of itself from the temporary folder
    wineserver -w
    if [ ! -e "$programs" ]; then ok "the uninstaller removed every file it installed"
    else fail "left after uninstalling: $(cd "$programs" && find . | tr '\n' ' ')"; fi
    [ -f "$userdir/settings.ini" ] && ok "the player's settings are kept by a silent uninstall" ||
      fail "the silent uninstall removed the player's settings"
  else
    fail "the silent install"; sed 's/^/     /' "$work/setup.txt"
  fi
else
  echo "   no installer in $dist: not tested (make windows makes it)"
fi

if [ -d "$win/tests" ]; then
  echo "== unit tests under Wine"
  for test in "$win"/tests/test_*.exe; do
    name=$(basename "$test" .exe)
    if (cd "$win" && run "$test" --gtest_brief=1 >"$work/$name.txt" 2>&1); then
      ok "$name: $(grep -oE '[0-9]+ tests? from [0-9]+ test suites? ran' "$work/$name.txt" | tail -1)"
    else
      fail "$name"; tail -30 "$work/$name.txt" | sed 's/^/     /'
    fi
  done
fi

echo "== $failures failed, in $(( $(date +%s) - start )) s"
[ "$failures" = 0 ]
