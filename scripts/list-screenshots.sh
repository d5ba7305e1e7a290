#!/usr/bin/env bash
# Writes screenshots of the message list into the build folder: list-scrolled.png and
# list-wrap-link-selection.png.
set -euo pipefail
source "$(dirname "$0")/wine-session.sh"
cd "$build/bin"
xvfb "$build/wine-run" "$build/bin/list_screenshots.exe" "Z:${build//\//\\}"
