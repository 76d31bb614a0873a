#!/bin/bash
# The score server under load (build/bench/scores_load), on SQLite and on a
# PostgreSQL server of its own (initdb in a temporary folder, a private
# socket; as root it runs as "nobody").
#   bench/scores_load.sh [BUILD [GAMES [CLIENTS [FORGED]]]]
set -euo pipefail
build=${1:-build} games=${2:-24} clients=${3:-8} forged=${4:-6}
work=$(mktemp -d)
chmod 755 "$work"
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  [ -n "${pgbin:-}" ] && as_pg "$pgbin/pg_ctl" -D "$work/pg/data" -m immediate stop >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT
as_pg() { if [ "$(id -u)" = 0 ]; then runuser -u nobody -- "$@"; else "$@"; fi; }

serve() {  # DB PORT
  "$build/duskwhirl-scores" --listen "127.0.0.1:$2" --db "$1" --data "$build/gamedata.res" --per-hour 0 \
    --scratch "$work" 2>"$work/server-$2.log" &
  pids+=($!)
  for _ in $(seq 100); do curl -sf "http://127.0.0.1:$2/api/v1/health" >/dev/null && return; sleep 0.2; done
  echo "the server did not start:"; cat "$work/server-$2.log"; exit 1
}

echo "== SQLite"
serve "sqlite:$work/scores.db" 18191
"$build/bench/scores_load" http://127.0.0.1:18191 "$games" "$clients" "$forged"

pgbin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1)
if [ -z "$pgbin" ]; then echo "== PostgreSQL: not installed (Debian's postgresql)"; exit 0; fi
echo "== PostgreSQL"
mkdir -p "$work/pg" && chown nobody "$work/pg" 2>/dev/null || true
as_pg "$pgbin/initdb" -D "$work/pg/data" -U scores -A trust --no-sync >/dev/null
as_pg "$pgbin/pg_ctl" -D "$work/pg/data" -l "$work/pg/log" -w -o "-k $work/pg -c listen_addresses= -F" start >/dev/null
serve "postgresql://scores@/postgres?host=$work/pg" 18192
"$build/bench/scores_load" http://127.0.0.1:18192 "$games" "$clients" "$forged"
