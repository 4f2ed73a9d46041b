#!/usr/bin/env bash
# Builds the release tree and times the codecs on a 10-minute stereo WAV against
# sox (decoding) and lame run alone (MP3 encoding), on the same files in one run.
# ratio_median/ratio_worst: our time over the anchor's (goals: decode <= 1.5,
# MP3 encode <= 1.10). Extra arguments go to the benchmark.
set -euo pipefail
# An existing build folder ($BUILD) is used as it is configured; a missing one
# is made as a Release tree.
root=$(cd "$(dirname "$0")/../../.." && pwd)
build=${BUILD:-$root/build/release}
for tool in sox lame; do
  command -v "$tool" >/dev/null || { echo "$tool is needed as the comparison anchor: apt-get install $tool" >&2; exit 1; }
done
[[ -f $build/CMakeCache.txt ]] || cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTESSIRO_SANITIZE=OFF >/dev/null
cmake --build "$build" --target codecs_bench
echo "load before the run: $(cut -d' ' -f1-3 /proc/loadavg)"
"$build/bench/codecs_bench" "$@"
