#!/usr/bin/env bash
# Echo and reverb, whose copies are plain delayed taps, through our chain and
# through `sox ... echo` with the same taps (delay k x D, gain of tap k): wall
# time of each (file in and out included, median of five rounds in which the
# three runs take turns), the ratio ours/sox, and the largest sample difference. The same algorithm runs on both
# sides, so a difference beyond the rounding of the two (kBound below) fails
# the run, and so does any difference between our threaded and inline runs.
#
#   tools/bench/effects/compare_sox_echo.sh [build-folder]   (default build/release)
set -euo pipefail
shopt -s inherit_errexit
cd "$(dirname "$0")/../../.."
build=${1:-build/release}
source tools/bench/effects/sox_common.sh

# Here each tap's product is cut to 16 bits toward zero as it is added; sox
# adds them in floating point and rounds once. A sample with n taps may
# differ by up to n, and one more for the two sides' float orders.
bound_for() { echo $(( $1 + 1 )); }

# Destructive edits run effects over audio in passes of 88200 frames.
block=88200
dry=1 decay=0.25 delay=100
echo "block $block frames, ${AUDIO_SECONDS:-600} s stereo"
for effect in echo reverb; do
  [[ $effect == echo ]] && gain=0.631 || gain=0.65
  mapfile -t taps < <("$apply" "$effect-taps" $gain $decay)
  soxtaps=()
  for k in "${!taps[@]}"; do soxtaps+=("$(( (k + 1) * delay ))" "${taps[$k]}"); done
  args=("$effect" $dry $gain $decay $delay)
  { read -r ours; read -r ours_inline; read -r theirs; } < <(in_turns \
    "$dir/ours.raw" "$apply" --block $block "$dir/in.raw" "$dir/ours.raw" "${args[@]}" -- \
    "$dir/ours-inline.raw" "$apply" --inline --block $block "$dir/in.raw" "$dir/ours-inline.raw" "${args[@]}" -- \
    "$dir/sox.raw" sox -D "${raw[@]}" "$dir/in.raw" "${raw[@]}" "$dir/sox.raw" echo $dry 1 "${soxtaps[@]}")
  read -r worst differing total < <("$apply" diff "$dir/ours.raw" "$dir/sox.raw")
  read -r same _ _ < <("$apply" diff "$dir/ours.raw" "$dir/ours-inline.raw")
  bound=$(bound_for "${#taps[@]}")

  echo "$effect: dry $dry, gain $gain, decay $decay, delay $delay ms; sox taps: ${soxtaps[*]}"
  echo "  ours (threaded workers): $ours s"
  echo "  ours (inline workers):   $ours_inline s"
  echo "  sox:                     $theirs s"
  awk -v a="$ours" -v b="$ours_inline" -v s="$theirs" 'BEGIN {printf "  ratio ours/sox: %.2f threaded, %.2f inline\n", a / s, b / s}'
  echo "  largest sample difference against sox: $worst ($differing of $total samples differ; bound $bound)"
  echo "  threaded against inline: largest difference $same"
  if (( worst > bound || same != 0 )); then
    echo "$effect: the outputs differ beyond what rounding explains" >&2
    exit 1
  fi
done
