#!/usr/bin/env bash
# Runs the benchmarks under Wine inside a virtual display; further arguments go to the bench.
set -euo pipefail
source "$(dirname "$0")/wine-session.sh"
shift || true
cd "$build/bin"
xvfb "$build/wine-run" "$build/bin/roster_bench.exe" "$@"
