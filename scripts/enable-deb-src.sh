#!/bin/bash
# Adds source entries (deb-src) for the Debian suites apt is configured with,
# when there are none, so that `apt-get source` works.
set -euo pipefail
[ "$(id -u)" = 0 ] && SUDO= || SUDO=sudo
if apt-cache showsrc zlib 2>/dev/null | grep '^Package:' >/dev/null; then
  exit 0
fi
out=/etc/apt/sources.list.d/duskwhirl-deb-src.sources
tmp=$(mktemp)
for f in /etc/apt/sources.list.d/*.sources; do
  [ -e "$f" ] && [ "$f" != "$out" ] || continue
  # deb822 stanzas: the same archives and suites, as sources.
  sed -E 's/^Types:.*/Types: deb-src/' "$f" >>"$tmp"
  echo >>"$tmp"
done
if [ -f /etc/apt/sources.list ]; then
  grep -E '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' >"$tmp.list" || true
  [ -s "$tmp.list" ] && $SUDO install -m 644 "$tmp.list" /etc/apt/sources.list.d/duskwhirl-deb-src.list
  rm -f "$tmp.list"
fi
if [ -s "$tmp" ]; then
  $SUDO install -m 644 "$tmp" "$out"
fi
rm -f "$tmp"
echo "apt: added source entries for the configured suites; updating the lists"
$SUDO apt-get update -qq
