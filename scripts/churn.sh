#!/usr/bin/env bash
# Churn through one chat instance under Wine, its resident size read from outside:
#   scripts/churn.sh joins [build] [count]      9,000 joins and leaves by default
#   scripts/churn.sh messages [build] [count]   100,000 messages by default
# The Wine process's resident size is sampled every half second (ps -o rss=); each checkpoint
# line of the program is shown with the sample taken next after it. The samples and the
# program's lines are kept in the build's churn-out folder. The program holds its own counts to
# their bounds; this script holds the resident size to these, and fails when one is missed:
#   joins: from the checkpoint after the warm-up on, within JOIN_RSS_SLACK_KB of it;
#   messages: from the first checkpoint to the last, at most MESSAGE_RSS_FACTOR times the bytes
#   the list keeps per message (the program's GROWTH line) plus MESSAGE_RSS_SLACK bytes each.
# The program runs at the lowest priority: it shares the machine.
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
JOIN_RSS_SLACK_KB=${JOIN_RSS_SLACK_KB:-2048}
MESSAGE_RSS_FACTOR=${MESSAGE_RSS_FACTOR:-2}
MESSAGE_RSS_SLACK=${MESSAGE_RSS_SLACK:-256}
export JOIN_RSS_SLACK_KB MESSAGE_RSS_FACTOR MESSAGE_RSS_SLACK
nice -n 19 xvfb-run -a -s "-screen 0 1280x1024x24" "$build/wine-run" "$build/bin/churn.exe" "$mode" $count \
  >"$log" 2>&1 &
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
python3 - "$mode" "$log" "$samples" <<'PY' || status=1
import os, sys
mode, log, samples = sys.argv[1], sys.argv[2], sys.argv[3]
rss = [tuple(map(int, l.split())) for l in open(samples) if l.strip()]
def rss_after(t):
    for when, kb in rss:
        if when >= t:
            return kb
    return rss[-1][1] if rss else 0
checks, growth = [], None
for line in open(log):
    parts = line.split()
    if parts and parts[0] in ("BEFORE", "START", "CHECK", "DELETED"):
        kb = rss_after(int(parts[1]))
        print(f"{line.rstrip()} rss_kb={kb}")
        if parts[0] == "CHECK":
            checks.append((int(parts[2]), kb))
    else:
        print(line.rstrip())
        if parts and parts[0] == "GROWTH":
            growth = dict(p.split("=") for p in parts[2:])
failed = False
if not rss or not checks:
    print("FAIL: no resident sizes at the checkpoints")
    failed = True
else:
    print(f"resident size: first {rss[0][1]} KB, peak {max(k for _, k in rss)} KB, last {rss[-1][1]} KB, "
          f"{len(rss)} samples")
if not failed and mode == "joins":
    slack = int(os.environ["JOIN_RSS_SLACK_KB"])
    after = [c for c in checks if c[0] >= 500] or checks
    done0, kb0 = after[0]
    worst = max(abs(kb - kb0) for _, kb in after)
    print(f"RSS joins: reference {kb0} KB at {done0}; largest departure {worst} KB (slack {slack} KB)")
    if worst > slack:
        print("FAIL: the resident size of joins and leaves is not flat")
        failed = True
elif not failed and mode == "messages":
    (done0, kb0), (done1, kb1) = checks[0], checks[-1]
    if done1 > done0 and growth:
        per = (kb1 - kb0) * 1024.0 / (done1 - done0)
        bound = float(os.environ["MESSAGE_RSS_FACTOR"]) * float(growth["list_per_message"]) + \
            float(os.environ["MESSAGE_RSS_SLACK"])
        print(f"RSS messages: {kb0} KB at {done0}, {kb1} KB at {done1}: {per:.0f} bytes per message "
              f"(bound {bound:.0f}: list keeps {float(growth['list_per_message']):.0f})")
        if per > bound:
            print("FAIL: the resident size grows by more than the list keeps")
            failed = True
sys.exit(1 if failed else 0)
PY
exit $status
