#!/usr/bin/env bash
# Runs the demo host and writes screenshots of its windows. Without SERVER the host runs its
# scripted meeting on the embedded conference: three participants in one meeting window, eight
# stages, each checked by the host and written as build/demo-<n>-<name>.png (the most telling one
# also as build/demo.png); the run fails when a stage does not show what it should. With
# SERVER=redis://host:port (or redis://:password@host:port) each participant is its own process on
# that server: Ann, Ben and Dee meet, Ann and Ben talk (privately too, and Ben's typing shows at
# Ann's), then Cy joins late and reads the conversation back (build/demo-<n>.png). A local server is started (and stopped again) when nothing answers at a
# loopback address.
set -euo pipefail
source "$(dirname "$0")/wine-session.sh"
server=${SERVER:-}
if [ -z "$server" ]; then
  shot="$build/demo.png"
  rm -f "$build"/demo-[0-9]-*.png "$build/demo-failed.png" "$shot"
  # Wine maps / to drive Z:. (winepath would start a session of the prefix without the display.)
  xvfb "$build/wine-run" "$build/bin/qxhost.exe" --script "Z:${build//\//\\}" --screenshot "Z:${shot//\//\\}" --exit
  echo "demo: every stage shown; screenshots:"
  ls "$build"/demo-[0-9]-*.png
  echo "demo: $shot"
  exit 0
fi
case "$server" in redis://*) ;; *) echo "demo: SERVER must be a redis:// address" >&2; exit 2 ;; esac
rest=${server#redis://}
password=""
case "$rest" in :*@*) password=${rest%@*}; password=${password#:} ;; esac
hostport=${rest##*@}
host=${hostport%:*}
port=${hostport##*:}
auth=()
[ -n "$password" ] && auth=(--no-auth-warning -a "$password")
if ! redis-cli -h "$host" -p "$port" "${auth[@]}" ping >/dev/null 2>&1; then
  case "$host" in 127.0.0.1 | localhost) ;; *) echo "demo: nothing answers at $host:$port" >&2; exit 1 ;; esac
  data="$build/redis-demo"
  mkdir -p "$data"
  extra=()
  [ -n "$password" ] && extra=(--requirepass "$password")
  redis-server --port "$port" --bind 127.0.0.1 --daemonize yes --pidfile "$data/redis.pid" --dir "$data" \
    --logfile "$data/redis.log" --appendonly yes "${extra[@]}"
  trap 'kill "$(cat "$data/redis.pid")" 2>/dev/null || true; stop_wine' EXIT
  for _ in $(seq 100); do redis-cli -h "$host" -p "$port" "${auth[@]}" ping >/dev/null 2>&1 && break; sleep 0.05; done
  echo "demo: started redis-server on $host:$port (data in $data)"
fi
# A conference of its own, so that an earlier run's history (kept for a while) is not read back.
conference=$(( (RANDOM % 60000) + 1000 ))
export build server conference
# One script for the display's whole session: all processes share one Wine session. The screen
# is wide enough for the four windows side by side (each screenshot is of its own window).
xvfb-run -a -s "-screen 0 2400x1024x24" bash -c '
  run() {
    local shot="$build/demo-$1.png"
    "$build/wine-run" "$build/bin/qxhost.exe" --server "$server" --conference "$conference" \
      --participant "$1" --screenshot "Z:${shot//\//\\}" --exit
  }
  run 0 & ann=$!
  run 1 & ben=$!
  run 3; dee=$?
  wait $ann; ann=$?
  wait $ben; ben=$?
  [ $ann = 0 ] && [ $ben = 0 ] && [ $dee = 0 ] && run 2'
echo "demo: four processes held the conversation; screenshots in $build/demo-{0,1,2,3}.png"
