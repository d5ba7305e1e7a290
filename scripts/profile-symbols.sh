#!/usr/bin/env bash
# Turns a benchmark's profile (QX_PROFILE=<file>, "count offset" lines) into the functions that
# took the samples: scripts/profile-symbols.sh <exe> <profile> [lines].
set -euo pipefail
exe=$1 profile=$2 lines=${3:-40}
base=$(x86_64-w64-mingw32-objdump -p "$exe" | awk '/^ImageBase/ { print $2 }')
python3 - "$exe" "$profile" "$base" "$lines" <<'PY'
import collections, subprocess, sys
exe, profile, base, lines = sys.argv[1], sys.argv[2], int(sys.argv[3], 16), int(sys.argv[4])
rows = [line.split(None, 1) for line in open(profile) if line.strip()]
others = [(int(c), o.strip()) for c, o in rows if o.startswith("module:")]
rows = [(c, o.split()) for c, o in rows if not o.startswith("module:")]
suffix = [" (in calls out)" if len(o) > 1 else "" for _, o in rows]
rows = [(c, o[0]) for c, o in rows]
counts = [int(c) for c, _ in rows]
addresses = ["0x%x" % (base + int(o, 16)) for _, o in rows]
names = subprocess.run(["x86_64-w64-mingw32-addr2line", "-f", "-C", "-e", exe] + addresses,
                       capture_output=True, text=True).stdout.splitlines()[0::2]
total = (sum(counts) + sum(c for c, _ in others)) or 1
by_name = collections.Counter()
for count, name, out in zip(counts, names, suffix):
    by_name[name + out] += count
for count, name in others:
    by_name[name] += count
for name, count in by_name.most_common(lines):
    print("%5.1f%% %6d %s" % (100.0 * count / total, count, name))
PY
