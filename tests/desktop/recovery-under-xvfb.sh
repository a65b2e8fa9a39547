#!/usr/bin/env bash
# Typed text survives a kill: the program is killed with SIGKILL while the user types, the
# recovery file holds what was typed, the next start offers it back, and SIGTERM then ends the
# program cleanly with the text kept again.
# Usage: recovery-under-xvfb.sh ZELM
set -uo pipefail
zelm="$1"
state=$(mktemp -d)
source "$(dirname "$0")/xvfb-openbox.sh"
export XDG_STATE_HOME="$state" ZELM_RECOVERY_DELAY_MS=300
app=""
cleanup() { kill -9 $app 2>/dev/null; kill "$wm" "$xvfb" 2>/dev/null; wait 2>/dev/null; rm -rf "$state"; }
trap cleanup EXIT
fail() { echo "recovery: $*" >&2; exit 1; }

window_named() {
  for _ in $(seq 100); do
    xdotool search --onlyvisible --name "$1" 2>/dev/null | tail -1 && return 0
    sleep 0.1
  done
  return 1
}
# The recovery files, and whether one holds $1.
holding() { grep -rlF -- "$1" "$state/zelm" 2>/dev/null; }

"$zelm" >/dev/null 2>&1 &
app=$!
main=$(window_named "Untitled") || fail "the main window did not appear"
xdotool windowactivate --sync "$main" >/dev/null 2>&1
xdotool mousemove --window "$main" 300 200 click 1
xdotool type --delay 20 "typed before the kill"
sleep 1.5
kill -9 "$app"
wait "$app" 2>/dev/null
[ -n "$(holding "typed before the kill")" ] || fail "no recovery file holds the typed text after SIGKILL"

# The next start offers it; Enter takes the default, "Восстановить".
"$zelm" >/dev/null 2>&1 &
app=$!
main=$(window_named "Untitled") || fail "the second start did not show its window"
for _ in $(seq 50); do
  offer=$(xdotool search --onlyvisible --name "ЗЕЛМ-dare" 2>/dev/null | grep -vx "$main" | tail -1)
  [ -n "$offer" ] && break
  sleep 0.1
done
[ -n "$offer" ] || fail "the second start did not offer the text back"
xdotool windowactivate --sync "$offer" >/dev/null 2>&1
xdotool key Return
sleep 1
files=$(holding "typed before the kill")
[ "$(echo "$files" | wc -l)" = 1 ] || fail "expected the text in one recovery file, found: $files"
case "$files" in *"recovery-$app.txt") ;; *) fail "the restored text is not in the new program's recovery file: $files" ;; esac

# SIGTERM: the text is kept and the program ends cleanly.
kill -TERM "$app"
wait "$app"
status=$?
[ "$status" = 0 ] || fail "SIGTERM ended the program with status $status"
[ -n "$(holding "typed before the kill")" ] || fail "SIGTERM lost the recovery file"
echo "recovery: SIGKILL, restore and SIGTERM kept the typed text"
