#!/usr/bin/env bash
# Times `velmora-cli list` against the strict checker `pngcheck -q` (Debian package
# pngcheck) over the same folder of real PNG files, in the same run, and prints
# both times and their ratio. Each tool reads every file in one invocation per
# pass; the passes repeat so that a small folder still gives a steady figure.
#   scripts/bench-cli.sh [FOLDER] [PASSES]   (default: ../shared/corpus, 20 passes)
# VELMORA_BUILD_ROOT puts the build folders elsewhere (default: build/).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
# The shared sample files sit beside the checkout (or beside a worktree's parent).
default=$top/../shared/corpus
[ -d "$default" ] || default=$top/../../shared/corpus
folder=${1:-$default}
passes=${2:-20}
cli="${VELMORA_BUILD_ROOT:-$top/build}/native/velmora-cli"
command -v pngcheck >/dev/null || { echo "bench-cli: pngcheck is not installed (package pngcheck)" >&2; exit 1; }
"$top/scripts/build.sh" native
mapfile -d '' files < <(find "$folder" -type f -iname '*.png' -print0 | sort -z)
[ ${#files[@]} -gt 0 ] || { echo "bench-cli: no PNG files in $folder" >&2; exit 1; }
bytes=$(cat "${files[@]}" | wc -c)

# Milliseconds for PASSES runs of the command over every file (exit statuses of
# damaged files are expected and ignored).
time_passes() {
  local start end
  start=$(date +%s%N)
  for ((k = 0; k < passes; k++)); do "$@" "${files[@]}" >/dev/null 2>&1 || true; done
  end=$(date +%s%N)
  echo $(( (end - start) / 1000000 ))
}

echo "files: ${#files[@]} ($bytes bytes) in $folder, $passes passes each"
cli_ms=$(time_passes "$cli" list --lang en)
check_ms=$(time_passes pngcheck -q)
echo "velmora-cli list: $cli_ms ms"
echo "pngcheck -q:      $check_ms ms"
awk -v a="$cli_ms" -v b="$check_ms" 'BEGIN { if (a > 0) printf "ratio (pngcheck / velmora-cli): %.2f\n", b / a }'
