#!/usr/bin/env bash
# Installs what is missing, builds all three builds, and runs every test: the
# native suite, then the Windows-side suites under wine64 on a virtual display.
# Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
./scripts/build.sh native win32 win64 win32-tests

status=0
echo "== native tests"
(cd "${VELMORA_BUILD_ROOT:-build}/native" && ctest --output-on-failure) || status=1

for script in scripts/test-*.sh; do
  [ -e "$script" ] || continue
  echo "== $script"
  started=$SECONDS
  bash "$script" || status=1
  echo "== $script: $((SECONDS - started)) s"
done

if [ $status -ne 0 ]; then
  echo "TESTS FAILED"
else
  echo "ALL TESTS PASSED"
fi
exit $status
