#!/usr/bin/env bash
# Under an X display, accepts the first start's pages with their defaults
# (Return, as a user taking them would) while the program PID runs. Only
# those pages are answered: any other window is left alone.
#
#   tools/answer-first-start.sh PID
set -uo pipefail
pid=$1
command -v xdotool >/dev/null || { echo "xdotool is missing: tools/install-packages.sh installs it" >&2; exit 1; }
while kill -0 "$pid" 2>/dev/null; do
  name=$(xdotool getwindowfocus getwindowname 2>/dev/null) || name=""
  case $name in
    "Welcome to Tessiro"* | "Tessiro Setup"*) xdotool key Return 2>/dev/null ;;
  esac
  sleep 0.3
done
