#!/usr/bin/env bash
# The live mix before and after a change, in turns in one run: builds
# mixer_bench of BASELINE (a commit, in a worktree of its own under
# build/bench-baseline-mixer) and of this tree, then runs the two one after the
# other ROUNDS times, each run with the load average beside it, and prints
# every run and the least, median and most of each side. On a shared machine
# the load moves while it runs: turns give both sides the same spread of it.
#
#   BASELINE=main ROUNDS=8 tools/bench/mixer/compare-turns.sh [benchmark arguments]
#     default filter: the heaviest case, 24 tracks at tempo 1.25 with effects,
#     blocks of 8192 and 32768 frames, the program's placement of the work.
set -euo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
build=${BUILD:-$root/build/release}
rounds=${ROUNDS:-8}
baseline=${BASELINE:-main}
for tool in git python3; do
  command -v "$tool" >/dev/null || { echo "compare-turns.sh needs $tool" >&2; exit 1; }
done
args=("$@")
[[ ${#args[@]} -gt 0 ]] || args=(--benchmark_filter='tempo:125/effects:1/helpers:-1/inline:0/on_mix:1')

configure() {
  [[ -f $2/CMakeCache.txt ]] || cmake -S "$1" -B "$2" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTESSIRO_BUILD_TESTS=OFF \
    -DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache >/dev/null
  cmake --build "$2" -j"${JOBS:-3}" --target mixer_bench >/dev/null
}
commit=$(git -C "$root" rev-parse --verify "$baseline^{commit}")
tree=$root/build/bench-baseline-mixer/src
base_build=$root/build/bench-baseline-mixer/build
if [[ -d $tree ]]; then
  git -C "$tree" checkout --quiet --detach "$commit"
else
  git -C "$root" worktree add --quiet --detach "$tree" "$commit"
fi
configure "$root" "$build"
configure "$tree" "$base_build"

work=$(mktemp -d "${TMPDIR:-/tmp}/mixer-turns.XXXXXX")
trap 'rm -rf "$work"' EXIT
for ((round = 1; round <= rounds; ++round)); do
  for side in before after; do
    binary=$build/bin/mixer_bench
    [[ $side == before ]] && binary=$base_build/bin/mixer_bench
    cut -d' ' -f1 /proc/loadavg >"$work/$side-$round.load"
    "$binary" --benchmark_out="$work/$side-$round.json" --benchmark_out_format=json "${args[@]}" >"$work/log" 2>&1 ||
      { cat "$work/log" >&2; exit 1; }
  done
done

python3 - "$work" "$rounds" "${commit:0:12}" <<'EOF'
import json, statistics, sys
work, rounds, commit = sys.argv[1], int(sys.argv[2]), sys.argv[3]
runs = {}
for r in range(1, rounds + 1):
    for side in ("before", "after"):
        load = float(open(f"{work}/{side}-{r}.load").read())
        for b in json.load(open(f"{work}/{side}-{r}.json"))["benchmarks"]:
            name = b["name"].split("/iterations")[0]
            runs.setdefault(name, []).append((r, side, load, b))
print(f"before = {commit}, after = this tree; load = 1-minute load average as the run began")
for name, entries in runs.items():
    print(f"\n{name}")
    print(f"{'round':>5} {'side':>6} {'load':>6} {'rt_wall':>8} {'rt_cpu':>7} {'p99 %':>6} {'max %':>6}  error")
    for r, side, load, b in entries:
        if b.get("error_occurred"):
            print(f"{r:5} {side:>6} {load:6.2f} {'':>8} {'':>7} {'':>6} {'':>6}  {b.get('error_message', '')}")
            continue
        period = b["block_ms"]
        print(f"{r:5} {side:>6} {load:6.2f} {b['rt_wall']:8.1f} {b['rt_cpu']:7.1f} {100 * b['p99_ms'] / period:6.1f}"
              f" {100 * b['max_ms'] / period:6.1f}")
    for side in ("before", "after"):
        good = [(load, b) for _, s, load, b in entries if s == side and not b.get("error_occurred")]
        if not good:
            continue
        walls = [b["rt_wall"] for _, b in good]
        worst = [100 * b["max_ms"] / b["block_ms"] for _, b in good]
        loads = [load for load, _ in good]
        print(f"  {side:>6}: rt_wall min {min(walls):.1f} median {statistics.median(walls):.1f} max {max(walls):.1f};"
              f" worst block min {min(worst):.1f} % max {max(worst):.1f} % of its period;"
              f" load {min(loads):.1f}-{max(loads):.1f}")
EOF
