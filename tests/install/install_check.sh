#!/usr/bin/env bash
# Installs the build into a fresh prefix, checks every file a desktop and a
# packager look for, runs the installed program from / (and again after the
# whole tree has moved), then uninstalls and expects nothing left behind.
#   install_check.sh BUILD SOURCE APP_ID VERSION "ICON SIZES" [BINDIR DATADIR]
# BINDIR and DATADIR: the configured layout, relative to the prefix (bin and
# share/duskwhirl unless the build chose, e.g., games and share/games/duskwhirl).
set -u
build=$1 src=$2 id=$3 version=$4 sizes=$5 bindir=${6:-bin} datadir=${7:-share/duskwhirl}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
fail=0
bad() { echo "FAIL: $*"; fail=1; }

cmake --install "$build" --prefix "$prefix" >/dev/null || { echo "FAIL: cmake --install"; exit 1; }
for f in $bindir/duskwhirl $datadir/gamedata.res $datadir/site/index.html \
         share/applications/$id.desktop share/metainfo/$id.metainfo.xml share/man/man6/duskwhirl.6 \
         share/icons/hicolor/scalable/apps/$id.svg share/doc/duskwhirl/LICENSE; do
  [ -s "$prefix/$f" ] || bad "not installed: $f"
done
[ -x "$prefix/$bindir/duskwhirl" ] || bad "$bindir/duskwhirl is not executable"
# The attract mode's demos, beside the data (and no stress test among them).
ls "$prefix/$datadir"/demos/level*.dwdemo >/dev/null 2>&1 || bad "no demos in $datadir/demos"
[ ! -e "$prefix/$datadir/demos/barrage.dwdemo" ] || bad "the barrage stress test is installed as a demo"
# Every PNG size, and a PNG of that size (IHDR width and height).
for s in $sizes; do
  png=$prefix/share/icons/hicolor/${s}x${s}/apps/$id.png
  if [ ! -s "$png" ]; then bad "no ${s}px icon"; continue; fi
  dims=$(od -An -tu1 -j16 -N8 "$png" | awk '{print $3*256+$4 "x" $7*256+$8}')
  [ "$dims" = "${s}x${s}" ] || bad "$png is $dims, not ${s}x${s}"
done
grep -q "<svg" "$prefix/share/icons/hicolor/scalable/apps/$id.svg" || bad "the scalable icon is not SVG"
# The desktop entry names the installed program and icon; both validate.
grep -qx "Exec=duskwhirl" "$prefix/share/applications/$id.desktop" || bad "Exec is not duskwhirl"
grep -qx "Icon=$id" "$prefix/share/applications/$id.desktop" || bad "Icon is not $id"
if command -v desktop-file-validate >/dev/null; then
  out=$(desktop-file-validate "$prefix/share/applications/$id.desktop" 2>&1)
  [ -z "$out" ] || bad "desktop-file-validate: $out"
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net --pedantic "$prefix/share/metainfo/$id.metainfo.xml" >/dev/null ||
    bad "appstreamcli validate: $(appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml")"
fi
grep -q "<release version=\"$version\"" "$prefix/share/metainfo/$id.metainfo.xml" ||
  bad "the metainfo has no release $version"
grep -q "^\.TH DUSKWHIRL 6 .*\"Duskwhirl 2 $version\"" "$prefix/share/man/man6/duskwhirl.6" ||
  bad "the manual page is not of version $version"

# Run from /, with no help from the environment: the data is found beside the program's folder.
run() {  # PREFIX USERDIR
  (cd / && env -u DUSKWHIRL_DATA XDG_DATA_DIRS=/nonexistent "$1/$bindir/duskwhirl" --headless --frames 60 \
     --user-dir "$2") || bad "$1/$bindir/duskwhirl exited with status $?"
  grep -q "^GAME: Resource Library is present$" "$2/file.log" || bad "no data found from $1"
  grep -qx "GAME: Resource Library file: $1/$datadir/gamedata.res" "$2/file.log" ||
    bad "the log does not name $1/$datadir/gamedata.res: $(grep 'Resource Library' "$2/file.log")"
}
run "$prefix" "$work/user1"
# Relocatable: the whole tree moved elsewhere still finds its data.
mv "$prefix" "$work/moved"
run "$work/moved" "$work/user2"
mv "$work/moved" "$prefix"

bash "$src/scripts/uninstall.sh" "$build" "$prefix" >/dev/null || bad "uninstall.sh failed"
left=$(find "$prefix" -type f -o -type l)
[ -z "$left" ] || bad "left after uninstall: $left"
for d in $datadir share/doc/duskwhirl; do
  [ ! -e "$prefix/$d" ] || bad "directory left after uninstall: $d"
done
[ $fail -eq 0 ] && echo "installed, ran from / (also moved), uninstalled: nothing left"
exit $fail
