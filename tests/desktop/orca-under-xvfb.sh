#!/usr/bin/env bash
# What the screen reader says (Orca, from its debug log, speech itself off) under Xvfb with
# openbox: the word window opened by Enter in the word box, its chart's rows as the arrow keys
# reach them, and the whole comment by Tab. Usage: orca-under-xvfb.sh ZELM
set -uo pipefail
if [ -z "${ZELM_ORCA_SESSION:-}" ]; then
  ZELM_ORCA_SESSION=1 exec dbus-run-session -- "$0" "$@" 2>/dev/null
fi
command -v orca >/dev/null || { echo "orca: not installed (package orca), skipped"; exit 0; }
zelm="$1"
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/xvfb-openbox.sh"
work=$(mktemp -d)
log="$work/orca.log"
/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
bus=$!
bus_up() { /usr/bin/python3 -c "import pyatspi; pyatspi.Registry.getDesktop(0).childCount" >/dev/null 2>&1; }
wait_until 60 bus_up || { echo "orca: the accessibility bus did not start"; exit 1; }
# Settings of its own, in memory; the log line-buffered (orca-site), so it holds all it said.
GSETTINGS_BACKEND=memory PYTHONPATH="$here/orca-site" orca -d speech -u "$work/prefs" --debug-file="$log" >/dev/null 2>&1 &
reader=$!
app=""
cleanup() { kill $app "$reader" "$bus" "$wm" "$xvfb" 2>/dev/null; wait 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT
said() { grep -F -q -- "SPEECH OUTPUT: '$1" "$log" 2>/dev/null; }
# Waits for the reader to say $2 (what the step $1 should make it say).
expect_said() {
  wait_until 60 said "$2" && return 0
  echo "orca: $1: it did not say '$2'; it said:"
  grep -o "SPEECH OUTPUT: '.*" "$log" | tail -15
  exit 1
}
wait_until 60 grep -q "ORCA: Launching" "$log" || { echo "orca: the screen reader did not start"; exit 1; }
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$zelm" >/dev/null 2>&1 &
app=$!
expect_said "the main window" "Текст документа"
window=$(xdotool search --onlyvisible --name "Untitled" | head -1)
xdotool windowactivate --sync "$window" >/dev/null 2>&1
xdotool mousemove --window "$window" 300 36 click 1
# The word goes in through the box's text on the bus: keys typed while the reader is busy may be
# lost on a loaded machine. Enter is a key.
/usr/bin/python3 "$here/atspi_check.py" fill || { echo "orca: the word box could not be filled"; exit 1; }
xdotool key Return
expect_said "the word window" "Фоносемантическая оценка слова"
expect_said "the word window's first row" "Хороший — Плохой: 34%, значимо."
xdotool key Down
expect_said "Down in the chart" "красивый — отталкивающий: -6%, незначимо."
xdotool key End
expect_said "End in the chart" "радостный — печальный: -7%, незначимо."
xdotool key Tab
expect_said "Tab to the comment" "Слово МО*РЕ производит впечатление чего-то  ХОРОШЕГО,  МОГУЧЕГО"
echo "orca: the word window's first row, the rows the arrow keys reach and the whole comment are said"
