#!/usr/bin/env bash
# Where install.sh lists the directories it made: installed-directories in
# the build's data directory (DW_INSTALL_DATADIR: share/duskwhirl, or
# share/games/duskwhirl in the games layout, or an absolute path), under PREFIX.
#   scripts/installed-list.sh BUILD PREFIX
set -euo pipefail
build=${1:?usage: installed-list.sh BUILD PREFIX} prefix=${2:?usage: installed-list.sh BUILD PREFIX}
datadir=$(sed -n 's/^DW_INSTALL_DATADIR:[A-Z]*=//p' "$build/CMakeCache.txt")
case ${datadir:=share/duskwhirl} in
  /*) echo "$datadir/installed-directories" ;;
  *) echo "$prefix/$datadir/installed-directories" ;;
esac
