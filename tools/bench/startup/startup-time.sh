#!/usr/bin/env bash
# Time from the program's start to its first painted main window with a new
# project, over several starts: the program's own figure (from main() to the
# paint) and the whole figure seen from outside (from exec, libraries loading
# included). Runs on a virtual X display when xvfb-run is there, else offscreen.
#
#   tools/bench/startup/startup-time.sh [RUNS] [PROGRAM] [SNIPPETS]
#
# With SNIPPETS (say 20000) the starts alternate with starts that open a
# project of that many snippets, each on its own audio file, named on the
# command line (project_bench beside the program makes it); the difference
# of the medians is what opening it adds (goal: under 150 ms).
set -euo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
runs=${1:-10}
program=${2:-$root/build/release/bin/tessiro}
snippets=${3:-}
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
  "$program" --print-startup-time "$@" 2>"$log" &
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

# Median, best and worst of one column of the figures in a file.
summary() {
  cut -d' ' -f"$2" "$3" | sort -n | awk -v what="$1" '
    { v[NR] = $1 }
    END { printf "  %s median %.1f ms, best %.1f ms, worst %.1f ms\n", what, v[int((NR + 1) / 2)], v[1], v[NR] }'
}

median() { cut -d' ' -f"$2" "$1" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# A start with a screenshot; on X the window's title too (as "TITLE" in the
# log). Fails when the window is never painted.
shoot() {
  local log="$work/shot.log" picture=$1 pid
  shift
  : >"$log"
  "$program" --screenshot "$picture" "$@" 2>"$log" &
  pid=$!
  [[ -n ${DISPLAY:-} ]] && "$root/tools/answer-first-start.sh" "$pid" &
  for _ in $(seq 1 200); do
    [[ -s $picture ]] && break
    sleep 0.05
  done
  sleep 0.5
  if [[ -n ${DISPLAY:-} ]]; then
    echo "TITLE $(xdotool search --onlyvisible --pid "$pid" --name . getwindowname %@ 2>/dev/null | tr '\n' '|')" >>"$log"
  fi
  kill -TERM "$pid" 2>/dev/null || true
  wait "$pid" || true
  [[ -s $picture ]] || { echo "no picture: $(cat "$log")" >&2; return 1; }
}

# The starts with the project must show it: the window named after it, no
# other window (a message about missing audio), and lanes unlike a new project's.
check_project() {
  shoot "$work/new.png" || return 1
  shoot "$work/project.png" "$project" || return 1
  if [[ -n ${DISPLAY:-} ]] && ! grep -qx 'TITLE large - Tessiro|' "$work/shot.log"; then
    echo "the project did not open alone: $(cat "$work/shot.log")" >&2
    return 1
  fi
  if cmp -s "$work/new.png" "$work/project.png"; then
    echo "the project's start shows a new project" >&2
    return 1
  fi
}

run_all() {
  # The first start makes the configuration; the starts measured are ordinary ones.
  measure >/dev/null
  if [[ -n $snippets ]]; then check_project || exit 1; fi
  : >"$work/figures"
  : >"$work/project-figures"
  for _ in $(seq 1 "$runs"); do
    measure >>"$work/figures"
    [[ -n $snippets ]] && measure "$project" >>"$work/project-figures"
  done
  echo "start to first painted main window, $runs starts (goal: under 300 ms)"
  summary "from main():" 1 "$work/figures"
  summary "from exec:  " 2 "$work/figures"
  summary "busy:       " 3 "$work/figures"
  [[ -n $snippets ]] || return 0
  echo "the same opening a project of $snippets snippets named on the command line"
  summary "from main():" 1 "$work/project-figures"
  summary "from exec:  " 2 "$work/project-figures"
  summary "busy:       " 3 "$work/project-figures"
  awk -v a="$(median "$work/project-figures" 1)" -v b="$(median "$work/figures" 1)" \
      -v c="$(median "$work/project-figures" 3)" -v d="$(median "$work/figures" 3)" \
      'BEGIN { printf "  opening it adds %.1f ms (median from main()), %.1f ms busy (goal: under 150 ms)\n", a - b, c - d }'
}

if [[ -n $snippets && -z ${STARTUP_TIME_ON_XVFB:-} ]]; then
  maker=$(dirname "$program")/project_bench
  [[ -x "$maker" ]] || { echo "no project_bench beside $program to make the project" >&2; exit 1; }
  "$maker" --write-project "$work/project" "$snippets"
  export STARTUP_PROJECT="$work/project/large.qvk"
fi
project=${STARTUP_PROJECT:-}

if [[ -n ${STARTUP_TIME_ON_XVFB:-} ]]; then
  run_all
elif command -v xvfb-run >/dev/null; then
  echo "display: Xvfb"
  STARTUP_TIME_ON_XVFB=1 xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$runs" "$program" "$snippets"
else
  echo "display: offscreen"
  QT_QPA_PLATFORM=offscreen run_all
fi
