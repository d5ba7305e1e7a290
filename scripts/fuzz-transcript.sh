#!/usr/bin/env bash
# Runs the transcript loader's mutation fuzzer under Wine: scripts/fuzz-transcript.sh [build]
# [inputs] [seed]. Findings (and a crashing input) are written into the build's fuzz folder.
set -euo pipefail
source "$(dirname "$0")/wine-session.sh"
shift || true
cmake --build "$build" --target transcript_fuzz
mkdir -p "$build/fuzz-out"
cd "$build/fuzz-out"
"$build/wine-run" "$build/bin/transcript_fuzz.exe" "${1:-1000000}" "${2:-20261208}"
