#!/usr/bin/env bash
# Checks the help file and the release after the builds:
#  - velmora.chm of each Windows build: a valid CHM that extract_chmLib unpacks,
#    holding every page, the contents and the index; every link between the pages
#    resolves; every program text the pages quote is one of the program's texts;
#  - the release that make-dist.sh makes (into a temporary folder);
#  - under wine64, F1 and the Help menu of the x86_64 program: the warning box
#    without velmora.chm beside it, none with it.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
root="${VELMORA_BUILD_ROOT:-$top/build}"
work=$(mktemp -d /tmp/velmora-help-test.XXXXXX)
cleanup() { rm -rf "$work"; }
trap cleanup EXIT
status=0

for build in win32 win64; do
  echo "-- help file of the $build build"
  python3 "$top/tests/help/check_help.py" chm --chm "$root/$build/help/velmora.chm" \
    --staged "$root/$build/help/pages" --help-dir "$top/help" \
    --sources "$top/src" "$top/res" "$root/$build/generated" || status=1
done

echo "-- release"
if [ -f "$root/win32/velmora.exe" ]; then
  if VELMORA_BUILD_ROOT="$root" VELMORA_DIST_DIR="$work/dist" "$top/scripts/make-dist.sh" >/dev/null; then
    # The program must be the win32 build's own, whose imports test-imports.sh checks.
    python3 "$top/tests/help/check_help.py" release --dist "$work/dist" --build "$root/win32" || status=1
  else
    echo "FAIL: make-dist.sh failed"
    status=1
  fi
else
  echo "SKIP: $root/win32/velmora.exe is not built"
fi
# The version is set once, in CMakeLists.txt; no product or build file may spell it
# out again (tests may state what they expect to see).
if ! version=$("$top/scripts/version.sh" "$root/win32"); then
  echo "FAIL: no version from the win32 build"
  status=1
elif grep -rIl -F -e "Ver.$version" -e "Version $version" -e "velmora-$version" \
       "$top/src" "$top/res" "$top/help" "$top/cmake" "$top/scripts"; then
  echo "FAIL: the files above write the version $version out instead of taking it from the build"
  status=1
fi

echo "-- F1 and the Help menu under wine64"
if [ -f "$root/win64/velmora.exe" ] && [ -f "$root/win64/velmora_help_check.exe" ]; then
  . "$top/scripts/wine-session.sh"
  trap 'wine_session_end; cleanup' EXIT
  wine_session_begin virtual
  mkdir -p "$work/program"
  cp "$root/win64/velmora.exe" "$work/program/"
  # Wine's drive Z: is the root of the Linux file system.
  as_windows() { printf 'Z:%s' "${1//\//\\}"; }
  (cd "$work" && wine_run "$root/win64/velmora_help_check.exe" \
     "$(as_windows "$work/program")" "$(as_windows "$root/win64/help/velmora.chm")") || status=1
else
  echo "SKIP: the x86_64 program or its help check is not built"
fi

[ $status -eq 0 ] && echo "help and release checks passed" || echo "help and release checks FAILED"
exit $status
