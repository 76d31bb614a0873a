#!/bin/bash
# The version of this tree, as releases are named: the VERSION file of a
# source tarball, else `git describe` (v1.2.0 -> 1.2.0, 1.2.0-5-gabc1234 on
# later commits), else the version CMakeLists.txt declares.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ -f "$root/VERSION" ]; then
  head -1 "$root/VERSION"
elif described=$(git -C "$root" describe --tags --match 'v[0-9]*' 2>/dev/null); then
  echo "${described#v}"
else
  sed -n 's/^project(duskwhirl VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt"
fi
