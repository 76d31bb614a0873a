#!/usr/bin/env bash
# The Debian packages `make deb` left in DEBDIR, unpacked together into a
# scratch root: the program run from / finds its data beside its folder, and
# the packages hold exactly what the install of their build put in place (its
# install_manifest.txt) and what an install of this build holds, so the
# packaging and the install rules cannot drift apart.
#   deb_check.sh BUILD DEBDIR VERSION BINDIR DATADIR
# BINDIR, DATADIR: this build's layout, relative to the prefix. Exit status
# 77 (skipped) when DEBDIR holds no packages of VERSION, unless
# DW_REQUIRE_DEBS is set (continuous integration builds them first).
set -u
build=$1 debs=$2 version=$3 bindir=$4 datadir=$5
shopt -s nullglob
prog=("$debs"/duskwhirl_"$version"-*_*.deb)
data=("$debs"/duskwhirl-data_"$version"-*_all.deb)
scores=("$debs"/duskwhirl-scores_"$version"-*_*.deb)
if [ ${#prog[@]} -eq 0 ] || [ ${#data[@]} -eq 0 ]; then
  if [ -n "${DW_REQUIRE_DEBS:-}" ]; then
    echo "FAIL: no packages of version $version in $debs (DW_REQUIRE_DEBS is set)"
    exit 1
  fi
  echo "SKIP: no packages of version $version in $debs: \"make deb\" builds them"
  exit 77
fi
if [ ${#prog[@]} -ne 1 ] || [ ${#data[@]} -ne 1 ] || [ ${#scores[@]} -ne 1 ]; then
  echo "FAIL: not one package of each kind in $debs: ${prog[*]} ${data[*]} ${scores[*]}"
  exit 1
fi
manifest=$debs/install_manifest.txt
[ -s "$manifest" ] || { echo "FAIL: $manifest is missing (make deb copies it from its build)"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail=0
bad() { echo "FAIL: $*"; fail=1; }
root=$(realpath "$work")/root

# The program asks for the data package of its own build.
data_version=$(dpkg-deb -f "${data[0]}" Version)
dpkg-deb -f "${prog[0]}" Depends | grep -qF "duskwhirl-data (= $data_version)" ||
  bad "duskwhirl does not depend on duskwhirl-data (= $data_version): $(dpkg-deb -f "${prog[0]}" Depends)"

# Under a Wayland compositor that leaves the decorations to the window, SDL
# draws the title bar through a libdecor plugin.
dpkg-deb -f "${prog[0]}" Recommends | grep -q "libdecor-0-plugin-1" ||
  bad "duskwhirl does not recommend a libdecor plugin: $(dpkg-deb -f "${prog[0]}" Recommends)"

for deb in "${prog[0]}" "${data[0]}"; do
  dpkg-deb -x "$deb" "$root" || { echo "FAIL: dpkg-deb -x $deb"; exit 1; }
done
exe=$root/usr/games/duskwhirl
[ -x "$exe" ] || { echo "FAIL: no executable usr/games/duskwhirl"; exit 1; }
if readelf -d "$exe" 2>/dev/null | grep -Eq "\((RPATH|RUNPATH)\)"; then
  bad "usr/games/duskwhirl carries a run path: $(readelf -d "$exe" | grep -E 'R(UN)?PATH')"
fi

# Run from /, with no help from the environment.
(cd / && env -u DUSKWHIRL_DATA XDG_DATA_DIRS=/nonexistent SDL_AUDIODRIVER=dummy \
   "$exe" --headless --frames 60 --user-dir "$work/user") || bad "usr/games/duskwhirl exited with status $?"
grep -q "^GAME: Resource Library is present$" "$work/user/file.log" || bad "the unpacked program found no data"
grep -qx "GAME: Resource Library file: $root/usr/share/games/duskwhirl/gamedata.res" "$work/user/file.log" ||
  bad "the log does not name usr/share/games/duskwhirl/gamedata.res: $(grep 'Resource Library' "$work/user/file.log")"

# What each package holds (files and links, not directories), as /usr/...
contents() { dpkg-deb --fsys-tarfile "$1" | tar -t | grep -v '/$' | sed 's|^\.||' | sort; }
contents "${prog[0]}" > "$work/prog.list"
contents "${data[0]}" > "$work/data.list"
contents "${scores[0]}" > "$work/scores.list"
dpkg-deb -f "${scores[0]}" Depends | grep -qF "duskwhirl-data (= $data_version)" ||
  bad "duskwhirl-scores does not depend on duskwhirl-data (= $data_version)"
grep -qx "/lib/systemd/system/duskwhirl-scores.service" "$work/scores.list" ||
  bad "duskwhirl-scores holds no systemd unit"
grep -qx "/usr/share/games/duskwhirl/gamedata.res" "$work/data.list" || bad "gamedata.res is not in duskwhirl-data"
grep -q "^/usr/share/games/duskwhirl/demos/.*\.dwdemo$" "$work/data.list" || bad "the demos are not in duskwhirl-data"
grep -qx "/usr/share/applications/io.github.duskwhirl.duskwhirl.desktop" "$work/prog.list" ||
  bad "the desktop entry is not in /usr/share/applications"
others=$(grep -Ev '^/usr/share/(doc|lintian/overrides|games/duskwhirl)/' "$work/data.list")
[ -z "$others" ] || bad "duskwhirl-data holds files outside /usr/share/games/duskwhirl: $others"

# The packages against the manifest of their build's install: the same files,
# but for what Debian's tools add (copyright, changelog, lintian overrides) and
# compress (manual pages, long documents).
sed 's|^.*/debian/tmp/|/|' "$manifest" | sort > "$work/manifest.list"
sort "$work/prog.list" "$work/data.list" "$work/scores.list" |
  grep -Ev '^/usr/share/doc/duskwhirl(-data|-scores)?/(copyright|changelog\.Debian\.gz)$|^/usr/share/lintian/overrides/' |
  while read -r f; do
    if grep -qxF -- "$f" "$work/manifest.list"; then echo "$f"
    elif [ "${f%.gz}" != "$f" ] && grep -qxF -- "${f%.gz}" "$work/manifest.list"; then echo "${f%.gz}"
    else echo "$f"; fi
  done | sort > "$work/packaged.list"
if ! diff -u "$work/manifest.list" "$work/packaged.list" > "$work/diff"; then
  bad "the packages and their install manifest differ (- manifest only, + packages only):"; cat "$work/diff"
fi

# And the manifest against an install of this build, in the packages' layout.
DESTDIR=$work/stage cmake --install "$build" --prefix /usr >/dev/null || bad "cmake --install $build"
(cd "$work/stage" && find . \( -type f -o -type l \) | sed 's|^\.||') |
  sed "s|^/usr/$bindir/|/usr/games/|; s|^/usr/$datadir/|/usr/share/games/duskwhirl/|; s|^/usr/lib/systemd/|/lib/systemd/|" |
  sort > "$work/build.list"
if ! diff -u "$work/build.list" "$work/manifest.list" > "$work/diff"; then
  bad "the packages are not of this build's install rules (- this build, + the packages' build):"; cat "$work/diff"
fi

[ $fail -eq 0 ] && echo "packages unpacked, ran from /, hold what the install of their build holds"
exit $fail
