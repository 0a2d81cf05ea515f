#!/usr/bin/env bash
# Times `velmora-cli check -q` and `velmora-cli list` against the strict checker
# `pngcheck -q` (Debian package pngcheck, a benchmark-only tool) over the same
# folder of real PNG files, in the same run, and prints the times and their ratio.
# Each tool reads every file in one invocation per pass; the passes alternate
# between the tools, so that a load on the machine falls on both alike, and the
# fastest pass of each is reported beside the total (the fastest is the steadiest
# figure on a busy machine).
#   scripts/bench-cli.sh [FOLDER] [PASSES]   (default: ../shared/corpus, 20 passes)
# Without pngcheck it says so and skips. VELMORA_BUILD_ROOT puts the build folders
# elsewhere (default: build/).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
# The shared sample files sit beside the checkout (or beside a worktree's parent).
default=$top/../shared/corpus
[ -d "$default" ] || default=$top/../../shared/corpus
folder=${1:-$default}
passes=${2:-20}
cli="${VELMORA_BUILD_ROOT:-$top/build}/native/velmora-cli"
if ! command -v pngcheck >/dev/null; then
  echo "bench-cli: skipped: pngcheck is not installed (package pngcheck)" >&2
  exit 0
fi
"$top/scripts/build.sh" native
mapfile -d '' files < <(find "$folder" -type f -iname '*.png' -print0 | sort -z)
[ ${#files[@]} -gt 0 ] || { echo "bench-cli: no PNG files in $folder" >&2; exit 1; }
bytes=$(cat "${files[@]}" | wc -c)

# Microseconds of one run of the command over every file (exit statuses of
# damaged files are expected and ignored).
time_once() {
  local start end
  start=$(date +%s%N)
  "$@" "${files[@]}" >/dev/null 2>&1 || true
  end=$(date +%s%N)
  echo $(( (end - start) / 1000 ))
}

declare -A best total
tools=(check list pngcheck)
for t in "${tools[@]}"; do best[$t]=999999999; total[$t]=0; done
for ((k = 0; k < passes; k++)); do
  for t in "${tools[@]}"; do
    case $t in
      check)    us=$(time_once "$cli" check -q --lang en) ;;
      list)     us=$(time_once "$cli" list --lang en) ;;
      pngcheck) us=$(time_once pngcheck -q) ;;
    esac
    total[$t]=$(( total[$t] + us ))
    (( us < best[$t] )) && best[$t]=$us
  done
done

echo "files: ${#files[@]} ($bytes bytes) in $folder, $passes passes each"
for t in "${tools[@]}"; do
  label=$t; [ "$t" = pngcheck ] && label="pngcheck -q" || label="velmora-cli $t"
  awk -v l="$label" -v b="${best[$t]}" -v s="${total[$t]}" -v n="$passes" \
    'BEGIN { printf "%-18s fastest pass %7.2f ms, mean %7.2f ms\n", l ":", b / 1000, s / n / 1000 }'
done
awk -v a="${best[check]}" -v b="${best[pngcheck]}" \
  'BEGIN { if (a > 0) printf "ratio of the fastest passes (pngcheck / velmora-cli check): %.2f\n", b / a }'
