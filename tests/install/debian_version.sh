#!/usr/bin/env bash
# The Debian packaging is of the project's version: the upstream part of the
# newest debian/changelog entry is the version CMake builds.
#   debian_version.sh SOURCE VERSION
set -u
v=$(sed -n '1s/^duskwhirl (\([^)]*\)).*/\1/p' "$1/debian/changelog")
upstream=${v%-*}
if [ "$upstream" != "$2" ]; then
  echo "FAIL: debian/changelog is of version '$v', the project of $2"
  exit 1
fi
echo "debian/changelog: $v"
