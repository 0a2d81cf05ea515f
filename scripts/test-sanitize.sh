#!/usr/bin/env bash
# The native test suite built with AddressSanitizer, UndefinedBehaviorSanitizer and
# LeakSanitizer (GCC's, so Debian's GoogleTest links as it is) and run with no
# report allowed: the first finding ends the run with a failure.
# The build goes to $VELMORA_BUILD_ROOT/sanitize (default build/sanitize).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir="${VELMORA_BUILD_ROOT:-$top/build}/sanitize"
jobs=$(nproc 2>/dev/null || echo 2)
flags="-O1 -g -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"

if [ ! -f "$dir/CMakeCache.txt" ]; then
  cmake -S "$top" -B "$dir" -DCMAKE_BUILD_TYPE=None -DCMAKE_CXX_COMPILER=g++ \
        -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
fi
echo "== building the sanitizer build"
cmake --build "$dir" -j "$jobs" --target velmora_tests >"$dir/build.log" 2>&1 ||
  { tail -50 "$dir/build.log" >&2; echo "sanitizer build failed" >&2; exit 1; }

export ASAN_OPTIONS=halt_on_error=1:abort_on_error=0:detect_leaks=1:detect_stack_use_after_return=1:strict_string_checks=1:check_initialization_order=1:exitcode=86
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1:exitcode=87
export LSAN_OPTIONS=exitcode=88
"$dir/velmora_tests" --gtest_brief=1
