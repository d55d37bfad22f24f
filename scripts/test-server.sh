#!/usr/bin/env bash
# A private PostgreSQL for the tests and benchmarks: a throw-away cluster in
# a temporary folder, on a free loopback port, run by an unprivileged
# account (nobody when we are root, since the server refuses to run as root).
#   test-server.sh start STATE [--durable]   starts it; STATE gets its URI and folder
#   test-server.sh stop STATE                stops it and removes its folder
#   test-server.sh run STATE PROGRAM ARGS... runs PROGRAM with LUMORA_TEST_SERVER set
# Without --durable the server skips fsync: the tests' books are thrown away.
set -euo pipefail
command=$1 state=$2
shift 2
bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
as=()
[ "$(id -u)" -eq 0 ] && as=(runuser -u nobody --)
case $command in
start)
  [ -n "$bin" ] || { echo "PostgreSQL is not installed (Debian package postgresql)" >&2; exit 1; }
  dir=$(mktemp -d /tmp/lumora-test-server.XXXXXX)
  [ "$(id -u)" -eq 0 ] && chown nobody "$dir"
  state=$(realpath -m "$state")
  cd "$dir" # the server's account may not enter the folder we were started in
  port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
  options="-h 127.0.0.1 -p $port -k $dir"
  [ "${1:-}" = --durable ] || options="$options -c fsync=off -c synchronous_commit=off -c full_page_writes=off"
  "${as[@]}" "$bin/initdb" -D "$dir/data" -U lumora -A trust -E UTF8 --locale=C.UTF-8 --no-sync >"$dir/initdb.log"
  "${as[@]}" "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 -o "$options" start >/dev/null
  printf "%s\n%s\n" "postgresql://lumora@127.0.0.1:$port/postgres?sslmode=disable&gssencmode=disable" "$dir" >"$state"
  ;;
stop)
  [ -f "$state" ] || exit 0
  dir=$(sed -n 2p "$state")
  cd "$dir"
  "${as[@]}" "$bin/pg_ctl" -D "$dir/data" -m fast -w stop >/dev/null || true
  rm -rf "$dir" "$state"
  ;;
run)
  LUMORA_TEST_SERVER=$(head -n 1 "$state") exec "$@"
  ;;
*)
  echo "usage: $0 start|stop|run STATE ..." >&2
  exit 2
  ;;
esac
