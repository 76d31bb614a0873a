#!/usr/bin/env bash
# Installs the Debian packages of scripts/packages.txt that are not installed yet.
# Runs apt-get update once, and only when something is missing.
#   setup-deps.sh           the packages of scripts/packages.txt
#   setup-deps.sh --fuzz    clang and its sanitizer/libFuzzer runtime, whichever
#                           version this Debian release offers
#   setup-deps.sh --web     the browser build's packages (scripts/web/packages.txt)
#   setup-deps.sh --windows the Windows build's packages (scripts/windows/packages.txt)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
wanted=()
if [ "${1:-}" = "--fuzz" ]; then
  wanted=(clang)
  # The runtime (libFuzzer, ASan, UBSan): the unversioned package where the
  # release has one; older releases ship it with clang itself.
  if apt-cache show libclang-rt-dev >/dev/null 2>&1; then wanted+=(libclang-rt-dev); fi
else
  list="$here/packages.txt"
  [ "${1:-}" = "--web" ] && list="$here/web/packages.txt"
  [ "${1:-}" = "--windows" ] && list="$here/windows/packages.txt"
  while read -r pkg; do
    pkg=${pkg%%#*}; pkg=$(echo "$pkg" | xargs)
    [ -n "$pkg" ] && wanted+=("$pkg")
  done < "$list"
fi
missing=()
for pkg in "${wanted[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$pkg")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing missing packages: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
