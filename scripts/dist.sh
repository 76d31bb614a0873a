#!/bin/bash
# make dist: everything a release page holds, in DIST (default dist/), named
# with the version of scripts/version.sh:
#   duskwhirl-VERSION.tar.gz                the source (git archive of HEAD, with a
#                                           VERSION file; make run / make test build it)
#   duskwhirl_*.deb, duskwhirl-data_*.deb,  the Debian packages (make deb), without
#   duskwhirl-scores_*.deb                  their debug symbols
#   duskwhirl-VERSION-windows-x64.zip       the Windows program (make windows)
#   duskwhirl-VERSION-setup.exe             its installer
#   duskwhirl-VERSION-web.zip               the browser build (make web)
#   SHA256SUMS                              the checksums of all of them
#   scripts/dist.sh [DIST]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
dist=${1:-dist}
mkdir -p "$dist"
dist=$(cd "$dist" && pwd)
version=$(bash scripts/version.sh)
name=duskwhirl-$version
jobs=${JOBS:-$(nproc 2>/dev/null || echo 2)}
rm -f "$dist"/duskwhirl[-_]* "$dist/SHA256SUMS"

echo "== the source tarball"
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  [ -z "$(git status --porcelain --untracked-files=no)" ] ||
    echo "dist: the tree has changes that are not committed; the tarball holds HEAD" >&2
  tmp=$(mktemp -d)
  git archive --format=tar --prefix="$name/" HEAD >"$tmp/src.tar"
  mkdir -p "$tmp/$name"
  echo "$version" >"$tmp/$name/VERSION"
  tar -C "$tmp" --owner=0 --group=0 --numeric-owner -rf "$tmp/src.tar" "$name/VERSION"
  gzip -9n <"$tmp/src.tar" >"$dist/$name.tar.gz"
  rm -rf "$tmp"
else
  echo "dist: not a git checkout: no source tarball (a tarball is itself the source)" >&2
fi

echo "== the Debian packages"
DEB_BUILD_OPTIONS=${DEB_BUILD_OPTIONS:-nocheck} make deb JOBS="$jobs"
cp build-deb/duskwhirl*_*.deb "$dist/"
rm -f "$dist"/duskwhirl*-dbgsym_*.deb

echo "== Windows"
make windows JOBS="$jobs" DIST="$dist"

echo "== the browser build"
make web JOBS="$jobs"
# www/ is what a web site holds (the page, the program, the data, the demos,
# the site pages) and nothing of the build's own.
[ -f build-web/www/duskwhirl.html ] || { echo "dist: no build-web/www (make web)" >&2; exit 1; }
tmp=$(mktemp -d)
cp -r build-web/www "$tmp/$name-web"
(cd "$tmp" && find "$name-web" -print | LC_ALL=C sort | zip -qX -@ "$dist/$name-web.zip")
rm -rf "$tmp"

(cd "$dist" && sha256sum -- duskwhirl[-_]* >SHA256SUMS)
echo "== $dist:"
cat "$dist/SHA256SUMS"
