#!/usr/bin/env bash
# Runs every test under Wine inside one virtual display; further arguments go to ctest.
#
# A test that fails is run once more on its own. Under Wine a test process now and then dies for
# reasons outside the code under test; a fault in the code fails twice. Either way the first
# failure's output is printed again at the end, where a CI log's tail shows it, and a test that
# passed only on its second run is named there. A test program that dies while CTest lists its
# tests stops CTest before any test runs; then the whole run goes once more.
set -euo pipefail
source "$(dirname "$0")/wine-session.sh"
shift || true
log="$build/Testing/ctest-output.log"
mkdir -p "$build/Testing"

# The output CTest printed for one failed test: from its result line to the next test's.
first_output() {
  awk -v name="$1" '
    index($0, ": " name " ") && /Test +#[0-9]+: / && /\*\*\*|Failed|Timeout|Exception/ { on = 1; print; next }
    on && /^ *[0-9]+\/[0-9]+ Test +#/ { exit }
    on { print }' "$log"
}

# Make the prefix and start the session before CTest does: test discovery runs under a time
# bound, which a first-time prefix creation on a busy machine can pass on its own.
run_all() {
  xvfb bash -c '"$1" cmd /c exit 0 && ctest --test-dir "$2" -j 2 --output-on-failure "${@:3}"' _ \
    "$build/wine-run" "$build" "$@" 2>&1 | tee "$log"
}
failed="$build/Testing/Temporary/LastTestsFailed.log"
rm -f "$failed"
rc=0
run_all "$@" || rc=$?
# A test program that dies while CTest lists its tests stops CTest before any test has run;
# the same can happen to any program under Wine now and then, so the whole run goes once more.
if [ "$rc" -ne 0 ] && [ ! -s "$failed" ] && grep -q "Error running test executable" "$log"; then
  echo
  echo "==== A test program died while CTest listed its tests; the whole run goes once more:"
  grep -A2 "Error running test executable" "$log" | grep "Path:" || true
  cp "$log" "$log.first"
  rc=0
  run_all "$@" || rc=$?
fi
[ "$rc" -eq 0 ] && exit 0

[ -s "$failed" ] || exit "$rc" # not a test failure: the build or CTest itself
names=$(cut -d: -f2- "$failed")
echo
echo "==== Failed in the first run; each runs once more on its own:"
echo "$names"
rerun=0
xvfb bash -c '"$1" cmd /c exit 0 && ctest --test-dir "$2" --rerun-failed --output-on-failure' _ \
  "$build/wine-run" "$build" || rerun=$?
echo
echo "==== The first run's output of each test that failed in it:"
while IFS= read -r name; do # a parameterized test's name holds spaces
  echo "---- $name"
  first_output "$name"
done <<<"$names"
if [ "$rerun" -eq 0 ]; then
  echo "==== These failed once and passed when run again (see their first output above):"
  echo "$names"
  exit 0
fi
echo "==== Failed again when run on its own: see the second run above."
exit "$rerun"
