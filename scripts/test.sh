#!/usr/bin/env bash
# Runs every test under Wine inside one virtual display; further arguments go to ctest.
set -euo pipefail
source "$(dirname "$0")/wine-session.sh"
shift || true
# Make the prefix and start the session before CTest does: test discovery runs under a time
# bound, which a first-time prefix creation on a busy machine can pass on its own.
xvfb bash -c '"$1" cmd /c exit 0 && ctest --test-dir "$2" -j 2 --output-on-failure "${@:3}"' _ \
  "$build/wine-run" "$build" "$@"
