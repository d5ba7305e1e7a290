#!/usr/bin/env bash
# Runs the benchmarks under Wine inside a virtual display, in the build folder's prefix.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build}
shift || true
case "$build" in /*) ;; *) build="$top/$build" ;; esac
export WINEPREFIX="$build/wineprefix"
stop_wine() { WINEPREFIX="$build/wineprefix" wineserver -k >/dev/null 2>&1 || true; rm -f "$build/wineprefix/.qx-session"; }
stop_wine
trap stop_wine EXIT
cd "$build/bin"
xvfb-run -a -s "-screen 0 1280x1024x24" "$build/wine-run" "$build/bin/roster_bench.exe" "$@"
