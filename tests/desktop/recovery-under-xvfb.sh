#!/usr/bin/env bash
# Typed text survives a kill: the program is killed with SIGKILL while the user types, the
# recovery file holds what was typed, the next start offers it back, and SIGTERM then ends the
# program cleanly with the text kept again. Two editors in pid namespaces of their own (both pid
# 1, as in sandboxes) crash; the next start offers both texts. With nowhere to keep the text,
# SIGTERM ends with status 1 and says what was lost.
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

newest_window() {
  local found
  found=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | grep -vx "${2:-none}" | tail -1)
  [ -n "$found" ] && echo "$found"
}
window_named() { wait_until 60 newest_window "$@" >/dev/null && newest_window "$@"; }
# The recovery files, and whether one holds $1.
holding() { grep -rlF -- "$1" "$state/zelm" 2>/dev/null; }
held() { [ -n "$(holding "$1")" ]; }
# Types $1 into the newest editor (other than the window $2) and waits until it is kept; sets
# `main` to its window.
type_and_keep() {
  main=$(window_named "Untitled" "${2:-}") || fail "the main window did not appear"
  xdotool windowactivate --sync "$main" >/dev/null 2>&1
  xdotool mousemove --window "$main" 300 200 click 1
  xdotool type --delay 20 "$1"
  wait_until 60 held "$1" || fail "no recovery file holds «$1»"
}

"$zelm" >/dev/null 2>&1 &
app=$!
type_and_keep "typed before the kill"
first=$(holding "typed before the kill")
kill -9 "$app"
wait "$app" 2>/dev/null

# The next start offers it; Enter takes the default, "Восстановить".
"$zelm" >/dev/null 2>&1 &
app=$!
main=$(window_named "Untitled") || fail "the second start did not show its window"
offer=$(window_named "ЗЕЛМ-dare" "$main") || fail "the second start did not offer the text back"
# Asked once the main window stands maximized, so that the question stands centred on it.
wait_until 10 at_centre "$offer" || fail "the recovery question stands off the main window's centre by $dx, $dy"
xdotool windowactivate --sync "$offer" >/dev/null 2>&1
xdotool key Return
# Kept in the new run's own file, the crashed run's file removed.
moved() { local f; f=$(holding "typed before the kill"); [ -n "$f" ] && [ "$f" != "$first" ] && [ "$(echo "$f" | wc -l)" = 1 ]; }
wait_until 60 moved || fail "the restored text is not in one new recovery file: $(holding "typed before the kill")"

# SIGTERM: the text is kept and the program ends cleanly.
kill -TERM "$app"
wait "$app"
status=$?
[ "$status" = 0 ] || fail "SIGTERM ended the program with status $status"
held "typed before the kill" || fail "SIGTERM lost the recovery file"
rm -rf "$state/zelm"

# Two editors, each pid 1 of a namespace of its own, both killed: the next start offers both.
if unshare --pid --fork --mount-proc true 2>/dev/null; then
  # Both run at once, so that neither is offered the other's text.
  unshare --pid --fork --mount-proc --kill-child "$zelm" >/dev/null 2>&1 &
  app=$!
  type_and_keep "first sandbox"
  first_window=$main
  unshare --pid --fork --mount-proc --kill-child "$zelm" >/dev/null 2>&1 &
  app="$app $!"
  type_and_keep "second sandbox" "$first_window"
  kill -9 $app
  wait $app 2>/dev/null
  none_left() { ! xdotool search --onlyvisible --name Untitled >/dev/null 2>&1; }
  wait_until 30 none_left || fail "a killed editor stayed"
  "$zelm" >/dev/null 2>&1 &
  app=$!
  main=$(window_named "Untitled") || fail "the start after two crashes did not show its window"
  offer=$(window_named "ЗЕЛМ-dare" "$main") || fail "the start after two crashes offered nothing"
  xdotool windowactivate --sync "$offer" >/dev/null 2>&1
  xdotool key Return   # the first restored
  second_offer() { local w; w=$(newest_window "ЗЕЛМ-dare" "$main") && [ "$w" != "$offer" ]; }
  wait_until 60 second_offer || fail "the second crashed editor's text was not offered in the same start"
  kill -9 "$app"
  wait "$app" 2>/dev/null
  rm -rf "$state/zelm"
else
  echo "recovery: pid namespaces are not allowed here; the sandbox case is skipped"
fi

# Nowhere to keep the text: SIGTERM ends with status 1 and names what was lost.
blocker="$state/blocker"
: >"$blocker"
errors="$state/errors"
XDG_STATE_HOME="$blocker" XDG_CACHE_HOME="$blocker" XDG_RUNTIME_DIR="$blocker" TMPDIR="$blocker" \
  "$zelm" >/dev/null 2>"$errors" &
app=$!
main=$(window_named "Untitled") || fail "the start without a recovery folder did not show its window"
xdotool windowactivate --sync "$main" >/dev/null 2>&1
xdotool mousemove --window "$main" 300 200 click 1
xdotool type --delay 20 "nowhere to go"
warning=$(window_named "ЗЕЛМ-dare" "$main") || fail "no message said that the text cannot be kept"
kill -TERM "$app"
wait "$app"
status=$?
[ "$status" = 1 ] || fail "SIGTERM with the text kept nowhere ended with status $status"
grep -q "could not be kept" "$errors" || fail "SIGTERM with the text kept nowhere said: $(cat "$errors")"
echo "recovery: SIGKILL, restore and SIGTERM kept the typed text; two sandboxed crashes offered together; a text kept nowhere is reported"
