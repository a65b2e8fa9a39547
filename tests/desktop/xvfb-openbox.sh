# Sourced by the desktop scripts: starts Xvfb (1280 x 1024, a display number of its own) and openbox
# on it, exports DISPLAY, and sets `xvfb` and `wm` to their process ids.
number_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$number_file" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 50); do [ -s "$number_file" ] && break; sleep 0.1; done
export DISPLAY=":$(head -1 "$number_file")"
rm -f "$number_file"
openbox >/dev/null 2>&1 &
wm=$!
sleep 1 # the window manager manages the windows that follow
