#!/usr/bin/env bash
# Builds the project reader's fuzz target with clang and libFuzzer in
# build/fuzz and runs it for a while (default 300 seconds), seeded with the
# intro project. Findings land in build/fuzz/findings.
#   tests/app/fuzz/run-fuzz.sh [seconds]
set -euo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
seconds=${1:-300}
build=$root/build/fuzz

CC=${CC:-clang-14} CXX=${CXX:-clang++-14} cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSIRO_FUZZ=ON -DTESSIRO_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target project_reader_fuzz intro_project

seeds=$build/seeds/project
mkdir -p "$seeds" "$build/corpus/project" "$build/findings"
cp "$build/share/tessiro/Intro.qvk" "$seeds/intro.qvk"

cd "$build/findings"
echo "== project reader, ${seconds}s"
"$build/fuzz/project_reader_fuzz" -max_total_time="$seconds" -max_len=200000 -print_final_stats=1 \
  "$build/corpus/project" "$seeds"
