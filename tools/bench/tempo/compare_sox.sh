#!/usr/bin/env bash
# Times tarvex_stretch against sox on one 10-minute stereo file (a 441 Hz tone),
# both pinned to the same core and taking turns run by run, and prints the ratio
# ours/sox per case (below 1: we are faster). sox's tempo factor is a speed,
# so our tempo T is its 1/T; both use 82 ms windows, a 14 ms search and a
# 12 ms overlap. Pitch runs twice on sox's side: its own `pitch` effect, and
# the chain built as ours is (`speed` resampling, `rate`, then `tempo` giving
# the length back). Before timing, every output is checked: its length
# against the input's times the factor, and its frequency against the tone's
# (unchanged by tempo, doubled or halved by an octave of pitch).
#
#   tools/bench/tempo/compare_sox.sh   # RUNS=5 CORE=2 BUILD=build/release QUALITY=1
# Needs sox and taskset (Debian packages sox and util-linux). An existing build
# folder is used as it is configured; a missing one is made as a Release tree.
set -euo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
build=${BUILD:-$root/build/release}
runs=${RUNS:-5}
core=${CORE:-2}
quality=${QUALITY:-1}

for tool in sox:sox taskset:util-linux; do
  command -v "${tool%%:*}" >/dev/null || { echo "compare_sox.sh needs ${tool%%:*}: apt-get install ${tool#*:}" >&2; exit 1; }
done

[[ -f $build/CMakeCache.txt ]] || cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTESSIRO_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target tarvex_stretch >/dev/null
stretch=$build/bin/tarvex_stretch

work=$(mktemp -d "${TMPDIR:-/dev/shm}/tarvex-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
input=$work/tone.raw
raw=(-t raw -r 44100 -e signed -b 16 -c 2)
seconds=600 tone=441
sox -R -n "${raw[@]}" "$input" synth $seconds sine $tone vol 0.5
frames=$(( $(stat -c %s "$input") / 4 ))
rough_hz() { sox "${raw[@]}" "$1" -n stat 2>&1 | awk '/Rough   frequency/ {print $3}'; }
# sox's estimate of a stereo tone is its own (not the tone's frequency): outputs
# are measured against the input's estimate.
input_hz=$(rough_hz "$input")

# in_turns "OURS" "SOX": the median wall time of RUNS runs of each after one
# warm-up of each, the two taking turns run by run.
in_turns() {
  local -a commands=("$1" "$2") times=("" "")
  for command in "${commands[@]}"; do eval "$command" >/dev/null 2>&1; done
  for ((r = 0; r < runs; r++)); do
    for i in 0 1; do
      local start end
      start=$(date +%s%N)
      eval "${commands[$i]}" >/dev/null 2>&1
      end=$(date +%s%N)
      times[i]+="$(( end - start )) "
    done
  done
  for i in 0 1; do
    printf '%s\n' ${times[i]} | sort -n | sed -n "$(( (runs + 1) / 2 ))p" | awk '{printf "%.3f ", $1 / 1e9}'
  done
  echo
}

# check NAME FILE LENGTH_FACTOR FREQUENCY_FACTOR: length within one window
# (3616 frames) plus 0.1 %, frequency within 1 % (sox's rough estimate).
check() {
  local name=$1 file=$2 length=$3 pitch=$4
  local got=$(( $(stat -c %s "$file") / 4 ))
  local hz
  hz=$(rough_hz "$file")
  if ! awk -v got="$got" -v want="$(awk -v f="$frames" -v l="$length" 'BEGIN {print f * l}')" \
         -v hz="$hz" -v wanthz="$(awk -v t="$input_hz" -v p="$pitch" 'BEGIN {print t * p}')" \
         'BEGIN { d = got - want; if (d < 0) d = -d; e = hz - wanthz; if (e < 0) e = -e;
                  exit !(d <= 3616 + want * 0.001 && e <= wanthz * 0.01) }'; then
    echo "$name: output of $got frames at $hz Hz is not what the case makes" >&2
    exit 1
  fi
}

# name | our arguments | sox effect | length factor | frequency factor
cases=(
  "tempo 0.5|--tempo 0.5|tempo -m 2 82 14 12|0.5|1"
  "tempo 0.8|--tempo 0.8|tempo -m 1.25 82 14 12|0.8|1"
  "tempo 1.25|--tempo 1.25|tempo -m 0.8 82 14 12|1.25|1"
  "tempo 2.0|--tempo 2.0|tempo -m 0.5 82 14 12|2.0|1"
  "pitch +12 (sox pitch)|--semitones 12|pitch 1200 82 14 12|1|2"
  "pitch +12 (sox speed,rate,tempo)|--semitones 12|speed 2 rate -q 44100 tempo -m 0.5 82 14 12|1|2"
  "pitch -12 (sox pitch)|--semitones -12|pitch -1200 82 14 12|1|0.5"
  "pitch -12 (sox speed,rate,tempo)|--semitones -12|speed 0.5 rate -q 44100 tempo -m 2 82 14 12|1|0.5"
)

printf '%-34s %10s %10s %8s\n' case "ours s" "sox s" ours/sox
for entry in "${cases[@]}"; do
  IFS='|' read -r name ours theirs length pitch <<<"$entry"
  # shellcheck disable=SC2086
  "$stretch" $ours --quality "$quality" "$input" "$work/ours.raw" 2>/dev/null
  check "$name, ours" "$work/ours.raw" "$length" "$pitch"
  # shellcheck disable=SC2086
  sox -D -V1 --single-threaded "${raw[@]}" "$input" "${raw[@]}" "$work/sox.raw" $theirs
  check "$name, sox" "$work/sox.raw" "$length" "$pitch"
  read -r a b < <(in_turns "taskset -c $core $stretch $ours --quality $quality $input /dev/null" \
    "taskset -c $core sox -D -V1 --single-threaded ${raw[*]} $input -t raw /dev/null $theirs")
  awk -v n="$name" -v a="$a" -v b="$b" 'BEGIN {printf "%-34s %10.3f %10.3f %8.3f\n", n, a, b, a / b}'
done
