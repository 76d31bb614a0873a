#!/usr/bin/env bash
# Removes what `cmake --install BUILD --prefix PREFIX` put under DESTDIR+PREFIX.
#   scripts/uninstall.sh BUILD PREFIX [DESTDIR]
# The list of files comes from a fresh install of the same build into a
# scratch directory, so it holds whatever prefix was used before and needs no
# manifest of an earlier install. Directories are removed when they are left
# empty and are the game's own (named duskwhirl) or were made for its icons.
set -euo pipefail
build=${1:?usage: uninstall.sh BUILD PREFIX [DESTDIR]}
prefix=${2:?usage: uninstall.sh BUILD PREFIX [DESTDIR]}
destdir=${3:-}
case $prefix in /*) ;; *) echo "uninstall.sh: PREFIX must be an absolute path" >&2; exit 2 ;; esac
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
# Deepest first; rmdir leaves any directory that still holds something.
while IFS= read -r -d '' d; do
  target=$destdir${d#"$stage"}
  case $target in
    */duskwhirl|*/duskwhirl/*|*/icons/hicolor/*/apps) rmdir -- "$target" 2>/dev/null || true ;;
  esac
done < <(find "$stage" -mindepth 1 -depth -type d -print0)
echo "-- $removed files removed from $destdir$prefix"
