#!/usr/bin/env bash
# Keeps the fuzz targets alive in CI: builds them (fuzz/build.sh) and runs each for
# a short, fixed number of inputs from its seed corpus, with a fixed random seed so
# that a run can be repeated. Any finding fails the run; its input is kept in
# $VELMORA_BUILD_ROOT/fuzz/findings/. The long run is scripts/fuzz-long.sh.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
echo "== building the fuzz targets"
dir=$("$top/fuzz/build.sh" | tail -1)
mkdir -p "$dir/findings"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

status=0
while read -r target runs max_len; do
  case "$target" in ''|'#'*) continue ;; esac
  [ -x "$dir/$target" ] || continue
  seeds="$dir/seeds/${target%_fuzzer}"
  mkdir -p "$scratch/$target"
  echo "== $target: $runs runs"
  if ! "$dir/$target" -seed=1 -runs="$runs" -max_len="$max_len" -timeout=30 -rss_limit_mb=2560 \
       -artifact_prefix="$dir/findings/$target-" -print_final_stats=1 \
       "$scratch/$target" "$seeds" >"$scratch/$target.log" 2>&1; then
    tail -40 "$scratch/$target.log" >&2
    echo "$target: FINDING (input kept in $dir/findings/)" >&2
    status=1
  else
    grep -E '^#[0-9]+[[:space:]]+DONE' "$scratch/$target.log" || true
  fi
done < "$top/fuzz/targets.txt"
exit $status
