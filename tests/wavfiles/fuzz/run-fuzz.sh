#!/usr/bin/env bash
# Builds the codec fuzz targets with clang and libFuzzer in build/fuzz and runs
# each for a while (default 60 seconds): the WAV header parser, whole WAV files
# through the codec's Decode, then LAME's progress parsers. Findings land in
# build/fuzz/findings.
#   tests/wavfiles/fuzz/run-fuzz.sh [seconds] [target...]
#   targets: wave_header_fuzz wave_decode_fuzz lame_progress_fuzz (default: all)
set -euo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(wave_header_fuzz wave_decode_fuzz lame_progress_fuzz)
build=$root/build/fuzz
export CC=${CC:-clang-14} CXX=${CXX:-clang++-14}
command -v "$CXX" >/dev/null || { echo "$CXX is needed for libFuzzer (Debian package clang-14)" >&2; exit 1; }

cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSIRO_FUZZ=ON -DTESSIRO_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target "${targets[@]}"

seeds=$build/seeds/wave
mkdir -p "$seeds" "$build/seeds/lame" "$build/findings"
# A canonical header with a little audio, and one with a LIST chunk before the data.
printf 'RIFF\x2c\x00\x00\x00WAVEfmt \x10\x00\x00\x00\x01\x00\x02\x00\x44\xac\x00\x00\x10\xb1\x02\x00\x04\x00\x10\x00data\x08\x00\x00\x00\x01\x00\x02\x00\x03\x00\x04\x00' \
  > "$seeds/canonical.wav"
printf 'RIFF\x40\x00\x00\x00WAVEfmt \x10\x00\x00\x00\x03\x00\x01\x00\x80\xbb\x00\x00\x00\xee\x02\x00\x04\x00\x20\x00LIST\x07\x00\x00\x00INFOabc\x00data\x04\x00\x00\x00\x00\x00\x00\x3f' \
  > "$seeds/list.wav"
if command -v sox >/dev/null; then
  # Every format the converter takes, a few milliseconds each, as whole files.
  for enc in "-e ima-adpcm" "-e ms-adpcm" "-e u-law" "-e a-law" "-e gsm-full-rate" "-b 24" "-b 32" \
             "-e floating-point -b 32" "-e floating-point -b 64" "-b 8" "-b 16"; do
    # shellcheck disable=SC2086
    sox -n -r 8000 -c 1 $enc "$seeds/sox-${enc//[^a-z0-9]/}.wav" synth 0.02 sine 440 2>/dev/null || true
  done
  sox -n -r 8000 -c 6 -b 16 "$seeds/sox-6ch.wav" synth 0.01 sine 440 2>/dev/null || true
  sox -n -r 8000 -c 2 -e ima-adpcm "$seeds/sox-stereo-ima.wav" synth 0.02 sine 440 2>/dev/null || true
fi
printf '\x07input: a.mp3\n\rFrame#     9/116    128 kbps          \x08\x08\rFrame#   116/116  \n' > "$build/seeds/lame/decode"
printf '\x40%0600d\x1b[A\r     9/116    ( 8%%)| 0:00/ 0:01|\n  average: 128.0 kbps\n' 0 > "$build/seeds/lame/encode"

run() {
  local target=$1 corpus=$2 seed=$3 length=$4
  mkdir -p "$build/corpus/$corpus"
  echo "== $target, ${seconds}s"
  (cd "$build/findings" && "$build/fuzz/$target" -max_total_time="$seconds" -max_len="$length" \
    -print_final_stats=1 "$build/corpus/$corpus" "$seed")
}
for target in "${targets[@]}"; do
  case $target in
    wave_header_fuzz) run wave_header_fuzz wave "$seeds" 8192 ;;
    wave_decode_fuzz) run wave_decode_fuzz decode "$seeds" 65536 ;;
    lame_progress_fuzz) run lame_progress_fuzz lame "$build/seeds/lame" 4096 ;;
    *) echo "unknown target $target" >&2; exit 2 ;;
  esac
done
