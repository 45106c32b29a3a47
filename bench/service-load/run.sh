#!/usr/bin/env bash
# Load benchmark of zarnik-service on loopback: 200 members signed in once, then each sends
# "heartbeat" and "gettasklist" at the top of every second for 20 seconds against a pool of
# 50 tasks. Usage: bench/service-load/run.sh [BUILD_DIR] [SECONDS] [THREADS]
set -euo pipefail
cd "$(dirname "$0")/../.."
build="${1:-build/default}"
seconds="${2:-20}"
threads="${3:-4}"
service="$build/companions/service/zarnik-service"
load="$build/bench/service-load/zarnik-service-load"
members=200
owners=5
tasks_per_owner=10
password="load-pass"

for program in "$service" "$load"; do
  [[ -x "$program" ]] || { echo "missing $program: build the targets zarnik-service and zarnik-service-load" >&2; exit 2; }
done

work="$(mktemp -d)"
service_pid=""
cleanup() {
  if [[ -n "$service_pid" ]] && kill -0 "$service_pid" 2>/dev/null; then
    kill -TERM "$service_pid"
    wait "$service_pid" || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

db="$work/service.db"
echo "creating $members members and $((owners * tasks_per_owner)) tasks in $db ..."
for ((i = 0; i < members; i++)); do
  "$service" --db "$db" adduser "$(printf 'load%03d' "$i")" "$password" >/dev/null
done
for ((o = 0; o < owners; o++)); do
  "$service" --db "$db" adduser "owner$o" "$password" --lifetime >/dev/null
  for ((t = 0; t < tasks_per_owner; t++)); do
    "$service" --db "$db" addtask "owner$o" "关键词 $o-$t" "http://item.example/$o/$t" "goods-$o-$t" 500 >/dev/null
  done
done

"$service" --db "$db" serve --listen 127.0.0.1:0 --threads "$threads" >"$work/out.txt" 2>"$work/requests.log" &
service_pid=$!
port=""
for _ in $(seq 1 500); do
  port="$(sed -n 's/^listening on 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$work/out.txt")"
  [[ -n "$port" ]] && break
  sleep 0.01
done
[[ -n "$port" ]] || { echo "the service did not start" >&2; cat "$work/requests.log" >&2; exit 1; }
echo "service on port $port with $threads threads; running $seconds bursts ..."

status=0
timeout $((seconds + 120)) "$load" --url "http://127.0.0.1:$port/userapi.php" --members "$members" \
  --prefix load --password "$password" --seconds "$seconds" --expect-pool $((owners * tasks_per_owner)) || status=$?
kill -TERM "$service_pid"
wait "$service_pid" || true
service_pid=""
echo "service log: $(grep -c ' /userapi.php ' "$work/requests.log") request lines"
if [[ $status -ne 0 ]]; then
  kept="${TMPDIR:-/tmp}/zarnik-service-load-$$.log"
  cp "$work/requests.log" "$kept"
  echo "service log kept in $kept"
fi
exit $status
