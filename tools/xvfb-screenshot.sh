#!/usr/bin/env bash
# Runs the real program on a virtual X display, waits for its main window to
# paint, saves a picture of the screen's window and closes the program as a
# session logging out would (SIGTERM), checking that it ends cleanly and keeps
# its configuration.
#
#   tools/xvfb-screenshot.sh OUT.png [PROGRAM [ARGUMENT]...]
#
# PROGRAM is build/release/bin/tessiro unless given (./run.sh works too). The
# program folder is a fresh one unless TESSIRO_HOME is set; sound goes to the
# virtual card.
set -euo pipefail
[[ $# -ge 1 ]] || { echo "usage: $0 OUT.png [PROGRAM [ARGUMENT]...]" >&2; exit 2; }
out=$(realpath -m "$1")
shift
root=$(cd "$(dirname "$0")/.." && pwd)
program=("$@")
[[ ${#program[@]} -gt 0 ]] || program=("$root/build/release/bin/tessiro")
command -v xvfb-run >/dev/null || { echo "xvfb-run is missing: tools/install-packages.sh installs it" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export TESSIRO_HOME=${TESSIRO_HOME:-$work/home}
export TESSIRO_AUDIO=virtual
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$work/runtime}
mkdir -p "$TESSIRO_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
rm -f "$out"
first_start=0
[[ -s "$TESSIRO_HOME/qvk.cfg" ]] || first_start=1
# A first start's pages are accepted as they stand: recordings then go to
# $HOME/orvane_audio.
export HOME=${SCREENSHOT_HOME:-$TESSIRO_HOME}

log="$work/program.log"
started=$(date +%s)
xvfb-run -a -s "-screen 0 1280x800x24" bash -c '"$@" & echo $! > "'"$work"'/pid"; "'"$root"'/tools/answer-first-start.sh" $! & wait $!' _ \
  "${program[@]}" --screenshot "$out" >"$log" 2>&1 &
runner=$!

# Long enough for ./run.sh to build the program on a fresh clone.
limit=${SCREENSHOT_TIMEOUT:-3600}
while [[ ! -s "$out" ]]; do
  if ! kill -0 "$runner" 2>/dev/null; then
    echo "the program ended before its window painted:" >&2
    cat "$log" >&2
    exit 1
  fi
  if (( $(date +%s) - started > limit )); then
    echo "no screenshot after $limit s" >&2
    kill "$runner" 2>/dev/null || true
    exit 1
  fi
  sleep 0.5
done
echo "screenshot: $out ($(( $(date +%s) - started )) s after the start)"

kill -TERM "$(cat "$work/pid")"
status=0
wait "$runner" || status=$?
grep -E '^tessiro: main window painted' "$log" || true
if [[ $status -ne 0 ]]; then
  echo "the program ended with status $status on SIGTERM:" >&2
  cat "$log" >&2
  exit 1
fi
if [[ ! -s "$TESSIRO_HOME/qvk.cfg" ]]; then
  echo "the program closed without writing $TESSIRO_HOME/qvk.cfg" >&2
  exit 1
fi
if (( first_start )) && [[ ! -s "$TESSIRO_HOME/Intro.qvk" ]]; then
  echo "a first start that did not open the intro project (no $TESSIRO_HOME/Intro.qvk):" >&2
  cat "$log" >&2
  exit 1
fi
echo "closed cleanly on SIGTERM and wrote qvk.cfg"
