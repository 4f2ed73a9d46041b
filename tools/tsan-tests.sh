#!/usr/bin/env bash
# Builds the whole suite with ThreadSanitizer in a build folder of its own
# (build/tsan) and runs every test once. A report fails the test that raised
# it. Reports raised inside libraries not built with the sanitizer (Qt) are left
# out by tools/tsan-suppressions.txt, which names those libraries only.
#
#   tools/tsan-tests.sh [CTEST ARGUMENTS...]     e.g. -R 'Preview'
set -euo pipefail
cd "$(dirname "$0")/.."

build=build/tsan
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSIRO_TSAN=ON -DTESSIRO_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j3

export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$PWD/tools/tsan-suppressions.txt"
ctest --test-dir "$build" -j3 --output-on-failure --timeout 600 "$@"
