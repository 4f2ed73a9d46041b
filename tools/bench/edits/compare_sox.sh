#!/usr/bin/env bash
# Every edit worker against the same edit done by sox, on one ten-minute
# stereo pink-noise file, in one run. Each command is timed whole (start-up,
# reading, the edit, writing, and its output put on disk with fsync: our
# worker does that itself, sox's output is synced by `edit_apply sync`), cold
# (the input dropped from the page cache before every run) and warm (after a
# run that loads it), ours and sox taking turns run by run. Every output of
# ours is checked in the same run: against sox's where sox does the same
# edit, against the effect worked out plainly from the input (zelmo_apply
# check) where sox's effect is another. Prints the median and best of $RUNS
# runs and the ratio ours/sox of the medians (below 1: we are faster). Exits
# 1 when an output check fails.
#
#   tools/bench/edits/compare_sox.sh [build-folder]
#     RUNS=5        runs per tool, per cold and warm
#     CORE=2        pin both tools to that core (default: not pinned)
#     WORK=folder   where the files go; it must be a disk, not tmpfs (default: the build folder)
#     ONLY=regex    run only the cases whose name matches
set -euo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
build=${1:-$root/build/release}
runs=${RUNS:-5}
only=${ONLY:-.}
pin=()
[[ -n ${CORE:-} ]] && pin=(taskset -c "$CORE")

for tool in sox dd awk lscpu; do
  command -v "$tool" >/dev/null || { echo "compare_sox.sh needs $tool (Debian: sox, coreutils, gawk, util-linux)" >&2; exit 1; }
done
# An existing build folder is used as it is configured; a missing one is made as a Release tree.
if [[ ! -f $build/CMakeCache.txt ]]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTESSIRO_BUILD_TESTS=OFF >/dev/null
fi
cmake --build "$build" --target edit_apply zelmo_apply >/dev/null
apply=$build/bin/edit_apply
plain=$build/bin/zelmo_apply

mkdir -p "${WORK:-$build}"
work=$(mktemp -d "${WORK:-$build}/edit-sox.XXXXXX")
trap 'rm -rf "$work"' EXIT
if [[ $(stat -f -c %T "$work") == tmpfs ]]; then
  echo "WORK must be on a disk: tmpfs has no page cache to drop and nothing to sync" >&2
  exit 1
fi

frames=26460000                       # 600 s
first=10584000 count=2646000          # delete and copy: one minute from minute 4
point=13230000                        # pastes at minute 5, of a one-minute clipboard
r2="-t raw -r 44100 -e signed -b 16 -c 2"
r1="-t raw -r 44100 -e signed -b 16 -c 1"
sox="sox -D -V1"
sox -R -V1 -n $r2 "$work/in.pcm" synth 600 pinknoise vol 0.25
$sox $r2 "$work/in.pcm" $r1 "$work/mono.pcm" remix 1
$sox $r2 "$work/in.pcm" $r2 "$work/clip.pcm" trim 0 ${count}s

# name ^ our arguments ^ sox's arguments ^ check
# {in} {mono} {clip} {out} stand for the files; checks against sox: exact, lsb1
# (at most 1 apart), lsb4, near (lengths within one 3616-frame splice window of
# the tempo processor); "plain EFFECT ARGS": against the effect worked out
# plainly (the values edit_apply gives the effect), sox's output by its length.
cases=(
  "reverse^{in} {out} reverse^$r2 {in} $r2 {out} reverse^exact"
  "fade^{in} {out} fade^$r2 {in} $r2 {out} fade t 0 -0 ${frames}s^lsb1"
  "volume^{in} {out} volume 0.5^$r2 {in} $r2 {out} vol 0.5^lsb1"
  "volume, no peaks^--no-peaks {in} {out} volume 0.5^$r2 {in} $r2 {out} vol 0.5^lsb1"
  "swap^{in} {out} swap^$r2 {in} $r2 {out} swap^exact"
  "copy channel^{in} {out} copy-channel^$r2 {in} $r2 {out} remix 1 1^exact"
  "mono to stereo^--mono {mono} {out} convert^$r1 {mono} $r2 {out} remix -m 1v0.5 1v0.5^lsb1"
  "stereo to mono^{in} {out} convert^$r2 {in} $r1 {out} remix -m 1,2^lsb1"
  "mute^{in} {out} mute^$r2 {in} $r2 {out} vol 0^exact"
  "delete^--range $first $count {in} {out} delete^$r2 {in} $r2 {out} trim 0s =${first}s =$((first + count))s^exact"
  "copy^--range $first $count {in} {out} copy^$r2 {in} $r2 {out} trim ${first}s ${count}s^exact"
  "copy, no peaks^--no-peaks --range $first $count {in} {out} copy^$r2 {in} $r2 {out} trim ${first}s ${count}s^exact"
  "paste insert^--clip {clip} --at $point {in} {out} paste-insert^\"|$sox $r2 {in} -p trim 0 =${point}s\" $r2 {clip} \"|$sox $r2 {in} -p trim ${point}s\" $r2 {out}^exact"
  "paste over^--clip {clip} --at $point {in} {out} paste-over^\"|$sox $r2 {in} -p trim 0 =${point}s\" $r2 {clip} \"|$sox $r2 {in} -p trim $((point + count))s\" $r2 {out}^exact"
  "paste mix^--clip {clip} --at $point {in} {out} paste-mix^-m -v 1 $r2 {in} -v 1 \"|$sox $r2 {clip} -p pad ${point}s\" $r2 {out}^lsb1"
  "echo^{in} {out} echo^$r2 {in} $r2 {out} echo 1 1 250 0.5 500 0.375 750 0.25 1000 0.125 trim 0 ${frames}s^lsb4"
  "reverb (sox echo taps)^{in} {out} reverb^$r2 {in} $r2 {out} echo 0.75 1 150 0.65 300 0.4875 450 0.325 600 0.1625 trim 0 ${frames}s^plain reverb 0.75 0.65 0.25 150"
  "reverb (sox reverb)^{in} {out} reverb^$r2 {in} $r2 {out} reverb 50 50 100 100 0 0 trim 0 ${frames}s^plain reverb 0.75 0.65 0.25 150"
  "chorus^{in} {out} chorus^$r2 {in} $r2 {out} chorus 0.5 1 25 0.5 0.5 6 -s trim 0 ${frames}s^plain chorus 0.5 0.5 0.5 0 25 6"
  "flanger^{in} {out} flange^$r2 {in} $r2 {out} flanger 0 2 0 71 0.25 sine trim 0 ${frames}s^plain flange 0.5 0.5 0.25 0 2 2"
  "equalizer^{in} {out} equalizer^$r2 {in} $r2 {out} equalizer 60 1o 4 equalizer 170 1o 3 equalizer 310 1o 1 equalizer 600 1o -1 equalizer 1000 1o -3 equalizer 3000 1o -3 equalizer 6000 1o -1 equalizer 12000 1o 2 equalizer 14000 1o 3 equalizer 16000 1o 4^plain equalizer 4 3 1 -1 -3 -3 -1 2 3 4"
  "stretch x1.25^{in} {out} stretch 1.25^$r2 {in} $r2 {out} tempo 0.8 82 14 12^near"
  "pitch +2^{in} {out} pitch 2^$r2 {in} $r2 {out} pitch 200 82 14 12^near"
)

fill() {
  local s=$1
  s=${s//\{in\}/$work/in.pcm}
  s=${s//\{mono\}/$work/mono.pcm}
  s=${s//\{clip\}/$work/clip.pcm}
  s=${s//\{out\}/$2}
  printf '%s' "$s"
}

drop_inputs() {
  for f in in mono clip; do dd if="$work/$f.pcm" iflag=nocache count=0 status=none; done
}

# in_turns MODE OURS SOX: "median best" in seconds of $runs runs of each, the
# two taking turns; cold drops the inputs before every run, warm runs each
# once untimed to load them.
in_turns() {
  local mode=$1
  shift
  local -a commands=("$@") times=("" "")
  if [[ $mode == warm ]]; then
    for command in "${commands[@]}"; do rm -f "$work"/ours.* "$work"/sox.*; eval "$command" >/dev/null 2>&1; done
  fi
  for ((r = 0; r < runs; r++)); do
    for i in 0 1; do
      rm -f "$work"/ours.* "$work"/sox.*
      [[ $mode == cold ]] && drop_inputs
      local start end
      start=$(date +%s%N)
      if ! eval "${commands[$i]}" >"$work/log" 2>&1; then
        echo "failed: ${commands[$i]}" >&2
        cat "$work/log" >&2
        exit 1
      fi
      end=$(date +%s%N)
      times[i]+="$((end - start)) "
    done
  done
  for i in 0 1; do
    printf '%s\n' ${times[i]} | sort -n | awk '{t[NR] = $1} END {printf "%.3f %.3f\n", t[int((NR + 1) / 2)] / 1e9, t[1] / 1e9}'
  done | tr '\n' ' '
  echo
}

check() {
  local kind=$1 worst differing a b
  read -r worst differing a b < <("$apply" compare "$work/ours.pcm" "$work/sox.pcm")
  local verdict=ok
  case $kind in
    exact) [[ $worst -eq 0 && $a -eq $b ]] || verdict=FAIL ;;
    lsb1) [[ $worst -le 1 && $a -eq $b ]] || verdict=FAIL ;;
    lsb4) [[ $worst -le 4 && $a -eq $b ]] || verdict=FAIL ;;
    near) [[ $(( a > b ? a - b : b - a )) -le $((2 * 3616)) ]] || verdict=FAIL ;;
    plain*)
      # shellcheck disable=SC2086
      read -r worst differing a < <("$plain" check "$work/ours.pcm" "$work/in.pcm" ${kind#plain } || true)
      [[ $worst -eq 0 && $differing -eq 0 && $a -eq $b ]] || verdict=FAIL
      kind=plain
      ;;
  esac
  printf '%s %s (max %d, %d differ, %d/%d samples)' "$verdict" "$kind" "$worst" "$differing" "$a" "$b"
}

echo "$(lscpu | sed -n 's/^Model name: *//p'), $(nproc) cores, kernel $(uname -r), $(stat -f -c %T "$work") in $work"
echo "600 s stereo 16-bit 44100 Hz pink noise; seconds, median / best of $runs; ratio ours/sox of the medians"
printf '%-24s %15s %15s %6s %15s %15s %6s  %s\n' case "ours cold" "sox cold" ratio "ours warm" "sox warm" ratio check
failed=0
for entry in "${cases[@]}"; do
  IFS='^' read -r name ours theirs kind <<<"$entry"
  [[ $name =~ $only ]] || continue
  ours_cmd="${pin[*]} $apply $(fill "$ours" "$work/ours.pcm")"
  sox_cmd="${pin[*]} $sox $(fill "$theirs" "$work/sox.pcm") && $apply sync $work/sox.pcm"
  read -r oc ocb sc scb < <(in_turns cold "$ours_cmd" "$sox_cmd")
  read -r ow owb sw swb < <(in_turns warm "$ours_cmd" "$sox_cmd")
  # One more run of each, kept for the output check.
  eval "$ours_cmd" >/dev/null 2>&1
  eval "$sox_cmd" >/dev/null 2>&1
  verdict=$(check "$kind")
  [[ $verdict == ok* ]] || failed=1
  printf '%-24s %7s/%-7s %7s/%-7s %6.2f %7s/%-7s %7s/%-7s %6.2f  %s\n' "$name" "$oc" "$ocb" "$sc" "$scb" \
    "$(awk -v a="$oc" -v b="$sc" 'BEGIN {print a / b}')" "$ow" "$owb" "$sw" "$swb" \
    "$(awk -v a="$ow" -v b="$sw" 'BEGIN {print a / b}')" "$verdict"
done
exit $failed
