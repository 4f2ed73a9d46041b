#!/usr/bin/env bash
# Times an import of a 10-minute 48 kHz stereo WAV into the Audio Editor
# (decoded, converted to 44100 Hz and written as a segment with its peaks)
# against sox converting the same file to 44100 Hz, in pairs on the same
# single core, and prints medians, minima and the ratio ours/sox (below 1: we
# are faster). sox runs with its default rate quality and with -q; our time is
# the import command's own, and the whole process's (start-up, import, exit).
# Each run takes the three in turn; the first only warms the page cache. Both
# write into the same folder. The outputs are checked: ours sample by sample
# against the source interpolated at the exact rate (one import before the
# timing, import_bench --check), then every one by its length, as is sox's.
#
#   tools/bench/imports/compare_sox_import.sh   # RUNS=7 CORE=2 BUILD=build/release TESSIRO_BENCH_FOLDER=/tmp
set -euo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
build=${BUILD:-$root/build/release}
runs=${RUNS:-7}
core=${CORE:-2}

for tool in sox taskset python3; do
  command -v "$tool" >/dev/null || { echo "compare_sox_import.sh needs $tool" >&2; exit 1; }
done

# The benchmark drives the core through the tests' scripted seams: tests stay on.
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTESSIRO_BUILD_TESTS=ON >/dev/null
cmake --build "$build" --target import_bench >/dev/null

work=$(mktemp -d "${TESSIRO_BENCH_FOLDER:-${TMPDIR:-/tmp}}/import-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
sox -R -n -r 48000 -c 2 -b 16 "$work/source.wav" synth 600 pinknoise vol 0.5

python3 - "$build/bin/import_bench" "$work" "$core" "$runs" <<'PY'
import os, statistics, subprocess, sys, time

bench, work, core, runs = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])
source = os.path.join(work, "source.wav")
env = dict(os.environ, TESSIRO_BENCH_FOLDER=work, TESSIRO_AUDIO="virtual")
expected = 600 * 44100

def timed(argv):
    start = time.perf_counter()
    result = subprocess.run(["taskset", "-c", core] + argv, capture_output=True, text=True, env=env)
    elapsed = time.perf_counter() - start
    if result.returncode != 0:
        sys.exit(f"{argv[0]} failed: {result.stdout}{result.stderr}")
    return elapsed, result.stdout

_, out = timed([bench, "--check", source])
frames, off = out.split()
if abs(int(frames) - expected) > 2 or int(off) != 0:
    sys.exit(f"our import ({frames} frames) is not the source converted (off by {off})")

times = {"ours (import)": [], "ours (process)": [], "sox": [], "sox -q": []}
for run in range(runs + 1):
    elapsed, out = timed([bench, "--import", source])
    seconds, frames = out.split()
    if abs(int(frames) - expected) > 2:
        sys.exit(f"our import made {frames} frames, not {expected}")
    soxOut = os.path.join(work, "sox.wav")
    soxTime, _ = timed(["sox", "-D", "-V1", "--single-threaded", source, "-r", "44100", soxOut])
    quickTime, _ = timed(["sox", "-D", "-V1", "--single-threaded", source, soxOut, "rate", "-q", "44100"])
    if abs((os.path.getsize(soxOut) - 44) // 4 - expected) > 2:
        sys.exit("sox made a file of another length")
    if run == 0:
        continue
    times["ours (import)"].append(float(seconds))
    times["ours (process)"].append(elapsed)
    times["sox"].append(soxTime)
    times["sox -q"].append(quickTime)

print(f"{'':16} {'median s':>9} {'min s':>9}")
for name, values in times.items():
    print(f"{name:16} {statistics.median(values):9.3f} {min(values):9.3f}")
ours = statistics.median(times["ours (import)"])
print(f"ours (import) / sox    {ours / statistics.median(times['sox']):.3f}")
print(f"ours (import) / sox -q {ours / statistics.median(times['sox -q']):.3f}")
print(f"ours (process) / sox   {statistics.median(times['ours (process)']) / statistics.median(times['sox']):.3f}")
PY
