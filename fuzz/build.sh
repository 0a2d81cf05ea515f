#!/usr/bin/env bash
# Builds the fuzz targets with clang++-14 into $VELMORA_BUILD_ROOT/fuzz (default
# build/fuzz) and writes their seed corpora into its seeds/ folder. Used by
# scripts/test-fuzz.sh and scripts/fuzz-long.sh; prints the build folder.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir="${VELMORA_BUILD_ROOT:-$top/build}/fuzz"
jobs=$(nproc 2>/dev/null || echo 2)
if [ ! -f "$dir/CMakeCache.txt" ]; then
  CXX=clang++-14 cmake -S "$top/fuzz" -B "$dir" -DCMAKE_BUILD_TYPE=None >/dev/null
fi
cmake --build "$dir" -j "$jobs" >"$dir/build.log" 2>&1 ||
  { tail -50 "$dir/build.log" >&2; echo "fuzz build failed" >&2; exit 1; }
rm -rf "$dir/seeds"
python3 "$top/fuzz/make_seeds.py" "$dir/seeds" "$top/../shared/corpus/pngsuite"
echo "$dir"
