#!/usr/bin/env bash
# Configures and builds the three builds of the same sources:
#   build/native  the portable core and its tests (Linux)
#   build/win32   the shipped program (i686, static)
#   build/win64   the same program and the Windows-side tests, for wine64
#   build/win32-tests   the core's Windows suite as 32-bit code (i686, posix threads)
# Usage: scripts/build.sh [native] [win32] [win64] [win32-tests]   (all by default)
# VELMORA_BUILD_ROOT puts the build folders elsewhere (default: build/).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc 2>/dev/null || echo 2)
build_root="${VELMORA_BUILD_ROOT:-$top/build}"
targets=("$@"); [ ${#targets[@]} -gt 0 ] || targets=(native win32 win64 win32-tests)
for t in "${targets[@]}"; do
  dir="$build_root/$t"
  case "$t" in
    native) extra=(); only=() ;;
    win32)  extra=(-DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-i686.cmake"); only=() ;;
    win64)  extra=(-DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-x86_64.cmake"); only=() ;;
    win32-tests)
            extra=(-DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-i686-posix.cmake")
            only=(--target velmora_win_tests) ;;
    *) echo "unknown build: $t" >&2; exit 2 ;;
  esac
  if [ ! -f "$dir/CMakeCache.txt" ]; then
    cmake -S "$top" -B "$dir" -DCMAKE_BUILD_TYPE=Release "${extra[@]}" >/dev/null
  fi
  echo "== building $t"
  cmake --build "$dir" -j "$jobs" "${only[@]}" >"$dir/build.log" 2>&1 || { tail -50 "$dir/build.log" >&2; echo "build $t failed" >&2; exit 1; }
done
