#!/usr/bin/env bash
# The captions as the window manager shows them (_NET_WM_NAME under Xvfb with openbox): the main
# window, the about box and the word window carry exactly their own captions, and an icon
# (_NET_WM_ICON).
# Usage: captions-under-xvfb.sh ZELM
set -uo pipefail
zelm="$1"
source "$(dirname "$0")/xvfb-openbox.sh"
ZELM_PRINT_PDF="$(mktemp -u).pdf" "$zelm" >/dev/null 2>&1 &
app=$!
failures=0
cleanup() { kill "$app" "$wm" "$xvfb" 2>/dev/null; wait 2>/dev/null; }
trap cleanup EXIT

# The caption of the newest window whose caption contains $1, as the window manager has it.
caption_of() {
  local window=""
  for _ in $(seq 50); do
    window=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | tail -1)
    [ -n "$window" ] && break
    sleep 0.1
  done
  [ -z "$window" ] && return 1
  xprop -id "$window" _NET_WM_NAME | sed -n 's/^_NET_WM_NAME(UTF8_STRING) = "\(.*\)"$/\1/p'
}
# Whether the window $2 (named $1) stands centred on the 1280 x 1024 screen, its frame included.
centred() {
  local x y w h frame fl fr ft fb left top width height dx dy
  read -r x y w h < <(xwininfo -id "$2" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
    /^  Width/ {w=$2} /^  Height/ {h=$2} END {print x, y, w, h}')
  frame=$(xprop -id "$2" _NET_FRAME_EXTENTS | sed 's/.*= //' | tr -d ' ')
  IFS=, read -r fl fr ft fb <<<"${frame:-0,0,0,0}"
  case "$fl$fr$ft$fb" in *[!0-9]*) fl=0 fr=0 ft=0 fb=0 ;; esac
  left=$((x - fl)); top=$((y - ft)); width=$((w + fl + fr)); height=$((h + ft + fb))
  dx=$((left + width / 2 - 640)); dy=$((top + height / 2 - 512))
  if [ "${dx#-}" -gt 1 ] || [ "${dy#-}" -gt 1 ]; then
    echo "captions: the $1's frame is off the screen's centre by $dx, $dy" >&2
    failures=$((failures + 1))
  fi
}
# Whether the window $2 (named $1) is typed as a dialog and transient for another window.
dialog_of_owner() {
  xprop -id "$2" _NET_WM_WINDOW_TYPE | grep -q _NET_WM_WINDOW_TYPE_DIALOG ||
    { echo "captions: the $1 is not typed as a dialog" >&2; failures=$((failures + 1)); }
  xprop -id "$2" WM_TRANSIENT_FOR | grep -q "window id" ||
    { echo "captions: the $1 is transient for no window" >&2; failures=$((failures + 1)); }
}
expect() {
  if [ "$2" != "$3" ]; then
    echo "captions: $1: expected '$3', the window manager shows '$2'" >&2
    failures=$((failures + 1))
  fi
}

main=$(caption_of "Untitled") || { echo "captions: the main window did not appear" >&2; exit 1; }
expect "main window" "$main" "Untitled - ЗЕЛМ-dare (Проект ЗЕЛМ)"
window=$(xdotool search --onlyvisible --name "Untitled" | head -1)
# Whether the window $1 has its icon (waited for a moment: a busy machine may map it first).
has_icon() {
  for _ in $(seq 50); do
    xprop -id "$1" _NET_WM_ICON 2>/dev/null | grep -q 'Icon (16 x 16)' && return 0
    sleep 0.1
  done
  return 1
}
has_icon "$window" || { echo "captions: the main window has no icon" >&2; failures=$((failures + 1)); }
xprop -id "$window" WM_CLASS | grep -q '"zelm"' || { echo "captions: the main window's WM_CLASS is not zelm" >&2; failures=$((failures + 1)); }
xdotool windowactivate --sync "$window" >/dev/null 2>&1
# The about box: menu "Помощь", its last item.
xdotool key --window "$window" alt+F10 >/dev/null 2>&1
xdotool mousemove --window "$window" 244 10 click 1
sleep 0.5
xdotool key Up Return
sleep 1
about=$(caption_of "Проект ЗЕЛМ)$" 2>/dev/null | grep -v '^Untitled' | head -1)
expect "about box" "$about" "ЗЕЛМ-dare (Проект ЗЕЛМ)"
about_window=$(xdotool search --onlyvisible --name "Проект ЗЕЛМ)$" | grep -vx "$window" | tail -1)
[ -n "$about_window" ] && centred "about box" "$about_window" && dialog_of_owner "about box" "$about_window"
xdotool key Escape
sleep 0.5
# The word window: the single note of the tool bar on the word typed into the word box.
xdotool mousemove --window "$window" 300 36 click 1
xdotool type --delay 20 "kot"
xdotool mousemove --window "$window" 411 36 click 1
word=$(caption_of "Фоносемантическая оценка слова")
expect "word window" "$word" "Фоносемантическая оценка слова  (проект ЗЕЛМ)  © ЗЕЛМ"
word_window="$(xdotool search --onlyvisible --name "Фоносемантическая оценка слова" | tail -1)"
has_icon "$word_window" || { echo "captions: the word window has no icon" >&2; failures=$((failures + 1)); }
# A fixed-size dialog: the window manager is asked for no minimise or maximise button and
# allows no maximising.
functions=$(xprop -id "$word_window" _MOTIF_WM_HINTS | sed -n 's/.*= 0x[0-9a-f]*, \(0x[0-9a-f]*\),.*/\1/p')
if [ -z "$functions" ] || [ $((functions & 0x18)) -ne 0 ] || [ $((functions & 0x20)) -eq 0 ]; then
  echo "captions: the word window asks for the functions '$functions' (want close, no minimise or maximise)" >&2
  failures=$((failures + 1))
fi
if xprop -id "$word_window" _NET_WM_ALLOWED_ACTIONS | grep -q MAXIMIZE; then
  echo "captions: the word window can be maximised" >&2
  failures=$((failures + 1))
fi
dialog_of_owner "word window" "$word_window"
# Centred on the screen, its frame included.
sleep 0.5
centred "word window" "$word_window"
# Minimised after all, it comes back when its owner is activated.
xdotool windowminimize "$word_window" 2>/dev/null
sleep 0.5
xdotool windowactivate "$window" 2>/dev/null
sleep 0.5
xdotool search --onlyvisible --name "Фоносемантическая оценка слова" >/dev/null ||
  { echo "captions: a minimised word window did not come back with the main window" >&2; failures=$((failures + 1)); }
xdotool windowactivate --sync "$word_window" >/dev/null 2>&1
xdotool key Escape
sleep 0.5
# The print settings dialog, before a print (into a file: ZELM_PRINT_PDF).
xdotool mousemove --window "$window" 91 36 click 1
settings=$(caption_of "Параметры печати") || settings=""
expect "print settings" "$settings" "Параметры печати"
settings_window=$(xdotool search --onlyvisible --name "Параметры печати" | tail -1)
[ -n "$settings_window" ] && centred "print settings dialog" "$settings_window"
xdotool key Escape
[ "$failures" -eq 0 ] && echo "captions under Xvfb: all as their windows set them, with the icon; the about box, the word window and the print settings centred"
[ "$failures" -eq 0 ]
