#!/usr/bin/env bash
# The walk of a user's first hour (tests/e2e) on a real X server: the
# program's windows on Xvfb, a picture of the screen after each step.
#
#   tools/walk/run-walk.sh [FOLDER]
#
# FOLDER (walk-shots unless given) receives step-N.png. The walk runs from the
# sanitizer build (BUILD=build/release for another), built first when missing.
# FILTER='Windows.*' runs the window tests instead, which leave a picture of
# each window they open.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
out=$(realpath -m "${1:-walk-shots}")
build=$(realpath -m "${BUILD:-$root/build/sanitize}")
command -v xvfb-run >/dev/null || { echo "xvfb-run is missing: tools/install-packages.sh installs it" >&2; exit 1; }
if [[ ! -x "$build/tests/e2e_tests" ]]; then
  [[ -f "$build/build.ninja" ]] || { echo "no build in $build: run ./test.sh first" >&2; exit 1; }
  cmake --build "$build" -j3 --target e2e_tests
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out" "$work/runtime"
chmod 700 "$work/runtime"
rm -f "$out"/*.png

export QT_QPA_PLATFORM=xcb
export TESSIRO_WALK_SHOTS="$out"
export TESSIRO_AUDIO=virtual
export XDG_RUNTIME_DIR="$work/runtime"
# The X libraries read keymap strings past their ends and keep their allocations:
# neither check is ours to hold them to.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0:abort_on_error=1:strict_string_checks=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
started=$(date +%s)
status=0
xvfb-run -a -s "-screen 0 1280x1024x24" "$build/tests/e2e_tests" --gtest_filter="${FILTER:-Walk.*}" || status=$?
echo "the walk took $(( $(date +%s) - started )) s on Xvfb; pictures in $out:"
ls "$out"
exit $status
