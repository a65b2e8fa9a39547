#!/usr/bin/env bash
# What a screen reader sees (AT-SPI, in a D-Bus session of its own, under Xvfb with openbox): the
# tool-bar buttons' names, then the word window's chart as a table, its comment and colour strip.
# Usage: atspi-under-xvfb.sh ZELM   (runs itself inside dbus-run-session)
set -uo pipefail
if [ -z "${ZELM_ATSPI_SESSION:-}" ]; then
  ZELM_ATSPI_SESSION=1 exec dbus-run-session -- "$0" "$@" 2>/dev/null
fi
zelm="$1"
here="$(dirname "$0")"
source "$here/xvfb-openbox.sh"
/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
bus=$!
# The accessibility bus answers once the launcher has it up (asking starts the registry too).
bus_up() { /usr/bin/python3 -c "import pyatspi; pyatspi.Registry.getDesktop(0).childCount" >/dev/null 2>&1; }
wait_until 60 bus_up || { echo "atspi: the accessibility bus did not start" >&2; exit 1; }
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$zelm" >/dev/null 2>&1 &
app=$!
cleanup() { kill "$app" "$bus" "$wm" "$xvfb" 2>/dev/null; wait 2>/dev/null; }
trap cleanup EXIT
/usr/bin/python3 "$here/atspi_check.py" main || exit 1
# The word button opens the word window (a click: an accessible action would wait for the window).
window=$(xdotool search --onlyvisible --name "Untitled" | head -1)
xdotool windowactivate --sync "$window" >/dev/null 2>&1
xdotool mousemove --window "$window" 411 36 click 1
# atspi_check.py waits for the window's table to appear on the bus.
/usr/bin/python3 "$here/atspi_check.py" word || exit 1
echo "atspi: the buttons are named; the word window's chart reads as a table"
