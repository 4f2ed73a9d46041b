#!/usr/bin/env bash
# Pictures of the real program's windows on a virtual X display, worked with
# real keys and clicks (xdotool): the Track View, its navigation buttons hot
# and pressed, the effects window with its panels, the Audio Editor with its
# tool window, Color Settings while a colour is chosen and after Cancel.
#
#   tools/xvfb-windows/xvfb-windows.sh FOLDER [SCREEN [SCALE]]
#
# SCREEN is the display's size (1280x800 unless given), SCALE the desktop's
# scale factor (1 unless given: 2 shows a 1600x1000 screen as 800x500). The
# program is build/release/bin/tessiro unless BUILD names another build.
set -euo pipefail
[[ $# -ge 1 ]] || { echo "usage: $0 FOLDER [SCREEN [SCALE]]" >&2; exit 2; }
root=$(cd "$(dirname "$0")/../.." && pwd)
out=$(realpath -m "$1")
screen=${2:-1280x800}
scale=${3:-1}
build=$(realpath -m "${BUILD:-$root/build/release}")
command -v xvfb-run >/dev/null && command -v xdotool >/dev/null ||
  { echo "xvfb-run and xdotool are missing: tools/install-packages.sh installs them" >&2; exit 1; }
for program in tessiro tessiro-xgrab; do
  [[ -x "$build/bin/$program" ]] || { echo "no $build/bin/$program: build it first" >&2; exit 1; }
done
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/home" "$work/runtime"
chmod 700 "$work/runtime"
export TESSIRO_HOME="$work/home" HOME="$work/home" TESSIRO_AUDIO=virtual XDG_RUNTIME_DIR="$work/runtime"
export QT_SCALE_FACTOR=$scale
# The X libraries keep their allocations to the end: a sanitizer build need not count them.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}
xvfb-run -a -s "-screen 0 ${screen}x24" "$root/tools/xvfb-windows/steps.sh" "$build/bin" "$out"
ls "$out"
