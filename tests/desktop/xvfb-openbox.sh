# Sourced by the desktop scripts: starts Xvfb (1280 x 1024, a display number of its own) and openbox
# on it, exports DISPLAY, and sets `xvfb` and `wm` to their process ids. Gives them `wait_until`
# and `at_centre`:
# nothing here sleeps a fixed time, since a busy machine may take seconds for any step.

source "$(dirname "${BASH_SOURCE[0]}")/wait.sh"

number_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$number_file" >/dev/null 2>&1 &
xvfb=$!
wait_until 60 test -s "$number_file" || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -1 "$number_file")"
rm -f "$number_file"
wm_log=$(mktemp)
start_wm() { openbox >"$wm_log" 2>&1 & wm=$!; }
start_wm
# The window manager manages the windows that follow once it has announced itself on the root. One
# that gave up (a busy X server can be slow to answer it at first) is started again.
wm_ready() {
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
  kill -0 "$wm" 2>/dev/null || start_wm
  return 1
}
wait_until 120 wm_ready || { echo "openbox did not start: $(cat "$wm_log")" >&2; exit 1; }
rm -f "$wm_log"

# Whether the window $1 stands centred on the 1280 x 1024 screen, its frame included (the frame
# as the window manager gives it: waited for until the window is managed).
dx="" dy=""
at_centre() {
  local x y w h frame fl fr ft fb left top width height
  read -r x y w h < <(xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
    /^  Width/ {w=$2} /^  Height/ {h=$2} END {print x, y, w, h}')
  frame=$(xprop -id "$1" _NET_FRAME_EXTENTS | sed -n 's/.*= //p' | tr -d ' ')
  IFS=, read -r fl fr ft fb <<<"${frame:-0,0,0,0}"
  case "$fl$fr$ft$fb" in *[!0-9]*) fl=0 fr=0 ft=0 fb=0 ;; esac
  left=$((x - fl)); top=$((y - ft)); width=$((w + fl + fr)); height=$((h + ft + fb))
  [ -n "$frame" ] || return 1
  dx=$((left + width / 2 - 640)); dy=$((top + height / 2 - 512))
  [ "${dx#-}" -le 1 ] && [ "${dy#-}" -le 1 ]
}
