#!/bin/bash
# The Windows release files, from the build of scripts/windows/build.sh:
#   DIST/duskwhirl-VERSION-windows-x64.zip   the program, gamedata.res, the
#       demos, the site pages, LICENSE, LICENSE.DejaVu, README.txt in one folder
#   DIST/duskwhirl-VERSION-setup.exe          the installer (NSIS) of the same files
#   scripts/windows/package.sh [BUILD_WIN [DIST]]
# Refuses a program that needs a DLL Windows does not have itself.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
win=$(cd "${1:-build-win}" && pwd)
mkdir -p "${2:-dist}"
dist=$(cd "${2:-dist}" && pwd)
version=$(bash "$root/scripts/version.sh")
mingw=x86_64-w64-mingw32
die() { echo "package: $*" >&2; exit 1; }

# The DLLs of Windows itself that the program may import; anything else
# (libstdc++-6.dll, libwinpthread-1.dll, SDL2.dll, ...) would have to lie beside it.
system_dlls='^(kernel32|user32|gdi32|winmm|imm32|ole32|oleaut32|shell32|advapi32|setupapi|version|msvcrt|ws2_32|shlwapi|dinput8|dxguid|uuid|hid|cfgmgr32|opengl32|bcrypt|crypt32|dwmapi|api-ms-win-.*)\.dll$'
imports=$($mingw-objdump -p "$win/duskwhirl.exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
foreign=$(grep -vE "$system_dlls" <<<"$imports" || true)
[ -z "$foreign" ] || die "duskwhirl.exe needs DLLs that Windows lacks: $foreign"

name=duskwhirl-$version
pkg=$win/package
stage=$pkg/$name
rm -rf "$pkg"
mkdir -p "$stage"
$mingw-strip -o "$stage/duskwhirl.exe" "$win/duskwhirl.exe"
cp "$win/gamedata.res" "$root/LICENSE" "$root/LICENSE.DejaVu" "$stage/"
cp -r "$win/demos" "$win/site" "$stage/"
# Windows line ends, for Notepad.
sed 's/$/\r/' "$root/data/windows/README.txt" >"$stage/README.txt"
# Every file with the same time (the commit's, else now): the zip's bytes
# depend on the files alone.
stamp=$(git -C "$root" log -1 --format=%ct 2>/dev/null || date +%s)
find "$stage" -exec touch -d "@$stamp" {} +

zip_file=$dist/$name-windows-x64.zip
rm -f "$zip_file"
(cd "$pkg" && find "$name" -print | LC_ALL=C sort | zip -qX -@ "$zip_file")
echo "package: $zip_file ($(du -k "$zip_file" | cut -f1) KiB)"

# The installer: what it installs and what its uninstaller removes, listed
# from the same folder.
cp "$win/windows/duskwhirl.ico" "$pkg/"
(
  cd "$stage"
  find . -type d | LC_ALL=C sort | while read -r d; do
    rel=${d#./}; rel=${rel#.}
    echo "SetOutPath \"\$INSTDIR${rel:+\\${rel//\//\\}}\""
    find "$d" -maxdepth 1 -type f | LC_ALL=C sort | while read -r f; do echo "File \"$name/${f#./}\""; done
  done
) >"$pkg/install-files.nsh"
(
  cd "$stage"
  find . -type f | LC_ALL=C sort | while read -r f; do
    f=${f#./}; echo "Delete \"\$INSTDIR\\${f//\//\\}\""
  done
  find . -mindepth 1 -type d | LC_ALL=C sort -r | while read -r d; do
    d=${d#./}; echo "RMDir \"\$INSTDIR\\${d//\//\\}\""
  done
) >"$pkg/uninstall-files.nsh"
# The version resource needs four numbers.
numbers=$(grep -oE '^[0-9]+(\.[0-9]+){0,3}' <<<"$version" || echo 0)
while [ "$(tr -cd . <<<"$numbers" | wc -c)" -lt 3 ]; do numbers=$numbers.0; done
setup=$dist/$name-setup.exe
(cd "$pkg" && makensis -V2 -NOCD -DVERSION="$version" -DVERSION4="$numbers" -DSTAGE="$name" \
  -DOUTFILE="$setup" "$root/data/windows/installer.nsi") || die "makensis failed"
echo "package: $setup ($(du -k "$setup" | cut -f1) KiB)"
