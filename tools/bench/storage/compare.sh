#!/usr/bin/env bash
# Builds the storage benchmark in release mode, runs it, and prints how the
# storage layer's write-with-peaks-and-read-back compares with cp copying the
# same 105.84 MB. Pass a folder to put the files on another disk.
set -euo pipefail
cd "$(dirname "$0")/../../.."

build=build/release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTESSIRO_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target storage_bench >/dev/null

[ $# -gt 0 ] && export TESSIRO_BENCH_FOLDER="$1"
out=$(mktemp)
trap 'rm -f "$out"' EXIT
"$build/bin/storage_bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
  --benchmark_format=console --benchmark_out="$out" --benchmark_out_format=csv

# Median real times in ms; each storage case is set against cp in the same
# setting (disk:0 page cache, disk:1 the disk). The goal is at most 1.5x.
awk -F, '
  /_median"/ { gsub(/"/, "", $1); sub(/_median$/, "", $1); sub(/\/real_time$/, "", $1); t[$1] = $3 }
  END {
    for (d = 0; d <= 1; d++) printf "cp, disk:%d: %.1f ms\n", d, t["BM_CpCopy/disk:" d]
    for (k in t) {
      if (k !~ /^BM_StorageWriteAndRead/) continue
      d = substr(k, length(k))
      printf "%-44s %8.1f ms  %.2fx cp\n", k, t[k], t[k] / t["BM_CpCopy/disk:" d]
    }
    for (k in t) if (k ~ /^BM_StorageWrite\//) printf "%-44s %8.1f ms (writing alone)\n", k, t[k]
    printf "%-44s %8.1f us per 32768 stereo frames in memory\n", "BM_PeakRecords", t["BM_PeakRecords"]
  }' "$out" | sort
