#!/usr/bin/env bash
# Installs what is missing, builds, leaves the Windows program in dist/ and runs it
# under Wine: on the current display, or on a virtual one when there is none; then
# it saves a screenshot of the window with its table and prints the screenshot's
# path.   Usage: ./run.sh [FILE.png]
set -euo pipefail
cd "$(dirname "$0")"
top=$(pwd)
build_root="${VELMORA_BUILD_ROOT:-$top/build}"
./scripts/install-deps.sh
./scripts/build.sh win32 win64
./scripts/make-dist.sh

program="$build_root/win64/velmora.exe"
if [ ! -f "$program" ]; then
  echo "The window program was not built: see $build_root/win64/build.log" >&2
  exit 1
fi
file=""
if [ $# -gt 0 ]; then
  [ -f "$1" ] || { echo "no such file: $1" >&2; exit 2; }
  file=$(realpath "$1")
fi

. "$top/scripts/wine-session.sh"
trap wine_session_end EXIT
if [ -n "${DISPLAY:-}" ]; then
  wine_session_begin
  wine_use_japanese_fonts
  arg=(); [ -n "$file" ] && arg=("$(winepath -w "$file")")
  wine_run "$program" "${arg[@]}"
else
  # No display: run on Xvfb, take a screenshot once the window is up, then close it.
  wine_session_begin virtual
  wine_use_japanese_fonts
  arg=(); [ -n "$file" ] && arg=("$(winepath -w "$file")")
  wine_run "$program" "${arg[@]}" &
  pid=$!
  window=""
  for _ in $(seq 1 150); do
    window=$(xdotool search --name '^VELMORA Ver' 2>/dev/null | head -1) && [ -n "$window" ] && break
    sleep 0.2
  done
  [ -n "$window" ] || echo "the window did not appear" >&2
  sleep 1.5
  mkdir -p "$top/dist"
  shot="$top/dist/screenshot.png"
  import -window root "$shot"
  echo "screenshot: $shot"
  wineserver -k 2>/dev/null || true
  wait $pid 2>/dev/null || true
fi
