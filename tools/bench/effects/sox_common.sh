# Shared by the sox comparisons: builds zelmo_apply (an existing build folder is
# used as it is configured; a missing one is made as a Release tree), makes the
# stereo test file (ten minutes, or $AUDIO_SECONDS) in a fresh folder under
# /dev/shm, and times commands in turns. Sourced from the repository root with
# $build set; leaves $apply, $dir and $raw. Needs sox (Debian package sox).
command -v sox >/dev/null || { echo "the sox comparisons need sox: apt-get install sox" >&2; exit 1; }
if [[ ! -f $build/CMakeCache.txt ]]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTESSIRO_BUILD_TESTS=OFF >/dev/null
fi
cmake --build "$build" --target zelmo_apply >/dev/null
apply=$build/bin/zelmo_apply

dir=$(mktemp -d /dev/shm/zelmo-sox-XXXXXX)
trap 'rm -rf "$dir"' EXIT
"$apply" signal "${AUDIO_SECONDS:-600}" "$dir/in.raw"
raw=(-t raw -r 44100 -e signed -b 16 -c 2)

# in_turns OUT COMMAND... [-- OUT COMMAND...]: the median wall time of each
# command over five rounds, one a line, the commands taking turns in every
# round so that all see the same machine; one round first warms up. A command
# that fails or writes less than it read would look fast: stop instead.
in_turns() {
  local outs=() commands=()
  while (($#)); do
    outs+=("$1")
    shift
    local command=()
    while (($#)) && [[ $1 != -- ]]; do command+=("$1"); shift; done
    (($#)) && shift
    commands+=("$(printf '%q ' "${command[@]}")")
  done
  local i
  for i in "${!commands[@]}"; do
    if ! eval "${commands[$i]}" 2>"$dir/err" || [[ $(stat -c %s "${outs[$i]}") -lt $(stat -c %s "$dir/in.raw") ]]; then
      echo "failed: ${commands[$i]} ($(cat "$dir/err"))" >&2
      exit 1
    fi
  done
  local times=()
  for _ in 1 2 3 4 5; do
    for i in "${!commands[@]}"; do
      local start end
      start=$(date +%s%N)
      eval "${commands[$i]}" 2>/dev/null
      end=$(date +%s%N)
      times[i]+="$(( end - start )) "
    done
  done
  for i in "${!commands[@]}"; do
    printf '%s\n' ${times[i]} | sort -n | sed -n 3p | awk '{printf "%.3f\n", $1 / 1e9}'
  done
}
