#!/usr/bin/env bash
# The steps of xvfb-windows.sh, run inside the virtual display: steps.sh BIN FOLDER.
set -uo pipefail
bin=$1
out=$2
root=$(cd "$(dirname "$0")/../.." && pwd)
"$bin/tessiro" >"$out/program.log" 2>&1 &
pid=$!
"$root/tools/answer-first-start.sh" "$pid" &

shot() { sleep 0.6; "$bin/tessiro-xgrab" "$out/$1.png"; }
window() {  # the id of the window whose title matches, waited for
  local id=""
  for _ in $(seq 1 40); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1)
    [[ -n "$id" ]] && break
    sleep 0.25
  done
  echo "$id"
}
geometry() { eval "$(xdotool getwindowgeometry --shell "$1")"; }  # sets X Y WIDTH HEIGHT
click() { xdotool mousemove "$1" "$2" click 1; sleep 0.3; }
# Offsets are the program's pixels; on a scaled desktop the screen's are larger.
p() { echo $(( $1 * ${QT_SCALE_FACTOR:-1} )); }
keys() { xdotool key --delay 300 "$@"; sleep 0.3; }  # as a user types them: menus open between keys

main=$(window "Intro - Tessiro")
[[ -n "$main" ]] || { echo "no main window" >&2; kill "$pid"; exit 1; }
sleep 1
geometry "$main"
mx=$X my=$Y mw=$WIDTH mh=$HEIGHT
# The intro plays after a first start: Esc in the main window stops it.
click $((mx + mw / 2)) $((my + mh / 2))
xdotool key Escape
shot 01-track-view

# The Track View's zoom-in button: hot under the pointer, then pressed.
zx=$((mx + mw - $(p 44))) zy=$((my + mh - $(p 53)))
xdotool mousemove "$zx" "$zy"
shot 02-zoom-in-hot
xdotool mousedown 1
shot 03-zoom-in-pressed
xdotool mouseup 1
xdotool mousemove $((mx + mw / 2)) $((my + mh / 2))

# View > Realtime Effects, then an equalizer and a levels effect on the master.
keys alt+v e
effects=$(window "Realtime Audio Effects")
geometry "$effects"
ex=$X ey=$Y ew=$WIDTH
shot 04-effects-empty
click $((ex + ew - $(p 78))) $((ey + $(p 119)))   # the effect to add
keys End Return
click $((ex + ew - $(p 153))) $((ey + $(p 119)))  # "<"
shot 05-effects-equalizer
click $((ex + ew - $(p 78))) $((ey + $(p 119)))
keys Home Return
click $((ex + ew - $(p 153))) $((ey + $(p 119)))
window "Use Independent Channels?" >/dev/null
xdotool key Escape                      # No
shot 06-effects-levels
click $((ex + ew - $(p 80))) $((ey + $(p 340)))   # the window's own ground, then its Esc
xdotool key Escape
shot 07-effects-closed-by-esc

# View > Audio Levels, then Esc in it. (A click on the main window's ground
# first: without a window manager the keyboard went with the closed window.)
click $((mx + $(p 500))) $((my + $(p 70)))
keys alt+v v
levels=$(window "Audio Levels")
geometry "$levels"
shot 08-levels
click $((X + WIDTH / 2)) $((Y + HEIGHT - $(p 12)))
xdotool key Escape
shot 09-levels-closed-by-esc

# The intro's pad snippet opened in the Audio Editor, and View > Editor Tool.
xdotool mousemove $((mx + $(p 260))) $((my + $(p 130))) click 3
sleep 0.3
keys e                                  # the context menu's "Edit Snippet"
keys alt+v t Return                     # "Editor Tool", the letter's second item
shot 10-editor-tool
click $((mx + $(p 110))) $((my + $(p 250)))        # the waveform, left of the tool window
shot 11-editor-tool-tracker
xdotool key ctrl+t
shot 12-track-view-tool-hidden

# Settings > Color Settings: track 1's snippet colour chosen, then Cancel.
keys alt+s c
colours=$(window "Color Settings")
geometry "$colours"
cx=$X cy=$Y
shot 13-color-settings
keys Tab Tab Down                        # track 1's snippet box
shot 14-color-settings-chosen
xdotool key Escape
shot 15-color-settings-cancelled

kill -TERM "$pid"
# A question about the modified project may hold it: it has had its chance.
for _ in $(seq 1 20); do kill -0 "$pid" 2>/dev/null || break; sleep 0.25; done
kill -KILL "$pid" 2>/dev/null
wait "$pid" 2>/dev/null
