#!/usr/bin/env bash
# Runs every test under Wine inside one virtual display, with one Wine session for the run.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build}
shift || true
case "$build" in /*) ;; *) build="$top/$build" ;; esac
export WINEPREFIX="$build/wineprefix"
stop_wine() { WINEPREFIX="$build/wineprefix" wineserver -k >/dev/null 2>&1 || true; rm -f "$build/wineprefix/.qx-session"; }
stop_wine
trap stop_wine EXIT
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --test-dir "$build" -j 2 --output-on-failure "$@"
