#!/usr/bin/env bash
# Starts a throw-away PostgreSQL server for the storage tests: initdb in a temporary folder, the
# server on a loopback port, trust authentication. Writes the connection URL to STATE/url.
# PostgreSQL refuses to run as root, so as root everything runs as the `postgres` user.
# Tests run it with fsync off (nothing they write must outlive the machine); PG_DURABLE=yes keeps
# fsync and synchronous commit on, for measurements that compare it with a store that syncs.
set -euo pipefail
state=${1:?usage: pg_start.sh STATE_DIR}
bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
if [ -z "$bin" ] || [ ! -x "$bin/initdb" ]; then
  echo "pg_start: PostgreSQL server programs not found under /usr/lib/postgresql" >&2
  exit 1
fi

# A server this state still names (a repeated run: ctest --repeat sets the fixture up again
# without cleaning up in between) is stopped first, or it would run on unnoticed.
"$(dirname "$0")/pg_stop.sh" "$state"
mkdir -p "$state"
data=$(mktemp -d /tmp/vorenn-pg.XXXXXX)
echo "$data" >"$state/data"
as=()
if [ "$(id -u)" -eq 0 ]; then
  chown postgres: "$data"
  as=(runuser -u postgres --)
fi
cd "$data"

timeout 60 "${as[@]}" "$bin/initdb" -D "$data/db" -U vorenn --auth=trust -E UTF8 --no-locale \
  >"$data/initdb.log" 2>&1 || { cat "$data/initdb.log" >&2; exit 1; }

durability="-c fsync=off"
[ "${PG_DURABLE:-no}" = yes ] && durability="-c fsync=on -c synchronous_commit=on"

for attempt in 1 2 3 4 5 6 7 8; do
  port=$((20000 + RANDOM % 30000))
  if timeout 60 "${as[@]}" "$bin/pg_ctl" -D "$data/db" -l "$data/server.log" -w -t 30 \
      -o "-c listen_addresses=127.0.0.1 -p $port -k $data $durability -c max_connections=200" \
      start >/dev/null 2>&1; then
    echo "postgresql://vorenn@127.0.0.1:$port/postgres" >"$state/url"
    echo "pg_start: PostgreSQL on 127.0.0.1:$port (data in $data)"
    exit 0
  fi
  echo "pg_start: attempt $attempt on port $port failed" >&2
done
tail -n 20 "$data/server.log" >&2 || true
exit 1
