#!/usr/bin/env bash
# Churn through one chat instance under Wine, its resident size read from outside:
#   scripts/churn.sh joins [build] [count]      9,000 joins and leaves by default
#   scripts/churn.sh messages [build] [count]   100,000 messages by default
# The Wine process's resident size is sampled every half second (ps -o rss=); each checkpoint
# line of the program is shown with the sample taken next after it. The samples and the
# program's lines are kept in the build's churn-out folder.
set -euo pipefail
mode=${1:?usage: scripts/churn.sh joins|messages [build] [count]}
shift
source "$(dirname "$0")/wine-session.sh"
shift || true
count=${1:-}
cmake --build "$build" --target churn -j2
out="$build/churn-out"
mkdir -p "$out"
log="$out/$mode.log" samples="$out/$mode.rss"
: >"$samples"
cd "$out"
xvfb "$build/wine-run" "$build/bin/churn.exe" "$mode" $count >"$log" 2>&1 &
runner=$!
# The Wine process of this prefix that runs churn.exe.
pid=""
for _ in $(seq 1 600); do
  for candidate in $(pgrep -x churn.exe || true); do
    if tr '\0' '\n' <"/proc/$candidate/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX"; then
      pid=$candidate
    fi
  done
  [ -n "$pid" ] && break
  sleep 0.1
done
if [ -n "$pid" ]; then
  while kill -0 "$pid" 2>/dev/null; do
    rss=$(ps -o rss= -p "$pid" 2>/dev/null || true)
    [ -n "$rss" ] && echo "$(date +%s%3N) $rss" >>"$samples"
    sleep 0.5
  done
else
  echo "churn: the Wine process was not found; no resident sizes" >&2
fi
status=0
wait "$runner" || status=$?
python3 - "$log" "$samples" <<'PY'
import sys
log, samples = sys.argv[1], sys.argv[2]
rss = [tuple(map(int, l.split())) for l in open(samples) if l.strip()]
def rss_after(t):
    for when, kb in rss:
        if when >= t:
            return kb
    return rss[-1][1] if rss else 0
for line in open(log):
    parts = line.split()
    if parts and parts[0] in ("BEFORE", "START", "CHECK", "DELETED"):
        print(f"{line.rstrip()} rss_kb={rss_after(int(parts[1]))}")
    else:
        print(line.rstrip())
if rss:
    print(f"resident size: first {rss[0][1]} KB, peak {max(k for _, k in rss)} KB, last {rss[-1][1]} KB, "
          f"{len(rss)} samples")
PY
exit $status
