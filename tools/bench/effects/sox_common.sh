# Shared by the sox comparisons: builds zelmo_apply (an existing build folder is
# used as it is configured; a missing one is made as a Release tree), makes the
# stereo test file (ten minutes, or $AUDIO_SECONDS) in a fresh folder under
# /dev/shm, and times commands. Sourced from the repository root with $build
# set; leaves $apply, $dir and $raw. Needs sox (Debian package sox).
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

# median_seconds OUT command...: median wall time of five runs after one warm-up.
# A run that fails or writes less than it read would look fast: stop instead.
median_seconds() {
  local out=$1
  shift
  if ! "$@" 2>"$dir/err" || [[ $(stat -c %s "$out") -lt $(stat -c %s "$dir/in.raw") ]]; then
    echo "failed: $* ($(cat "$dir/err"))" >&2
    exit 1
  fi
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
