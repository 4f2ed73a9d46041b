#!/usr/bin/env bash
# Times tarvex_stretch against sox on one 10-minute stereo noise file, both on
# the same single core, and prints the ratio ours/sox per case (below 1: we are
# faster). sox's tempo factor is a speed, so our tempo T is its 1/T; both use
# 82 ms windows, a 14 ms search and a 12 ms overlap.
#
#   tools/bench/tempo/compare_sox.sh          # RUNS=5 CORE=2 BUILD=build/release QUALITY=1
set -euo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
build=${BUILD:-$root/build/release}
runs=${RUNS:-5}
core=${CORE:-2}
quality=${QUALITY:-1}

for tool in sox hyperfine taskset python3; do
  command -v "$tool" >/dev/null || { echo "compare_sox.sh needs $tool" >&2; exit 1; }
done

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTESSIRO_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target tarvex_stretch >/dev/null
stretch=$build/bin/tarvex_stretch

work=$(mktemp -d "${TMPDIR:-/dev/shm}/tarvex-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
noise=$work/noise.raw
sox -R -n -r 44100 -c 2 -b 16 -e signed -t raw "$noise" synth 600 whitenoise vol 0.5
raw="-t raw -r 44100 -e signed -b 16 -c 2"

cases=(
  "tempo 0.5|--tempo 0.5|tempo -m 2 82 14 12"
  "tempo 0.8|--tempo 0.8|tempo -m 1.25 82 14 12"
  "tempo 1.25|--tempo 1.25|tempo -m 0.8 82 14 12"
  "tempo 2.0|--tempo 2.0|tempo -m 0.5 82 14 12"
  "pitch +12|--semitones 12|pitch 1200 82 14 12"
  "pitch -12|--semitones -12|pitch -1200 82 14 12"
)

printf '%-11s %10s %10s %8s\n' case "ours s" "sox s" ours/sox
for entry in "${cases[@]}"; do
  IFS='|' read -r name ours theirs <<<"$entry"
  hyperfine --style none --warmup 1 --runs "$runs" --export-json "$work/times.json" \
    "taskset -c $core $stretch $ours --quality $quality $noise /dev/null" \
    "taskset -c $core sox -D -V1 --single-threaded $raw $noise -t raw /dev/null $theirs" >/dev/null 2>&1
  python3 - "$work/times.json" "$name" <<'PY'
import json, sys
results = json.load(open(sys.argv[1]))["results"]
ours, theirs = (r["median"] for r in results)
print(f"{sys.argv[2]:<11} {ours:10.3f} {theirs:10.3f} {ours / theirs:8.3f}")
PY
done
# What our own output looks like, as a sanity check of the fast path.
$stretch --tempo 2.0 --quality "$quality" "$noise" /dev/null
