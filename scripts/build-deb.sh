#!/usr/bin/env bash
# Builds the Debian packages with the distribution's own tools
# (dpkg-buildpackage over debian/) from a clean copy of the tree, and leaves
# the .debs, the .changes, the .buildinfo and the install manifest of the
# packages' build in OUT (nothing is written outside it).
#   scripts/build-deb.sh OUT [JOBS]
# DEB_BUILD_OPTIONS (nocheck, parallel=N, ...) pass through; JOBS is the
# parallel build when DEB_BUILD_OPTIONS names none. With ccache installed the
# compilers go through it (a rebuild is then quick).
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
out=${1:?usage: build-deb.sh OUT [JOBS]}
jobs=${2:-auto}
mkdir -p "$out"
out=$(cd "$out" && pwd)
version=$(dpkg-parsechangelog -l "$src/debian/changelog" -S Version)
stage=$out/stage
tree=$stage/duskwhirl-${version%-*}
rm -rf "$stage"
mkdir -p "$tree"
# The tree's own files: git's list in a checkout (tracked and new, not
# ignored), else everything but the build directories.
if git -C "$src" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  (cd "$src" && git ls-files -z --cached --others --exclude-standard |
     tar --null --no-recursion --ignore-failed-read -T - -cf -) | tar -xf - -C "$tree"
else
  tar -C "$src" --exclude='./build*' --exclude='./obj-*' --exclude='./debian/.debhelper' -cf - . |
    tar -xf - -C "$tree"
fi
rm -f "$out"/duskwhirl*.deb "$out"/duskwhirl*.ddeb "$out"/duskwhirl_*.changes \
      "$out"/duskwhirl_*.buildinfo "$out"/install_manifest.txt
if command -v ccache >/dev/null && [ -d /usr/lib/ccache ]; then
  export PATH=/usr/lib/ccache:$PATH
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$tree}
fi
start=$(date +%s)
(cd "$tree" && dpkg-buildpackage -us -uc -b -J"$jobs")
mv "$stage"/duskwhirl*.deb "$stage"/duskwhirl_*.changes "$stage"/duskwhirl_*.buildinfo "$out"/
mv "$stage"/duskwhirl*.ddeb "$out"/ 2>/dev/null || true
cp "$tree"/obj-*/install_manifest.txt "$out"/
rm -rf "$stage"
echo "make deb: $(( $(date +%s) - start )) s; in $out:"
ls -1 "$out"
