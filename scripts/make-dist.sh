#!/usr/bin/env bash
# Collects the release in dist/: the 32-bit program, its console twin velmora-cli.exe,
# its help file, readme.txt (Japanese, code page 932, CRLF line ends) and
# velmora-VERSION.zip of the four.
# The version is the build's (scripts/version.sh), so it is written nowhere else.
#   VELMORA_BUILD_ROOT  the build folders (default build/)
#   VELMORA_DIST_DIR    where the release goes (default dist/)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="${VELMORA_BUILD_ROOT:-$top/build}/win32"
dist="${VELMORA_DIST_DIR:-$top/dist}"
program="$build/velmora.exe"
console="$build/velmora-cli.exe"
help="$build/help/velmora.chm"

if [ ! -f "$program" ]; then
  echo "make-dist: $program is not built; no release made" >&2
  exit 0
fi
[ -f "$help" ] || { echo "make-dist: $help is missing" >&2; exit 1; }
[ -f "$console" ] || { echo "make-dist: $console is missing" >&2; exit 1; }
version=$("$top/scripts/version.sh" "$build")

mkdir -p "$dist"
rm -f "$dist/velmora.exe" "$dist/velmora-cli.exe" "$dist/velmora.chm" "$dist/readme.txt" "$dist"/velmora-*.zip
cp "$program" "$console" "$help" "$dist/"
sed -e "s/@VELMORA_VERSION@/$version/g" -e 's/$/\r/' "$top/help/readme.txt" \
  | iconv -f UTF-8 -t CP932 > "$dist/readme.txt"
(cd "$dist" && zip -q -X "velmora-$version.zip" velmora.exe velmora-cli.exe velmora.chm readme.txt)
echo "dist: velmora.exe velmora-cli.exe velmora.chm readme.txt velmora-$version.zip"
