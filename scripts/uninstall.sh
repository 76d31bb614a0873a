#!/usr/bin/env bash
# Removes what `cmake --install BUILD --prefix PREFIX` put under DESTDIR+PREFIX.
#   scripts/uninstall.sh BUILD PREFIX [DESTDIR]
# The list of files comes from a fresh install of the same build into a
# scratch directory, so it holds whatever prefix was used before and needs no
# manifest of an earlier install. Directories are removed when they are left
# empty and are the game's own (named duskwhirl), were made for its icons, or
# are listed in the data directory's installed-directories as made by
# install.sh.
set -euo pipefail
build=${1:?usage: uninstall.sh BUILD PREFIX [DESTDIR]}
prefix=${2:?usage: uninstall.sh BUILD PREFIX [DESTDIR]}
destdir=${3:-}
case $prefix in /*) ;; *) prefix=$PWD/$prefix ;; esac
case $destdir in ''|/*) ;; *) destdir=$PWD/$destdir ;; esac
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
DESTDIR=$stage cmake --install "$build" --prefix "$prefix" >/dev/null
removed=0
while IFS= read -r -d '' f; do
  target=$destdir${f#"$stage"}
  if [ -e "$target" ] || [ -L "$target" ]; then
    rm -f -- "$target"
    echo "-- Removed: $target"
    removed=$((removed + 1))
  fi
done < <(find "$stage" \( -type f -o -type l \) -print0)
list=$destdir$(bash "$(dirname "$0")/installed-list.sh" "$build" "$prefix")
made=()
if [ -f "$list" ]; then
  while IFS= read -r d; do [ -n "$d" ] && made+=("$destdir$d"); done < "$list"
  rm -f -- "$list"
fi
# Deepest first; rmdir leaves any directory that still holds something.
while IFS= read -r -d '' d; do
  target=$destdir${d#"$stage"}
  case $target in
    */duskwhirl|*/duskwhirl/*|*/icons/hicolor/*/apps) rmdir -- "$target" 2>/dev/null || true ;;
  esac
done < <(find "$stage" -mindepth 1 -depth -type d -print0)
if [ ${#made[@]} -gt 0 ]; then
  while IFS= read -r d; do rmdir -- "$d" 2>/dev/null || true; done < <(printf '%s\n' "${made[@]}" | awk '{ print length($0) "\t" $0 }' | sort -rn | cut -f2-)
fi
echo "-- $removed files removed from $destdir$prefix"
