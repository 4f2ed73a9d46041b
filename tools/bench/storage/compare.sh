#!/usr/bin/env bash
# Builds the storage benchmark in release mode, runs it, and prints how the
# storage layer's write-with-peaks-and-read-back compares with cp copying the
# same 105.84 MB. Pass a folder to put the files on another disk.
set -euo pipefail
cd "$(dirname "$0")/../../.."

# An existing build folder ($BUILD) is used as it is configured; a missing one
# is made as a Release tree. Needs cp and awk (coreutils, mawk or gawk).
build=${BUILD:-build/release}
[[ -f $build/CMakeCache.txt ]] || cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTESSIRO_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target storage_bench >/dev/null

[ $# -gt 0 ] && export TESSIRO_BENCH_FOLDER="$1"
out=$(mktemp)
trap 'rm -f "$out" "$out.log"' EXIT
"$build/bin/storage_bench" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
  --benchmark_out="$out" --benchmark_out_format=csv >/dev/null 2>"$out.log" || { cat "$out.log"; exit 1; }
if grep -q ",true," "$out"; then grep ",true," "$out"; exit 1; fi

# Medians of the repetitions. ratio_to_cp is the storage layer's time over
# cp's for the same bytes in the same iterations (disk:0 page cache, disk:1
# the disk as the limit); the goal is at most 1.5.
awk -F, '
  /^name,/ { for (i = 1; i <= NF; i++) { gsub(/"/, "", $i); col[$i] = i } next }
  /_median"/ {
    name = $1; gsub(/"/, "", name); sub(/_median$/, "", name); sub(/\/(manual|real)_time$/, "", name); sub(/\/iterations:[0-9]+$/, "", name)
    if ($col["label"] != "") name = name " [" $col["label"] "]"
    gsub(/"/, "", name)
    if (name ~ /AgainstCp/)
      printf "%-38s %6.1f ms, cp %6.1f ms: ratio %.2f; a block: median %.3f ms, worst %.3f ms of %.0f ms\n", name,
             $col["real_time"], $col["cp_ms"], $col["ratio_to_cp"], $col["block_median_ms"], $col["block_worst_ms"],
             $col["block_budget_ms"]
    else printf "%-40s %7.3f %s\n", name, $col["real_time"], $col["time_unit"]
  }' "$out"
