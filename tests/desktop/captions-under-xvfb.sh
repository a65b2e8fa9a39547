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

# The newest visible window whose caption contains $1, other than the window $2 (waited for).
window_named() {
  local found=""
  find_it() { found=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | grep -vx "${2:-none}" | tail -1); [ -n "$found" ]; }
  wait_until 30 find_it "$1" "${2:-}" || return 1
  echo "$found"
}
# The caption of a window as the window manager has it.
caption() { xprop -id "$1" _NET_WM_NAME | sed -n 's/^_NET_WM_NAME(UTF8_STRING) = "\(.*\)"$/\1/p'; }
caption_of() { local w; w=$(window_named "$@") || return 1; caption "$w"; }
# Whether the window $1 is mapped and shown (a window that has been closed or minimised is not).
viewable() { xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'; }
gone() { ! viewable "$1"; }
# Clicks at $2,$3 in the main window until a window named $1 appears (a busy program may miss a
# click that comes while it is still closing a window); prints the window.
click_until() {
  local w=""
  for _ in $(seq 6); do
    w=$(newest_named "$1") && { echo "$w"; return 0; }
    xdotool mousemove --window "$window" "$2" "$3" click 1
    wait_until 10 newest_named "$1" >/dev/null && { newest_named "$1"; return 0; }
  done
  return 1
}
newest_named() { local f; f=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | tail -1); [ -n "$f" ] && echo "$f"; }
# Whether a pop-up menu of the program is open.
menu_open() {
  local w
  for w in $(xdotool search --onlyvisible --class zelm 2>/dev/null); do
    xprop -id "$w" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q _NET_WM_WINDOW_TYPE_POPUP_MENU && return 0
  done
  return 1
}
# Fails the test when the window $2 (named $1) does not come to stand centred within a few seconds.
centred() {
  if ! wait_until 5 at_centre "$2"; then
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

window=$(window_named "Untitled") || { echo "captions: the main window did not appear" >&2; exit 1; }
expect "main window" "$(caption "$window")" "Untitled - ЗЕЛМ-dare (Проект ЗЕЛМ)"
# Whether the window $1 has its icon (waited for a moment: a busy machine may map it first).
icon_set() { xprop -id "$1" _NET_WM_ICON 2>/dev/null | grep -q 'Icon (16 x 16)'; }
has_icon() { wait_until 30 icon_set "$1"; }
has_icon "$window" || { echo "captions: the main window has no icon" >&2; failures=$((failures + 1)); }
xprop -id "$window" WM_CLASS | grep -q '"zelm"' || { echo "captions: the main window's WM_CLASS is not zelm" >&2; failures=$((failures + 1)); }
xdotool windowactivate --sync "$window" >/dev/null 2>&1
# The about box: menu "Помощь", its last item (clicked again should a busy program miss a click).
open_help_menu() { menu_open || xdotool mousemove --window "$window" 244 10 click 1; wait_until 5 menu_open; }
wait_until 60 open_help_menu || { echo "captions: the menu Помощь did not open" >&2; exit 1; }
xdotool key Up Return
about_window=$(window_named "Проект ЗЕЛМ)$" "$window") || about_window=""
about=""
[ -n "$about_window" ] && about=$(caption "$about_window")
expect "about box" "$about" "ЗЕЛМ-dare (Проект ЗЕЛМ)"
[ -n "$about_window" ] && centred "about box" "$about_window" && dialog_of_owner "about box" "$about_window"
xdotool key Escape
[ -n "$about_window" ] && { wait_until 30 gone "$about_window" || echo "captions: the about box did not close" >&2; }
# The word window: the single note of the tool bar on the word typed into the word box.
xdotool mousemove --window "$window" 300 36 click 1
xdotool type --delay 20 "kot"
word_window=$(click_until "Фоносемантическая оценка слова" 411 36) || { echo "captions: the word window did not appear" >&2; exit 1; }
expect "word window" "$(caption "$word_window")" "Фоносемантическая оценка слова  (проект ЗЕЛМ)  © ЗЕЛМ"
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
centred "word window" "$word_window"
# Minimised after all, it comes back when its owner is activated.
xdotool windowminimize "$word_window" 2>/dev/null
wait_until 30 gone "$word_window" || echo "captions: the word window could not be minimised" >&2
xdotool windowactivate "$window" 2>/dev/null
wait_until 30 viewable "$word_window" ||
  { echo "captions: a minimised word window did not come back with the main window" >&2; failures=$((failures + 1)); }
xdotool windowactivate --sync "$word_window" >/dev/null 2>&1
xdotool key Escape
wait_until 30 gone "$word_window" || { echo "captions: the word window did not close" >&2; exit 1; }
# Enter in the word box opens it as the note does (clicked and pressed again when a busy program
# missed them while the last window was closing).
entered=""
for _ in $(seq 6); do
  entered=$(newest_named "Фоносемантическая оценка слова") && break
  xdotool windowactivate --sync "$window" >/dev/null 2>&1
  xdotool mousemove --window "$window" 300 36 click 1
  xdotool key End Return
  wait_until 10 newest_named "Фоносемантическая оценка слова" >/dev/null && entered=$(newest_named "Фоносемантическая оценка слова") && break
done
if [ -n "$entered" ]; then
  xdotool windowactivate --sync "$entered" >/dev/null 2>&1
  xdotool key Escape
  wait_until 30 gone "$entered" || { echo "captions: the word window opened by Enter did not close" >&2; exit 1; }
else
  echo "captions: Enter in the word box opened no word window" >&2
  failures=$((failures + 1))
fi
# The print settings dialog, before a print (into a file: ZELM_PRINT_PDF).
settings_window=$(click_until "Параметры печати" 91 36) || settings_window=""
settings=""
[ -n "$settings_window" ] && settings=$(caption "$settings_window")
expect "print settings" "$settings" "Параметры печати"
[ -n "$settings_window" ] && centred "print settings dialog" "$settings_window"
xdotool key Escape
# `zelm FILE` opens a file whose name is not UTF-8 (Windows-1251 «Привет.txt»), shown readably.
folder=$(mktemp -d)
printf 'old' > "$folder/"$'\xcf\xf0\xe8\xe2\xe5\xf2.txt'
"$zelm" "$folder/"$'\xcf\xf0\xe8\xe2\xe5\xf2.txt' >/dev/null 2>&1 &
second=$!
opened=$(caption_of "Привет.txt" "$window") || opened=""
expect "a file named in Windows-1251" "$opened" "Привет.txt - ЗЕЛМ-dare (Проект ЗЕЛМ)"
kill "$second" 2>/dev/null
rm -rf "$folder"
[ "$failures" -eq 0 ] && echo "captions under Xvfb: all as their windows set them, with the icon; the about box, the word window and the print settings centred"
[ "$failures" -eq 0 ]
