#!/usr/bin/env bash
# Clicks the editor's Paste button while no program owns the clipboard, under a fresh Xvfb each
# time, and fails when the program does not survive it. Usage: paste-under-xvfb.sh ZELM [TIMES]
set -uo pipefail
source "$(dirname "$0")/wait.sh"
zelm="$1"
times="${2:-50}"
crashes=0
for ((i = 1; i <= times; i++)); do
  # A display of its own each time, chosen by the server.
  number_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$number_file" >/dev/null 2>&1 &
  xvfb=$!
  wait_until 60 test -s "$number_file" || { echo "run $i: Xvfb did not start" >&2; exit 1; }
  display=":$(head -1 "$number_file")"
  rm -f "$number_file"
  DISPLAY="$display" QT_QPA_PLATFORM=xcb "$zelm" >/dev/null 2>&1 &
  app=$!
  window=""
  shown() { window=$(DISPLAY="$display" xdotool search --onlyvisible --name 'Untitled' 2>/dev/null | head -1); [ -n "$window" ]; }
  # The window is painted once the program has handled its first events.
  painted() { DISPLAY="$display" xwininfo -id "$window" 2>/dev/null | grep -q 'Map State: IsViewable'; }
  if ! wait_until 60 shown || ! wait_until 60 painted; then
    echo "run $i: the window did not appear" >&2
    crashes=$((crashes + 1))
  else
    # The Paste button: x 184..209 on the speed bar, which lies under the menu bar.
    case "${PASTE_MODE:-button}" in
      button) DISPLAY="$display" xdotool mousemove --window "$window" 196 "${PASTE_Y:-40}" click 1 ;;
      keys) DISPLAY="$display" xdotool mousemove --window "$window" 400 300 click 1 key ctrl+v key ctrl+v ;;
      cutpaste) DISPLAY="$display" xdotool mousemove --window "$window" 400 300 click 1 type 'abc'
                DISPLAY="$display" xdotool key ctrl+a ctrl+x
                DISPLAY="$display" xdotool mousemove --window "$window" 196 "${PASTE_Y:-40}" click 1 click 1 key ctrl+z ;;
    esac
    # Half a second to show a crash in (a busy program may crash later: that run then passes).
    sleep 0.5
    if ! kill -0 "$app" 2>/dev/null; then
      wait "$app"; status=$?
      echo "run $i: the program ended with status $status" >&2
      crashes=$((crashes + 1))
    fi
  fi
  kill "$app" 2>/dev/null; wait "$app" 2>/dev/null
  kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null
done
echo "paste under Xvfb: $((times - crashes)) of $times runs survived"
[ "$crashes" -eq 0 ]
