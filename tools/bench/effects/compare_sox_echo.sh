#!/usr/bin/env bash
# The same echo on the same ten-minute stereo file through our chain and through
# `sox ... echo` with the same taps (delay k x D, gain of tap k): wall time of
# each (file in and out included, median of five runs), the ratio ours/sox, and
# the largest sample difference.
#
#   tools/bench/effects/compare_sox_echo.sh [build-folder]   (default build/release)
set -euo pipefail
shopt -s inherit_errexit
cd "$(dirname "$0")/../../.."
build=${1:-build/release}
source tools/bench/effects/sox_common.sh

# Destructive edits run effects over audio in passes of 88200 frames.
dry=1 gain=0.631 decay=0.25 delay=100 block=88200
mapfile -t taps < <("$apply" echo-taps $gain $decay)
soxtaps=()
for k in "${!taps[@]}"; do soxtaps+=("$(( (k + 1) * delay ))" "${taps[$k]}"); done

ours=$(median_seconds "$dir/ours.raw" "$apply" --block $block "$dir/in.raw" "$dir/ours.raw" echo $dry $gain $decay $delay)
ours_inline=$(median_seconds "$dir/ours-inline.raw" "$apply" --inline --block $block "$dir/in.raw" "$dir/ours-inline.raw" echo $dry $gain $decay $delay)
theirs=$(median_seconds "$dir/sox.raw" sox -D "${raw[@]}" "$dir/in.raw" "${raw[@]}" "$dir/sox.raw" echo $dry 1 "${soxtaps[@]}")
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
