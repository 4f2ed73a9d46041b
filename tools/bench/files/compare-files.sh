#!/usr/bin/env bash
# Builds files_bench in Release and runs it: WAV and MP3 imports and exports of
# 1, 10 and 60 minutes against sox and lame, in turns, every output checked.
#
#   BASELINE=<commit> tools/bench/files/compare-files.sh [files_bench arguments]
#
# BASELINE also builds that commit with this benchmark (which it may not have)
# in build/bench-files-baseline and runs it first: before and after, one run
# each, on the same machine one after the other. Arguments go to both runs,
# e.g. --minutes 1,10 --rounds 3,3 --cases export-mp3. Files go to
# $TESSIRO_BENCH_FOLDER, else the temporary folder (the 60-minute case needs
# some 6 GB).
set -euo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
build=${BUILD:-$root/build/release}
for tool in sox lame; do
  command -v "$tool" >/dev/null || { echo "$tool is needed as the comparison anchor: apt-get install $tool" >&2; exit 1; }
done
# The benchmark drives the core through the tests' scripted seams: tests stay on.
configure() {
  [[ -f $2/CMakeCache.txt ]] || cmake -S "$1" -B "$2" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTESSIRO_SANITIZE=OFF \
    -DTESSIRO_BUILD_TESTS=ON >/dev/null
  cmake --build "$2" -j"${JOBS:-3}" --target files_bench >/dev/null
}
configure "$root" "$build"
export TESSIRO_AUDIO=virtual
status=0
if [[ -n ${BASELINE:-} ]]; then
  commit=$(git -C "$root" rev-parse --verify "$BASELINE^{commit}")
  tree=$root/build/bench-files-baseline/src
  rm -rf "$tree"
  mkdir -p "$tree"
  git -C "$root" archive "$commit" | tar -x -C "$tree"
  rm -rf "$tree/tools/bench/files"
  cp -r "$root/tools/bench/files" "$tree/tools/bench/files"
  configure "$tree" "$root/build/bench-files-baseline/build"
  echo "== before: ${commit:0:12}"
  "$root/build/bench-files-baseline/build/bench/files_bench" "$@" || status=1
fi
echo "== after: this tree ($(git -C "$root" rev-parse --short HEAD))"
"$build/bench/files_bench" "$@" || status=1
exit $status
