#!/usr/bin/env bash
# The same echo on the same ten-minute stereo file through our chain and through
# `sox ... echo` with the same taps (delay k x D, gain of tap k): wall time of
# each (file in and out included, median of five runs), the ratio ours/sox, and
# the largest sample difference.
#
#   tools/bench/effects/compare_sox_echo.sh [build-folder]   (default build/release)
set -euo pipefail
cd "$(dirname "$0")/../../.."
build=${1:-build/release}
if [[ ! -x $build/bin/zelmo_apply ]]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTESSIRO_BUILD_TESTS=OFF >/dev/null
fi
cmake --build "$build" --target zelmo_apply >/dev/null
apply=$build/bin/zelmo_apply

dir=$(mktemp -d /dev/shm/zelmo-sox-XXXXXX)
trap 'rm -rf "$dir"' EXIT
"$apply" signal 600 "$dir/in.raw"

dry=1 gain=0.631 decay=0.25 delay=100 block=8192
mapfile -t taps < <("$apply" echo-taps $gain $decay)
soxtaps=()
for k in "${!taps[@]}"; do soxtaps+=("$(( (k + 1) * delay ))" "${taps[$k]}"); done
raw=(-t raw -r 44100 -e signed -b 16 -c 2)

median_seconds() {  # command...: median wall time of five runs after one warm-up
  "$@" 2>/dev/null
  local times=()
  for _ in 1 2 3 4 5; do
    local start end
    start=$(date +%s%N)
    "$@" 2>/dev/null
    end=$(date +%s%N)
    times+=("$(( end - start ))")
  done
  printf '%s\n' "${times[@]}" | sort -n | sed -n 3p | awk '{printf "%.3f", $1 / 1e9}'
}

ours=$(median_seconds "$apply" --block $block "$dir/in.raw" "$dir/ours.raw" echo $dry $gain $decay $delay)
ours_inline=$(median_seconds "$apply" --inline --block $block "$dir/in.raw" "$dir/ours-inline.raw" echo $dry $gain $decay $delay)
theirs=$(median_seconds sox -D "${raw[@]}" "$dir/in.raw" "${raw[@]}" "$dir/sox.raw" echo $dry 1 "${soxtaps[@]}")
read -r worst differing total < <("$apply" diff "$dir/ours.raw" "$dir/sox.raw")
read -r same _ _ < <("$apply" diff "$dir/ours.raw" "$dir/ours-inline.raw")

echo "echo: dry $dry, gain $gain, decay $decay, delay $delay ms, block $block frames, 600 s stereo"
echo "sox taps: ${soxtaps[*]}"
echo "ours (threaded workers): $ours s"
echo "ours (inline workers):   $ours_inline s"
echo "sox:                     $theirs s"
awk -v a="$ours" -v b="$ours_inline" -v s="$theirs" 'BEGIN {printf "ratio ours/sox: %.2f threaded, %.2f inline\n", a / s, b / s}'
echo "largest sample difference against sox: $worst ($differing of $total samples differ)"
echo "threaded against inline: largest difference $same"
