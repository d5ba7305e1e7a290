#!/usr/bin/env bash
# Runs every benchmark under Wine inside a virtual display, then prints one table: each figure's
# median and spread (interquartile range), its baseline measured in the same run, the ratio and
# the goal. Each benchmark's own lines come first.
#   ROSTER_BENCH_ARGS      participants, repetitions, "notrace"   (5000 5)
#   MESSAGE_BENCH_ARGS     round trips, burst size, "notrace"      (50 10000)
#   TRANSCRIPT_BENCH_ARGS  messages, repetitions                   (100000 9)
#   RECOVERY_BENCH_ARGS    stored items, repetitions               (50000 3)
#   LIST_BENCH_ITEMS       the large list's items                  (100000)
#   REDIS_BENCH_ARGS       round trips, fan-out messages, stored items, recovery runs (300 20 10000 3);
#                          the meeting on a redis-server of its own, participants in separate processes
set -euo pipefail
source "$(dirname "$0")/wine-session.sh"
shift || true
cd "$build/bin"
out="$build/bench-output.txt"
: >"$out"
failed=0
# run NAME [ARGS...]: one benchmark; its lines go to the screen and to the table's input.
run() {
  local exe=$1
  shift
  echo "== $exe"
  xvfb "$build/wine-run" "$build/bin/$exe.exe" "$@" | tee -a "$out" | grep -v '^FIGURE|' ||
    { echo "$exe FAILED"; failed=1; }
}
# shellcheck disable=SC2086 # the arguments are words on purpose
run roster_bench ${ROSTER_BENCH_ARGS:-5000 5}
# shellcheck disable=SC2086
run message_bench ${MESSAGE_BENCH_ARGS:-}
# shellcheck disable=SC2086
run transcript_bench ${TRANSCRIPT_BENCH_ARGS:-}
# shellcheck disable=SC2086
run recovery_bench ${RECOVERY_BENCH_ARGS:-}
# shellcheck disable=SC2086
run list_bench ${LIST_BENCH_ITEMS:-}
# shellcheck disable=SC2086
run accessible_bench ${LIST_BENCH_ITEMS:-}
# shellcheck disable=SC2086
run redis_bench ${REDIS_BENCH_ARGS:-}

echo
echo "== Every figure (ms: median ± interquartile range, n samples), its baseline in the same run"
grep '^FIGURE|' "$out" | tr -d '\r' | awk -F'|' '
  function cell(m, s, n) { return sprintf("%.3f ± %.3f (%d)", m, s, n) }
  BEGIN { printf "%-58s %-26s %-36s %-26s %7s  %s\n", "figure", "median", "baseline", "median", "ratio", "goal" }
  {
    goal = $11 == "" ? "-" : $11
    verdict = ""
    if ($11 ~ /^<= /) { bound = substr($11, 4) + 0; verdict = ($10 + 0 <= bound) ? "  met" : "  NOT met" }
    printf "%-58s %-26s %-36s %-26s %7.2f  %s%s\n", $2, cell($3, $4, $5), $6, cell($7, $8, $9), $10, goal, verdict
  }'
exit "$failed"
