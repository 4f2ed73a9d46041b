#!/usr/bin/env bash
# What a newcomer does: a fresh clone of this repository, then ./run.sh, which
# installs, builds and starts the program; here on a virtual X display, until
# the main window has painted, then closed with SIGTERM. Prints how long the
# build took and where the screenshot is.
#
#   tools/check-run-sh.sh [OUT.png]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "${1:-$root/build/run-sh-screenshot.png}")
clone=$(mktemp -d)
trap 'rm -rf "$clone"' EXIT

git clone -q --no-hardlinks "$root" "$clone/tessiro"
echo "fresh clone of $(git -C "$clone/tessiro" rev-parse --short HEAD) in $clone/tessiro"
start=$(date +%s)
# The program prints when its window has painted: that is after run.sh has built it.
"$root/tools/xvfb-screenshot.sh" "$out" "$clone/tessiro/run.sh" --print-startup-time
echo "./run.sh on the fresh clone: $(( $(date +%s) - start )) s from clone to a closed program"
