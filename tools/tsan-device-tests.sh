#!/usr/bin/env bash
# Builds the device library's and the platform layer's tests with ThreadSanitizer
# in a build folder of their own (build/tsan) and runs both suites the given number
# of times in a row (20 unless told), stopping at the first run that fails.
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${1:-20}
build=build/tsan
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSIRO_TSAN=ON -DTESSIRO_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j4 --target deviceio_tests platform_tests

# A report fails the test that raised it; second_deadlock_stack makes lock reports readable.
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$PWD/tools/tsan-suppressions.txt"
for ((run = 1; run <= runs; ++run)); do
  echo "run $run of $runs"
  ctest --test-dir "$build" -L '^(deviceio|platform)_tests$' -j4 --output-on-failure --timeout 300 >"$build/tsan-run-$run.log" 2>&1 ||
    { tail -40 "$build/tsan-run-$run.log"; echo "run $run failed: $build/tsan-run-$run.log"; exit 1; }
  grep -E "tests passed" "$build/tsan-run-$run.log"
done
