#!/usr/bin/env bash
# Builds the native tree and runs the repair benchmark at low priority; prints the
# time of every search size, the plain search's times and the ratio between them,
# then the parts that decide a repair: every candidate of a 4 MiB chunk, the check
# of one candidate on a 4 MiB IDAT run, and the search for lost IHDR dimensions.
# Extra arguments go to the benchmark (e.g. --benchmark_filter=BM_Search).
# scripts/bench.sh --undo: instead, the figures of 100 undo steps on the largest table.
# scripts/bench.sh --rescue: instead, the rescue of files just under the size limit,
# one per kind of damage, and the undoing of line endings (each case in a child process).
# VELMORA_BUILD_ROOT puts the build folders elsewhere (default: build/).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/build.sh" native
if [ "${1:-}" = --undo ]; then
  exec nice "${VELMORA_BUILD_ROOT:-$top/build}/native/velmora_undo_bench"
fi
if [ "${1:-}" = --rescue ]; then
  exec nice "${VELMORA_BUILD_ROOT:-$top/build}/native/velmora_rescue_bench"
fi
exec nice "${VELMORA_BUILD_ROOT:-$top/build}/native/velmora_bench" "$@"
