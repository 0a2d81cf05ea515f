#!/usr/bin/env bash
# Times the Windows program under wine64 on a virtual display and prints the
# figures: start-up to a filled table for 10, 10,000 and 349,524 chunks, the repair
# of a damaged 1 MiB IDAT through the real progress window, the latency of Cancel,
# select all / invert on large tables, and on the largest one delete every row,
# merge what is left and undo the merge.
# VELMORA_BUILD_ROOT puts the build folders elsewhere (default: build/).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="${VELMORA_BUILD_ROOT:-$top/build}/win64"
"$top/scripts/build.sh" win64
cmake --build "$build" --target velmora velmora_shell_bench >/dev/null
. "$top/scripts/wine-session.sh"
trap wine_session_end EXIT
wine_session_begin virtual
wine_unmanaged_windows
nice "$WINE64" "$build/velmora_shell_bench.exe" "$(winepath -w "$build/velmora.exe")"
