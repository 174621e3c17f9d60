#!/usr/bin/env bash
# Restarts the PostgreSQL server started by pg_start.sh STATE, as an operator's restart would:
# every client connection is dropped, the data and the port stay.
set -euo pipefail
state=${1:?usage: pg_restart.sh STATE_DIR}
data=$(cat "$state/data")
bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
as=()
[ "$(id -u)" -eq 0 ] && as=(runuser -u postgres --)
cd "$data"
timeout 60 "${as[@]}" "$bin/pg_ctl" -D "$data/db" -l "$data/server.log" -m fast -w -t 30 restart >/dev/null
