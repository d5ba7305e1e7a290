#!/usr/bin/env bash
# Runs one mutation fuzzer under Wine: scripts/fuzz.sh TARGET [build] [inputs] [seed] [per-cycle]
#   pdu     the texts of every PDU type          roster  roster information of an enroll entry
#   data    direct data into a live instance     cache   cache items into a live instance
#   join    roster texts of joins into a live instance
#   config  the configuration texts of ChSetConfig on a live instance
#   transcript  the transcript loader (as scripts/fuzz-transcript.sh)
# Inputs default to 1,000,000. Findings (and a crashing input) are written into the build's
# fuzz-out folder; the exit status is 1 when there were findings.
set -euo pipefail
target=${1:?usage: scripts/fuzz.sh pdu|roster|data|cache|join|config|transcript [build] [inputs] [seed]}
shift
source "$(dirname "$0")/wine-session.sh"
shift || true
inputs=${1:-1000000}
seed=${2:-20261208}
mkdir -p "$build/fuzz-out"
case "$target" in
  pdu | roster)
    cmake --build "$build" --target pdu_fuzz -j2
    cd "$build/fuzz-out"
    "$build/wine-run" "$build/bin/pdu_fuzz.exe" "$target" "$inputs" "$seed" ;;
  data | cache | join | config)
    cmake --build "$build" --target instance_fuzz -j2
    cd "$build/fuzz-out"
    xvfb "$build/wine-run" "$build/bin/instance_fuzz.exe" "$target" "$inputs" "$seed" "${3:-2000}" ;;
  transcript)
    cmake --build "$build" --target transcript_fuzz -j2
    cd "$build/fuzz-out"
    "$build/wine-run" "$build/bin/transcript_fuzz.exe" "$inputs" "$seed" ;;
  *) echo "fuzz: unknown target $target" >&2; exit 2 ;;
esac
