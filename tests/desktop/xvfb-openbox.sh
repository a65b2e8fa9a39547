# Sourced by the desktop scripts: starts Xvfb (1280 x 1024, a display number of its own) and openbox
# on it, exports DISPLAY, and sets `xvfb` and `wm` to their process ids. Gives them `wait_until`:
# nothing here sleeps a fixed time, since a busy machine may take seconds for any step.

source "$(dirname "${BASH_SOURCE[0]}")/wait.sh"

number_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$number_file" >/dev/null 2>&1 &
xvfb=$!
wait_until 60 test -s "$number_file" || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -1 "$number_file")"
rm -f "$number_file"
openbox >/dev/null 2>&1 &
wm=$!
# The window manager manages the windows that follow once it has announced itself on the root.
wm_ready() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
wait_until 60 wm_ready || { echo "openbox did not start" >&2; exit 1; }
