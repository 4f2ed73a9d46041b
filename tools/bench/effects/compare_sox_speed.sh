#!/usr/bin/env bash
# Speed of chorus, flange and the ten-band equalizer against `sox ... chorus`,
# `sox ... flanger` and ten `sox ... equalizer` bands, on the same ten-minute
# stereo file in one run. The algorithms differ, so only the times compare:
# wall time with file input and output, median of five rounds (after a
# warm-up) in which ours threaded, ours inline and sox take turns. What we
# make is checked against the effect worked out plainly from the input
# (zelmo_apply check), threaded and inline alike; sox's output by its length.
#
#   tools/bench/effects/compare_sox_speed.sh [build-folder]   (default build/release)
set -euo pipefail
shopt -s inherit_errexit
cd "$(dirname "$0")/../../.."
build=${1:-build/release}
source tools/bench/effects/sox_common.sh
# Destructive edits run effects over audio in passes of 88200 frames.
block=88200

# Typical chorus and flange presets; the sox settings follow them as far as its
# parameters go (its chorus takes no depth of 10 ms or more, so both use 8 ms).
chorus=(chorus 0.631 0.562 0.7 0 25 8)
sox_chorus=(chorus 0.631 1 25 0.562 0.7 8 -s)
flange=(flange 0.398 0.501 0.5 0 4 3)
sox_flange=(flanger 4 3 0 50 0.5 sine 0 lin)
centres=(60 170 310 600 1000 3000 6000 12000 14000 16000)
gains=(4 3 1 -1 -3 -3 -1 2 3 4)
equalizer=(equalizer "${gains[@]}")
sox_equalizer=()
for b in "${!centres[@]}"; do sox_equalizer+=(equalizer "${centres[$b]}" 1o "${gains[$b]}"); done

echo "${AUDIO_SECONDS:-600} s stereo, block $block frames; seconds (median of 5) and the ratio ours/sox"
printf '%-10s %10s %10s %10s %16s  %s\n' effect threaded inline sox "ratio thr/inl" "against the plain effect"
for effect in chorus flange equalizer; do
  declare -n ours="$effect" theirs="sox_$effect"
  { read -r t; read -r i; read -r s; } < <(in_turns \
    "$dir/threaded.raw" "$apply" --block $block "$dir/in.raw" "$dir/threaded.raw" "${ours[@]}" -- \
    "$dir/inline.raw" "$apply" --inline --block $block "$dir/in.raw" "$dir/inline.raw" "${ours[@]}" -- \
    "$dir/sox.raw" sox -D -V1 "${raw[@]}" "$dir/in.raw" "${raw[@]}" "$dir/sox.raw" "${theirs[@]}")
  ratio=$(awk -v t="$t" -v i="$i" -v s="$s" 'BEGIN {printf "%.2f / %.2f", t / s, i / s}')
  verdict=ok
  for side in threaded inline; do
    if ! result=$("$apply" check "$dir/$side.raw" "$dir/in.raw" "${ours[@]}"); then
      read -r worst differing total <<<"$result"
      verdict="$side FAILS (beyond rounding by $worst in $differing of $total samples)"
      failed=1
    fi
  done
  printf '%-10s %10s %10s %10s %16s  %s\n' "$effect" "$t" "$i" "$s" "$ratio" "$verdict"
  unset -n ours theirs
done
exit "${failed:-0}"
