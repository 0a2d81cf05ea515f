#!/usr/bin/env bash
# Times `velmora-cli check -q` and `velmora-cli list` against the strict checker
# `pngcheck -q` (Debian package pngcheck, a benchmark-only tool) over the same
# folder of real PNG files, in the same run, and prints the times and their ratio.
# Each tool reads every file in one invocation per pass; the passes alternate
# between the tools, so that a load on the machine falls on both alike; each
# tool's wall and CPU times are reported, fastest and mean.
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

# One run of the command over every file: "wall cpu" in microseconds, the CPU time
# (user and system) being the figure a busy machine disturbs least (exit statuses
# of damaged files are expected and ignored).
time_once() {
  local TIMEFORMAT='%3R %3U %3S' line
  line=$( { time "$@" "${files[@]}" >/dev/null 2>&1 || true; } 2>&1 )
  awk '{ printf "%d %d\n", $1 * 1000000, ($2 + $3) * 1000000 }' <<<"$line"
}

declare -A best total cpu_best cpu_total
tools=(check list pngcheck)
for t in "${tools[@]}"; do best[$t]=999999999; total[$t]=0; cpu_best[$t]=999999999; cpu_total[$t]=0; done
for ((k = 0; k < passes; k++)); do
  for t in "${tools[@]}"; do
    case $t in
      check)    read -r us cpu < <(time_once "$cli" check -q --lang en) ;;
      list)     read -r us cpu < <(time_once "$cli" list --lang en) ;;
      pngcheck) read -r us cpu < <(time_once pngcheck -q) ;;
    esac
    total[$t]=$(( total[$t] + us )); cpu_total[$t]=$(( cpu_total[$t] + cpu ))
    (( us < best[$t] )) && best[$t]=$us
    (( cpu < cpu_best[$t] )) && cpu_best[$t]=$cpu
  done
done

echo "files: ${#files[@]} ($bytes bytes) in $folder, $passes passes each"
for t in "${tools[@]}"; do
  label=$t; [ "$t" = pngcheck ] && label="pngcheck -q" || label="velmora-cli $t"
  awk -v l="$label" -v b="${best[$t]}" -v s="${total[$t]}" -v cb="${cpu_best[$t]}" -v cs="${cpu_total[$t]}" -v n="$passes" \
    'BEGIN { printf "%-18s wall: fastest %6.2f ms, mean %6.2f ms; CPU: least %6.2f ms, mean %6.2f ms\n", l ":", b / 1000, s / n / 1000, cb / 1000, cs / n / 1000 }'
done
awk -v a="${cpu_total[check]}" -v b="${cpu_total[pngcheck]}" \
  'BEGIN { if (a > 0) printf "ratio of the mean CPU times (pngcheck / velmora-cli check): %.2f\n", b / a }'
