#!/usr/bin/env bash
# Runs a desktop test TIMES times in a row while two busy loops keep both cores of the machine
# busy, and fails at the first run that fails: a test that races shows only now and then, and
# most on a busy machine. Usage: under-load.sh TIMES SCRIPT [ARGUMENTS...]
set -uo pipefail
times="$1"
shift
busy=()
for _ in 1 2; do
  yes >/dev/null &
  busy+=($!)
done
trap 'kill "${busy[@]}" 2>/dev/null; wait 2>/dev/null' EXIT
for ((run = 1; run <= times; run++)); do
  if ! out=$("$@" 2>&1); then
    echo "$out" >&2
    echo "under load: $(basename "$1") failed in run $run of $times" >&2
    exit 1
  fi
done
echo "under load: $(basename "$1") passed $times times in a row; last run: $out"
