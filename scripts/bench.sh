#!/usr/bin/env bash
# Runs the benchmarks under Wine inside a virtual display: the roster benchmark (further
# arguments go to it: participants, repetitions, "notrace"), then the message benchmark
# (arguments from MESSAGE_BENCH_ARGS: round trips, burst size, "notrace"), then the transcript
# benchmark.
set -euo pipefail
source "$(dirname "$0")/wine-session.sh"
shift || true
cd "$build/bin"
xvfb "$build/wine-run" "$build/bin/roster_bench.exe" "$@"
# shellcheck disable=SC2086 # the arguments are words on purpose
xvfb "$build/wine-run" "$build/bin/message_bench.exe" ${MESSAGE_BENCH_ARGS:-}
# The transcript benchmark (arguments from TRANSCRIPT_BENCH_ARGS: messages, repetitions).
# shellcheck disable=SC2086
xvfb "$build/wine-run" "$build/bin/transcript_bench.exe" ${TRANSCRIPT_BENCH_ARGS:-}
# The message list at 1,000 and at LIST_BENCH_ITEMS (100,000) items.
xvfb "$build/wine-run" "$build/bin/list_bench.exe" ${LIST_BENCH_ITEMS:-}
# A screen reader's calls on the message list at 1,000 and at LIST_BENCH_ITEMS (100,000) items.
xvfb "$build/wine-run" "$build/bin/accessible_bench.exe" ${LIST_BENCH_ITEMS:-}
