#!/usr/bin/env bash
# make install / uninstall with a prefix and a staging directory that hold
# spaces: everything lands under the path given, and uninstall leaves
# nothing behind, not even the directories install made. The list of those
# directories sits in the build's data directory, whichever layout it has.
#   spaces_in_paths.sh SOURCE BUILD DATADIR BINDIR
set -u
src=$1 build=$2 datadir=${3:-share/duskwhirl} bindir=${4:-bin}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail=0
cd "$src" || exit 1
prefix="$work/My Games"
DW_INSTALL_BUILT=1 bash scripts/install.sh "$build" "$prefix" "" >/dev/null || { echo "FAIL: install"; exit 1; }
[ -x "$prefix/$bindir/duskwhirl" ] || { echo "FAIL: not installed under $prefix"; fail=1; }
[ ! -e "$work/My" ] || { echo "FAIL: something went to $work/My"; fail=1; }
case $datadir in /*) ;; *)
  [ -f "$prefix/$datadir/installed-directories" ] || { echo "FAIL: no list in $prefix/$datadir"; fail=1; }
  [ "$datadir" = share/duskwhirl ] || [ ! -e "$prefix/share/duskwhirl" ] ||
    { echo "FAIL: share/duskwhirl made beside $datadir"; fail=1; } ;;
esac
bash scripts/uninstall.sh "$build" "$prefix" "" >/dev/null || { echo "FAIL: uninstall"; fail=1; }
[ ! -e "$prefix" ] || { echo "FAIL: left behind:"; find "$prefix"; fail=1; }
# Staged under a DESTDIR with a space, into a prefix that exists already.
mkdir -p "$work/stage here/opt"
DW_INSTALL_BUILT=1 bash scripts/install.sh "$build" "/opt/dw games" "$work/stage here" >/dev/null || { echo "FAIL: staged install"; exit 1; }
[ -x "$work/stage here/opt/dw games/$bindir/duskwhirl" ] || { echo "FAIL: not staged"; fail=1; }
bash scripts/uninstall.sh "$build" "/opt/dw games" "$work/stage here" >/dev/null || { echo "FAIL: staged uninstall"; fail=1; }
[ "$(find "$work/stage here" | wc -l)" -eq 2 ] || { echo "FAIL: staged leftovers:"; find "$work/stage here"; fail=1; }
[ $fail -eq 0 ] && echo "install and uninstall keep to paths with spaces"
exit $fail
