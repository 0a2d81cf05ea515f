#!/usr/bin/env bash
# The long fuzzing run: each target in turn, one at a time, at the lowest priority,
# for MINUTES minutes (default 30), growing a corpus that is kept between runs in
# $VELMORA_BUILD_ROOT/fuzz/corpus/<target> (default build/fuzz/...). Findings go to
# .../fuzz/findings/, each run's output to .../fuzz/logs/<target>.log; the closing
# figures (executions, coverage) of each run are printed.
# Usage: scripts/fuzz-long.sh [MINUTES] [TARGET...]
#   e.g. scripts/fuzz-long.sh 30               every target, 30 minutes each
#        scripts/fuzz-long.sh 120 load_fuzzer
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
minutes="${1:-30}"
shift || true
dir=$("$top/fuzz/build.sh" | tail -1)
mkdir -p "$dir/findings" "$dir/logs"
# Each target's longest input is the one fuzz/targets.txt gives it.
list="$top/fuzz/targets.txt"
targets=("$@"); [ ${#targets[@]} -gt 0 ] || mapfile -t targets < <(awk '/^[a-z_]+_fuzzer /{print $1}' "$list")
max_len_of() { awk -v t="$1" '$1 == t {print $3; found = 1} END {if (!found) print 4096}' "$list"; }

status=0
for target in "${targets[@]}"; do
  corpus="$dir/corpus/$target"
  mkdir -p "$corpus"
  log="$dir/logs/$target.log"
  echo "== $target: $minutes minutes (log: $log)"
  if ! nice -n 19 "$dir/$target" -max_total_time=$((minutes * 60)) -max_len="$(max_len_of "$target")" \
       -timeout=30 -rss_limit_mb=2560 -print_final_stats=1 -artifact_prefix="$dir/findings/$target-" \
       "$corpus" "$dir/seeds/${target%_fuzzer}" >"$log" 2>&1; then
    tail -40 "$log" >&2
    echo "$target: FINDING (input kept in $dir/findings/)" >&2
    status=1
  fi
  grep -E '^#[0-9]+[[:space:]]+(DONE|pulse|NEW|REDUCE)' "$log" | tail -1 || true
  grep -E '^stat::(number_of_executed_units|average_exec_per_sec|peak_rss_mb)' "$log" || true
done
exit $status
