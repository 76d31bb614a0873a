#!/usr/bin/env bash
# Builds and installs the game into DESTDIR+PREFIX (paths may hold spaces).
#   scripts/install.sh BUILD PREFIX [DESTDIR] [CMAKE FLAGS...]
# The build is configured for PREFIX (its last place to look for the data);
# the program finds its data relative to itself first, so DESTDIR staging
# and moving the tree afterwards both work. The directories the install
# makes are listed in the game's data directory (installed-directories beside
# gamedata.res), so that uninstall.sh removes them again when they are left
# empty.
set -euo pipefail
build=${1:?usage: install.sh BUILD PREFIX [DESTDIR] [CMAKE FLAGS...]}
prefix=${2:?usage: install.sh BUILD PREFIX [DESTDIR] [CMAKE FLAGS...]}
destdir=${3:-}
shift 3 || shift $#
case $prefix in /*) ;; *) prefix=$PWD/$prefix ;; esac
case $destdir in ''|/*) ;; *) destdir=$PWD/$destdir ;; esac
# DW_INSTALL_BUILT=1: install the build as it is (the tests do).
if [ -z "${DW_INSTALL_BUILT:-}" ]; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" "$@" >/dev/null
  cmake --build "$build" -j"${JOBS:-$(nproc 2>/dev/null || echo 2)}"
fi
# The directories of a scratch install that do not exist yet are the ones
# this install makes.
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
DESTDIR=$stage cmake --install "$build" --prefix "$prefix" >/dev/null
created=()
while IFS= read -r -d '' d; do
  target=$destdir${d#"$stage"}
  [ -e "$target" ] || created+=("${d#"$stage"}")
done < <(find "$stage" -mindepth 1 -type d -print0)
DESTDIR=$destdir cmake --install "$build" --prefix "$prefix"
list=$destdir$(bash "$(dirname "$0")/installed-list.sh" "$build" "$prefix")
if [ -e "$list" ]; then
  # An earlier install's list stays: those directories were made by it.
  cat "$list" > "$stage/old-list"
else
  : > "$stage/old-list"
fi
{ cat "$stage/old-list"; [ ${#created[@]} -eq 0 ] || printf '%s\n' "${created[@]}"; } | sort -u > "$list"
