#!/usr/bin/env bash
# The core's test suite built for Windows (x86_64), run under wine64: the same
# tests as natively, plus those of the Windows file layer.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
. "$top/scripts/wine-session.sh"
trap wine_session_end EXIT
wine_session_begin virtual
wine_run "${VELMORA_BUILD_ROOT:-$top/build}/win64/velmora_win_tests.exe" --gtest_brief=1
