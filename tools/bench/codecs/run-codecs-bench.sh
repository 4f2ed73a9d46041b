#!/usr/bin/env bash
# Builds the release tree and times the codecs on a 10-minute stereo WAV against
# sox (decoding) and lame run alone (MP3 encoding), on the same files in one run.
# ratio_median/ratio_worst: our time over the anchor's (goals: decode <= 1.5,
# MP3 encode <= 1.10). Extra arguments go to the benchmark.
#
#   BASELINE=<commit> ROUNDS=3 CORE=2 tools/bench/codecs/run-codecs-bench.sh --benchmark_filter=Float
# BASELINE also builds that commit's benchmark (in a worktree of its own, Release
# tree under build/bench-baseline) and runs the two in turns, ROUNDS times, then prints
# each round's figures side by side: before and after from the same run, each
# against sox on the same file. CORE pins everything (sox included) to one core.
set -euo pipefail
# An existing build folder ($BUILD) is used as it is configured; a missing one
# is made as a Release tree.
root=$(cd "$(dirname "$0")/../../.." && pwd)
build=${BUILD:-$root/build/release}
for tool in sox lame; do
  command -v "$tool" >/dev/null || { echo "$tool is needed as the comparison anchor: apt-get install $tool" >&2; exit 1; }
done
pin=()
if [[ -n ${CORE:-} ]]; then
  command -v taskset >/dev/null || { echo "CORE needs taskset: apt-get install util-linux" >&2; exit 1; }
  pin=(taskset -c "$CORE")
fi
configure() {
  [[ -f $2/CMakeCache.txt ]] || cmake -S "$1" -B "$2" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTESSIRO_SANITIZE=OFF \
    -DTESSIRO_BUILD_TESTS=OFF >/dev/null
  cmake --build "$2" -j"${JOBS:-3}" --target codecs_bench
}
configure "$root" "$build"

if [[ -z ${BASELINE:-} ]]; then
  echo "load before the run: $(cut -d' ' -f1-3 /proc/loadavg)"
  "${pin[@]}" "$build/bench/codecs_bench" "$@"
  exit 0
fi

command -v python3 >/dev/null || { echo "BASELINE needs python3 for its table: apt-get install python3" >&2; exit 1; }
commit=$(git -C "$root" rev-parse --verify "$BASELINE^{commit}")
# The baseline's checkout and build stay between runs (build/bench-baseline), so
# the next run is incremental.
tree=$root/build/bench-baseline/src
base_build=$root/build/bench-baseline/build
if [[ -d $tree ]]; then
  git -C "$tree" checkout --quiet --detach "$commit"
else
  git -C "$root" worktree add --quiet --detach "$tree" "$commit"
fi
configure "$tree" "$base_build"
work=$(mktemp -d "${TMPDIR:-/tmp}/codecs-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

echo "load before the run: $(cut -d' ' -f1-3 /proc/loadavg)"
for ((round = 1; round <= ${ROUNDS:-3}; ++round)); do
  for side in before after; do
    binary=$build/bench/codecs_bench
    [[ $side == before ]] && binary=$base_build/bench/codecs_bench
    echo "== round $round, $side"
    "${pin[@]}" "$binary" --benchmark_format=console --benchmark_out="$work/$side-$round.json" \
      --benchmark_out_format=json "$@"
  done
done

python3 - "$work" "${ROUNDS:-3}" "$commit" <<'EOF'
import json, sys
work, rounds, commit = sys.argv[1], int(sys.argv[2]), sys.argv[3]
def figures(side, r):
    with open(f"{work}/{side}-{r}.json") as f:
        return {b["name"]: b for b in json.load(f)["benchmarks"]}
print(f"\nbefore = {commit[:12]}, after = this tree; seconds are medians of each round's pairs")
print(f"{'benchmark':50} {'round':>5} {'before_s':>9} {'after_s':>9} {'anchor_b':>9} {'anchor_a':>9}"
      f" {'ratio_b':>8} {'ratio_a':>8}")
for r in range(1, rounds + 1):
    before, after = figures("before", r), figures("after", r)
    for name in before:
        if name not in after:
            continue
        b, a = before[name], after[name]
        anchor = next(k for k in b if k.endswith("_median_s") and not k.startswith("ours") and "niced" not in k)
        print(f"{name:50} {r:5} {b['ours_median_s']:9.3f} {a['ours_median_s']:9.3f} {b[anchor]:9.3f}"
              f" {a[anchor]:9.3f} {b['ratio_median']:8.3f} {a['ratio_median']:8.3f}")
EOF
