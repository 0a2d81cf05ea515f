#!/usr/bin/env bash
# Installs what is missing, builds, leaves the Windows program in dist/ and runs it
# under Wine: on the current display, or on a virtual one (with a screenshot) when
# there is none.   Usage: ./run.sh [FILE.png]
set -euo pipefail
cd "$(dirname "$0")"
top=$(pwd)
./scripts/install-deps.sh
./scripts/build.sh win32 win64
./scripts/make-dist.sh

program="$top/build/win64/velmora.exe"
if [ ! -f "$program" ]; then
  echo "Built the core; the window program is not part of this build yet."
  exit 0
fi
arg=()
[ $# -gt 0 ] && arg=("$(realpath "$1")")

. "$top/scripts/wine-session.sh"
trap wine_session_end EXIT
if [ -n "${DISPLAY:-}" ]; then
  wine_session_begin
  wine_run "$program" "${arg[@]}"
else
  # No display: run on Xvfb, take a screenshot once the window is up, then close it.
  wine_session_begin virtual
  wine_run "$program" "${arg[@]}" &
  pid=$!
  for _ in $(seq 1 100); do
    xdotool search --name 'VELMORA' >/dev/null 2>&1 && break
    sleep 0.2
  done
  sleep 1
  mkdir -p "$top/dist"
  shot="$top/dist/screenshot.png"
  import -window root "$shot"
  echo "screenshot: $shot"
  wineserver -k 2>/dev/null || true
  wait $pid 2>/dev/null || true
fi
