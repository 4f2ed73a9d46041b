#!/usr/bin/env bash
# Builds the fuzz targets of the project reader and of the configuration record
# with clang and libFuzzer in build/fuzz and runs each for a while (default 300
# seconds), the project reader seeded with the intro project, the record with
# a first start's file. Findings land in build/fuzz/findings.
#   tests/app/fuzz/run-fuzz.sh [seconds] [target...]
#   targets: project_reader_fuzz config_record_fuzz (default: both)
set -euo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
seconds=${1:-300}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(project_reader_fuzz config_record_fuzz)
build=$root/build/fuzz

CC=${CC:-clang-14} CXX=${CXX:-clang++-14} cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSIRO_FUZZ=ON -DTESSIRO_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target "${targets[@]}" intro_project

mkdir -p "$build/seeds/project" "$build/seeds/config" "$build/findings"
cp "$build/share/tessiro/Intro.qvk" "$build/seeds/project/intro.qvk"
# A first start's record: magic, an audio folder, the settings, 57 colour sets, the notices and metronome.
le32() { printf "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $((($1 >> 8) & 255)))\\x$(printf %02x $((($1 >> 16) & 255)))\\x$(printf %02x $((($1 >> 24) & 255)))"; }
{
  printf 'QRVKN\0\0\0'
  head -c 8 /dev/zero
  printf '/home/user/orvane_audio'
  head -c $((264 - 23)) /dev/zero
  for v in 2 0 0 1 0 0 0 2 32768; do le32 "$v"; done
  for _ in $(seq 57); do for v in 11842740 16744448 0 61680; do le32 "$v"; done; done
  for v in 1 1 1 0 0 1 1 1 10; do le32 "$v"; done
} > "$build/seeds/config/first-start.cfg"
head -c 300 "$build/seeds/config/first-start.cfg" > "$build/seeds/config/short.cfg"

run() {
  local target=$1 corpus=$2 length=$3
  mkdir -p "$build/corpus/$corpus"
  echo "== $target, ${seconds}s"
  (cd "$build/findings" && "$build/fuzz/$target" -max_total_time="$seconds" -max_len="$length" \
    -print_final_stats=1 "$build/corpus/$corpus" "$build/seeds/$corpus")
}
for target in "${targets[@]}"; do
  case $target in
    project_reader_fuzz) run project_reader_fuzz project 200000 ;;
    config_record_fuzz) run config_record_fuzz config 4096 ;;
    *) echo "unknown target $target" >&2; exit 2 ;;
  esac
done
