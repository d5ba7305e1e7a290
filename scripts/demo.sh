#!/usr/bin/env bash
# Runs the demo host on the embedded conference and writes a screenshot of its window.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build}
case "$build" in /*) ;; *) build="$top/$build" ;; esac
shot="$build/demo.png"
stop_wine() { WINEPREFIX="$build/wineprefix" wineserver -k >/dev/null 2>&1 || true; rm -f "$build/wineprefix/.qx-session"; }
stop_wine
trap stop_wine EXIT
xvfb-run -a -s "-screen 0 1280x1024x24" "$build/wine-run" "$build/bin/qxhost.exe" --screenshot "$(winepath -w "$shot" 2>/dev/null || echo "Z:${shot//\//\\}")" --exit
echo "demo: screenshot written to $shot"
