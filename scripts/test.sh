#!/usr/bin/env bash
# Runs every test under Wine inside one virtual display; further arguments go to ctest.
set -euo pipefail
source "$(dirname "$0")/wine-session.sh"
shift || true
xvfb ctest --test-dir "$build" -j 2 --output-on-failure "$@"
