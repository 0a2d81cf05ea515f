#!/usr/bin/env bash
# The Windows program's GUI tests (x86_64 build, in-process and as a real
# velmora.exe) under wine64 on a virtual display. Builds nothing: ./test.sh
# builds first. The test program and velmora.exe are copied into a folder of
# their own, so that no velmora.chm lies beside them.
#   scripts/test-gui.sh [GTEST ARGUMENTS...]
#   scripts/test-gui.sh --benchmark     # only the figures: start to a filled table,
#                                       # a 1 MiB repair, how soon Cancel acts
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="${VELMORA_BUILD_ROOT:-$top/build}/win64"
if [ ! -f "$build/velmora_gui_tests.exe" ] || [ ! -f "$build/velmora.exe" ]; then
  echo "velmora_gui_tests.exe or velmora.exe is not built in $build: no GUI tests to run"
  exit 0
fi
. "$top/scripts/wine-session.sh"
trap wine_session_end EXIT
wine_session_begin virtual
bin="$wine_session_dir/bin"
mkdir -p "$bin"
cp "$build/velmora_gui_tests.exe" "$build/velmora.exe" "$bin/"
wine_unmanaged_windows
arguments=(--gtest_brief=1 "$@")
if [ "${1:-}" = --benchmark ]; then
  arguments=(--gtest_also_run_disabled_tests '--gtest_filter=GuiBenchmark.*')
fi
# Generous outer limit: a hung dialog must not stall the whole test run.
timeout 600 "$WINE64" "$bin/velmora_gui_tests.exe" "${arguments[@]}"
