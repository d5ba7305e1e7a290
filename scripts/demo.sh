#!/usr/bin/env bash
# Runs the demo host on the embedded conference and writes a screenshot of its window.
set -euo pipefail
source "$(dirname "$0")/wine-session.sh"
shot="$build/demo.png"
# Wine maps / to drive Z:. (winepath would start a session of the prefix without the display.)
xvfb "$build/wine-run" "$build/bin/qxhost.exe" --screenshot "Z:${shot//\//\\}" --exit
echo "demo: screenshot written to $shot"
