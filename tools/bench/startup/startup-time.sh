#!/usr/bin/env bash
# Time from the program's start to its first painted main window with a new
# project, over several starts: the program's own figure (from main() to the
# paint) and the whole figure seen from outside (from exec, libraries loading
# included). Runs on a virtual X display when xvfb-run is there, else offscreen.
#
#   tools/bench/startup/startup-time.sh [RUNS] [PROGRAM]
set -euo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
runs=${1:-10}
program=${2:-$root/build/release/bin/tessiro}
[[ -x "$program" ]] || { echo "no program at $program (build the Release build first)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export TESSIRO_HOME="$work/home" HOME="$work/home" TESSIRO_AUDIO=virtual XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$TESSIRO_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

# One start and its three figures in milliseconds: "inside outside busy" (busy:
# the processor time of the user-interface thread until the paint, which a
# loaded machine does not stretch).
measure() {
  local log="$work/log" begin line inside at busy
  : >"$log"
  begin=$(date +%s.%N)
  "$program" --print-startup-time 2>"$log" &
  local pid=$!
  [[ -n ${DISPLAY:-} ]] && "$root/tools/answer-first-start.sh" "$pid" &
  for _ in $(seq 1 200); do
    grep -q 'main window painted' "$log" && break
    sleep 0.05
  done
  kill -TERM "$pid" 2>/dev/null || true
  wait "$pid" || true
  line=$(grep 'main window painted' "$log") || { echo "no paint: $(cat "$log")" >&2; return 1; }
  inside=$(sed -E 's/.*painted ([0-9.]+) ms.*/\1/' <<<"$line")
  at=$(sed -E 's/.*\(at ([0-9.]+)\).*/\1/' <<<"$line")
  busy=$(sed -E 's/.*, ([0-9.]+) ms of it busy.*/\1/' <<<"$line")
  awk -v i="$inside" -v a="$at" -v b="$begin" -v c="$busy" 'BEGIN { printf "%.1f %.1f %.1f\n", i, (a - b) * 1000, c }'
}

# Median, best and worst of one column of the figures.
summary() {
  cut -d' ' -f"$2" "$work/figures" | sort -n | awk -v what="$1" '
    { v[NR] = $1 }
    END { printf "  %s median %.1f ms, best %.1f ms, worst %.1f ms\n", what, v[int((NR + 1) / 2)], v[1], v[NR] }'
}

run_all() {
  # The first start makes the configuration; the starts measured are ordinary ones.
  measure >/dev/null
  for _ in $(seq 1 "$runs"); do measure; done >"$work/figures"
  echo "start to first painted main window, $runs starts (goal: under 300 ms)"
  summary "from main():" 1
  summary "from exec:  " 2
  summary "busy:       " 3
}

if [[ -n ${STARTUP_TIME_ON_XVFB:-} ]]; then
  run_all
elif command -v xvfb-run >/dev/null; then
  echo "display: Xvfb"
  STARTUP_TIME_ON_XVFB=1 xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$runs" "$program"
else
  echo "display: offscreen"
  QT_QPA_PLATFORM=offscreen run_all
fi
