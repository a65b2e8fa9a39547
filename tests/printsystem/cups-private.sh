#!/usr/bin/env bash
# Starts a CUPS server of its own (private folders, a Unix socket, never the system's CUPS) with
# two cups-pdf queues, ZelmPDF (the default) and ZelmPDF2, and a test backend `zelmtest` for queues
# that fail the way real printers do: zelmtest:/hold asks CUPS to hold the job (exit 3),
# zelmtest:/retry to try it again later (exit 6; one retry, 2 s later, then CUPS aborts it),
# zelmtest:/slow takes a minute to print it.
# Usage: cups-private.sh start FOLDER  |  cups-private.sh stop FOLDER
# After start, FOLDER/env holds CUPS_SERVER=...; cups-pdf writes each job as a PDF into the
# printing user's ~/PDF (its /etc/cups/cups-pdf.conf), named after the job title and the job
# number; `lpstat -W completed -o` tells which queue took which job.
set -euo pipefail
command="$1"
dir="$(cd "$2" && pwd)"

if [ "$command" = stop ]; then
  # cupsd writes its configuration as it shuts down: wait until it has gone.
  if [ -f "$dir/run/cupsd.pid" ]; then
    pid="$(cat "$dir/run/cupsd.pid")"
    kill "$pid" 2>/dev/null || true
    for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  fi
  rm -rf "${dir:?}"/{conf,spool,cache,state,log,run,env,bin}
  exit 0
fi

command -v cupsd >/dev/null || { echo "cups-private: cupsd is not installed (package cups)" >&2; exit 1; }
[ -x /usr/lib/cups/backend/cups-pdf ] || { echo "cups-private: the cups-pdf backend is missing (package printer-driver-cups-pdf)" >&2; exit 1; }
mkdir -p "$dir"/{conf/ppd,spool/tmp,cache,state,log,run,bin/backend}
# The system's programs, with the test backend beside cups-pdf.
for part in /usr/lib/cups/*; do
  [ "$(basename "$part")" = backend ] || ln -sfn "$part" "$dir/bin/$(basename "$part")"
done
ln -sfn /usr/lib/cups/backend/cups-pdf "$dir/bin/backend/cups-pdf"
cat >"$dir/bin/backend/zelmtest" <<'BACKEND'
#!/bin/sh
[ $# -eq 0 ] && exit 0 # asked for devices: none to list
cat "${6:--}" >/dev/null
case "$DEVICE_URI" in
  */hold) echo "ERROR: the test printer holds every job" >&2; exit 3 ;;
  */retry) echo "ERROR: the test printer cannot be reached" >&2; exit 6 ;;
  */slow) sleep 60; exit 0 ;;
esac
exit 0
BACKEND
# The filters run as the user lp: they must reach the spool.
chmod 755 "$dir" "$dir"/* "$dir/bin/backend" "$dir/bin/backend/zelmtest"
chmod 1777 "$dir/spool/tmp"
cat >"$dir/conf/cupsd.conf" <<CONF
LogLevel warn
Listen $dir/run/cups.sock
Browsing Off
DefaultAuthType None
WebInterface No
JobRetryLimit 1
JobRetryInterval 2
<Location />
  Order allow,deny
  Allow all
</Location>
<Location /admin>
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order allow,deny
    Allow all
  </Limit>
</Policy>
CONF
cat >"$dir/conf/cups-files.conf" <<CONF
ServerRoot $dir/conf
RequestRoot $dir/spool
TempDir $dir/spool/tmp
CacheDir $dir/cache
StateDir $dir/state
ServerBin $dir/bin
DataDir /usr/share/cups
AccessLog $dir/log/access_log
ErrorLog $dir/log/error_log
PageLog $dir/log/page_log
Sandboxing Relaxed
FileDevice No
CONF
cupsd -c "$dir/conf/cupsd.conf" -s "$dir/conf/cups-files.conf" -f >"$dir/log/cupsd.out" 2>&1 &
echo $! >"$dir/run/cupsd.pid"
export CUPS_SERVER="$dir/run/cups.sock"
for _ in $(seq 100); do [ -S "$CUPS_SERVER" ] && lpstat -r >/dev/null 2>&1 && break; sleep 0.1; done
if ! lpstat -r >/dev/null 2>&1; then
  echo "cups-private: cupsd did not start; its log:" >&2
  cat "$dir/log/cupsd.out" "$dir/log/error_log" >&2 2>/dev/null || true
  exit 1
fi
for queue in ZelmPDF ZelmPDF2; do
  # Cairo turns the jobs into PostScript keeping their text searchable in the PDFs that arrive.
  lpadmin -p "$queue" -E -v cups-pdf:/ -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd \
    -o pdftops-renderer-default=pdftocairo 2>/dev/null
done
lpadmin -d ZelmPDF
echo "CUPS_SERVER=$CUPS_SERVER" >"$dir/env"
