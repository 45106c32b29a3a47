#!/usr/bin/env bash
# Runs the demo from a built `demo` preset: a fresh demo database, the service on the compiled-in
# loopback port, a run folder with the client and the stand-ins, the pipe listener; then the real
# client when there is a display, else the headless walkthrough. Stops all it started on the way out.
#   scripts/demo/demo.sh [--headless]     (--headless: the walkthrough even with a display)
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
build=$root/build/demo
run=$root/build/demo-run

headless=0
case "${1:-}" in
  --headless) headless=1 ;;
  "") ;;
  *) echo "usage: scripts/demo/demo.sh [--headless]" >&2; exit 2 ;;
esac
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
  headless=1
fi

service=$build/companions/service/zarnik-service
call=$build/tools/zarnik-call/zarnik-call
client=$build/src/app/zarnik
walkthrough=$build/tools/zarnik-walkthrough/zarnik-walkthrough
listener=$build/bin/zarnik-pipe-listener
for program in "$service" "$call" "$client" "$walkthrough" "$listener" "$build/bin/web.exe" "$build/bin/CCleaner.exe"; do
  [[ -x "$program" ]] || { echo "demo: $program is missing; build the demo preset first (scripts/run.sh)" >&2; exit 1; }
done
host=$(sed -n 's/^ZARNIK_API_HOST:STRING=//p' "$build/CMakeCache.txt")
port=$(sed -n 's/^ZARNIK_API_PORT:STRING=//p' "$build/CMakeCache.txt")

pids=()
demo_tmp=""
cleanup() {
  local status=$?
  # The client leaves a running worker behind by design; the demo's own worker goes too.
  for proc in /proc/[0-9]*; do
    if [[ "$(cat "$proc/comm" 2>/dev/null || true)" == web.exe
          && "$(readlink "$proc/cwd" 2>/dev/null || true)" == "$run/client" ]]; then
      kill "${proc#/proc/}" 2>/dev/null || true
    fi
  done
  for pid in "${pids[@]}"; do
    kill "$pid" 2>/dev/null || true
  done
  for pid in "${pids[@]}"; do
    wait "$pid" 2>/dev/null || true
  done
  if [[ -n "$demo_tmp" ]]; then
    rm -rf "$demo_tmp"
  fi
  exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

if (exec 3<>"/dev/tcp/$host/$port") 2>/dev/null; then
  echo "demo: $host:$port is already in use; stop what listens there (the demo's service needs it)" >&2
  exit 1
fi

echo "== Run folder $run"
rm -rf "$run"
mkdir -p "$run/client" "$run/screenshots"
cp "$client" "$build/bin/web.exe" "$build/bin/CCleaner.exe" "$run/client/"
# The pipe is a socket in the temp folder, and a socket's path must stay short.
demo_tmp=$(mktemp -d "${TMPDIR:-/tmp}/zarnik-demo.XXXXXX")
export TMPDIR=$demo_tmp

echo "== Demo database: members alice/alice123 and bob/bob123, two tasks each"
db=$run/service.db
"$service" --db "$db" adduser alice alice123 >/dev/null
"$service" --db "$db" adduser bob bob123 >/dev/null
"$service" --db "$db" addtask alice "保温杯" "https://item.taobao.com/item.htm?id=510001" 510001 20 >/dev/null
"$service" --db "$db" addtask alice "蓝牙耳机" "https://detail.tmall.com/item.htm?id=510002" 510002 10 >/dev/null
"$service" --db "$db" addtask bob "电热水壶" "https://item.taobao.com/item.htm?id=520001" 520001 15 >/dev/null
"$service" --db "$db" addtask bob "帆布背包" "https://detail.tmall.com/item.htm?id=520002" 520002 5 >/dev/null

echo "== Service on $host:$port (log: $run/service.log)"
"$service" --db "$db" serve --listen "$host:$port" >"$run/service.out" 2>"$run/service.log" &
pids+=($!)
for _ in $(seq 100); do
  grep -q '^listening on ' "$run/service.out" 2>/dev/null && break
  if ! kill -0 "${pids[-1]}" 2>/dev/null; then
    echo "demo: the service did not start (is $host:$port taken?):" >&2
    cat "$run/service.log" >&2
    exit 1
  fi
  sleep 0.2
done
grep -q '^listening on ' "$run/service.out" || { echo "demo: the service did not report its port" >&2; exit 1; }

echo "== Pipe listener on $TMPDIR/Zarnik (log: $run/listener.log)"
"$listener" >"$run/listener.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do
  [[ -S "$TMPDIR/Zarnik" ]] && break
  sleep 0.1
done
[[ -S "$TMPDIR/Zarnik" ]] || { echo "demo: the pipe listener did not start" >&2; exit 1; }

if [[ $headless -eq 0 ]]; then
  cat <<TEXT
== Starting the client ($run/client/zarnik)
Demo accounts:
  alice / alice123
  bob   / bob123
Sign in as either; the other member's tasks are your pool. Press "开始任务" to work them.
The demo ends when the client ends.
TEXT
  (cd "$run/client" && ./zarnik) &
  pids+=($!)
  wait "${pids[-1]}"
  exit 0
fi

echo "== No display: the walkthrough runs headless with the program's own timings"
echo "   member A = alice (through zarnik-call), member B = bob (the client)"
QT_QPA_PLATFORM=offscreen "$walkthrough" --run-dir "$run/client" --zarnik-call "$call" \
  --listener-log "$run/listener.log" --screenshots "$run/screenshots" \
  --member-a alice:alice123 --member-b bob:bob123 &
pids+=($!)
wait "${pids[-1]}"
