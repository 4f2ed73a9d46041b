#!/usr/bin/env bash
# What the live mix waits on: runs mixer_bench under `perf sched record` and,
# for the timed blocks of each variant, splits the wall time of the player
# thread (the benchmark's main thread, which calls the mixer as the output
# callback does) and of the mixer's helpers into running, waiting for a core
# (runnable, not run: the machine is busy) and asleep (waiting for work or for
# the other threads' jobs); and says how many cores the rest of the machine
# used meanwhile. Needs perf with scheduler trace points (run as root, or with
# kernel.perf_event_paranoid at most 1) and python3.
#
#   tools/bench/mixer/mix-waits.sh [benchmark arguments]
#     BUILD=build/release, or BENCH=a mixer_bench built elsewhere (another
#     commit's); default filter: the heaviest case at 8192 frames.
set -euo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
build=${BUILD:-$root/build/release}
for tool in perf python3; do
  command -v "$tool" >/dev/null || { echo "mix-waits.sh needs $tool" >&2; exit 1; }
done
args=("$@")
[[ ${#args[@]} -gt 0 ]] || args=(--benchmark_filter='block:8192/tempo:125/effects:1/helpers:-1/inline:0/on_mix:1')
bench=${BENCH:-}
if [[ -z $bench ]]; then
  [[ -f $build/CMakeCache.txt ]] || cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DTESSIRO_BUILD_TESTS=OFF >/dev/null
  cmake --build "$build" -j"${JOBS:-3}" --target mixer_bench >/dev/null
  bench=$build/bin/mixer_bench
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/mix-waits.XXXXXX")
trap 'rm -rf "$work"' EXIT
echo "load before the run: $(cut -d' ' -f1-3 /proc/loadavg)"
TESSIRO_BENCH_WINDOWS=$work/windows perf sched record -q -k CLOCK_MONOTONIC -o "$work/sched.data" -- \
  "$bench" "${args[@]}" 2>"$work/log" | grep '^BM_' || { cat "$work/log" >&2; exit 1; }
echo "load after the run: $(cut -d' ' -f1-3 /proc/loadavg)"
perf sched timehist -i "$work/sched.data" 2>/dev/null >"$work/timehist"

python3 - "$work/timehist" "$work/windows" <<'EOF'
import collections, re, sys

# timehist: one line per switch-out of a task, with the time it was off its
# core before it ran again, the part of that after its wake-up (or all of it
# when it was preempted), and the time it then ran. Back from the switch-out:
# running, waiting for a core, asleep. Spans are cut to the window.
line = re.compile(r'\s*([\d.]+)\s+\[(\d+)\]\s+(.+?)\[(\d+)(?:/(\d+))?\]\s+([\d.]+)\s+([\d.]+)\s+([\d.]+)')
events = []
for text in open(sys.argv[1]):
    m = line.match(text)
    if m:
        t, _, name, tid, pid, away, delayed, ran = m.groups()
        slept = max(0.0, float(away) - float(delayed))
        events.append((float(t), name.strip(), int(tid), int(pid or tid), slept, float(delayed), float(ran)))
bench_pid = next((e[3] for e in events if e[1] == 'tessiro-mix'), None)
for text in open(sys.argv[2]):
    name, start, end = text.split()
    start, end = float(start), float(end)
    wall = (end - start) * 1000.0
    sums = collections.defaultdict(lambda: [0.0, 0.0, 0.0])
    threads = collections.defaultdict(set)
    for t, comm, tid, pid, slept, delayed, ran in events:
        if tid == 0 or t - (ran + delayed + slept) / 1000.0 > end or t < start:
            continue
        who = ('player' if tid == pid else comm) if pid == bench_pid else 'rest of the machine'
        # The three spans before this switch-out, each cut to the window.
        edge = t * 1000.0
        s = sums[who]
        for k, span in ((0, ran), (1, delayed), (2, slept)):
            s[k] += max(0.0, min(edge, end * 1000.0) - max(edge - span, start * 1000.0))
            edge -= span
        threads[who].add(tid)
    print(f"\n{name}: {wall:.0f} ms of timed blocks")
    for who in ('player', 'tessiro-mix', 'zelmo-crew'):
        if who not in sums:
            continue
        n = len(threads[who])
        ran, delayed, slept = (v / n for v in sums[who])
        print(f"  {who:12} ({n} thread{'s' if n > 1 else ''}): each ran {100 * ran / wall:5.1f} %,"
              f" waited for a core {100 * delayed / wall:5.1f} %, slept {100 * slept / wall:5.1f} % of the time")
    ours = sum(sums[w][0] for w in sums if w != 'rest of the machine')
    print(f"  cores used: ours {ours / wall:.2f}, the rest of the machine {sums['rest of the machine'][0] / wall:.2f}")
EOF
