# Sourced by the desktop scripts. Nothing there sleeps a fixed time to let a step happen, since a
# busy machine may take seconds for any step: they wait for what they need, with a deadline.

# wait_until SECONDS COMMAND...: runs COMMAND every tenth of a second until it succeeds; fails when
# it has not within SECONDS.
wait_until() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    [ "$SECONDS" -ge "$deadline" ] && return 1
    sleep 0.1
  done
}
