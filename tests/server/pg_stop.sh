#!/usr/bin/env bash
# Stops the server started by pg_start.sh and removes its data.
set -uo pipefail
state=${1:?usage: pg_stop.sh STATE_DIR}
[ -f "$state/data" ] || exit 0
data=$(cat "$state/data")
bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
as=()
[ "$(id -u)" -eq 0 ] && as=(runuser -u postgres --)
if [ -d "$data/db" ]; then
  (cd "$data" && timeout 60 "${as[@]}" "$bin/pg_ctl" -D "$data/db" -m immediate -w -t 30 stop >/dev/null 2>&1)
fi
case "$data" in /tmp/vorenn-pg.*) rm -rf "$data" ;; esac
rm -rf "$state"
exit 0
