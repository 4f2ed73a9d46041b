#!/usr/bin/env bash
# Builds the preset reader's fuzz target with clang and libFuzzer in build/fuzz
# and runs it for a while (default 300 seconds), seeded with files of sound
# records. Findings land in build/fuzz/findings.
#   tests/dialogs/forms/fuzz/run-fuzz.sh [seconds]
set -euo pipefail
root=$(cd "$(dirname "$0")/../../../.." && pwd)
seconds=${1:-300}
build=$root/build/fuzz

CC=${CC:-clang-14} CXX=${CXX:-clang++-14} cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSIRO_FUZZ=ON -DTESSIRO_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target preset_reader_fuzz

seeds=$build/seeds/preset
mkdir -p "$seeds" "$build/corpus/preset" "$build/findings"
# Two echo records, all values 0; a pitch record with both kinds semitones; a name of
# whole UTF-8 characters past its field.
{ printf 'Mine'; head -c 176 /dev/zero; printf 'Yours'; head -c 175 /dev/zero; } > "$seeds/echo.prt"
{ printf 'Up'; head -c 146 /dev/zero; printf '\1\0\0\0\1\0\0\0'; } > "$seeds/pitch_shift.prt"
for _ in $(seq 50); do printf '\xe2\x82\xac'; done > "$seeds/name"

cd "$build/findings"
echo "== preset reader, ${seconds}s"
"$build/fuzz/preset_reader_fuzz" -max_total_time="$seconds" -max_len=20000 -print_final_stats=1 \
  "$build/corpus/preset" "$seeds"
