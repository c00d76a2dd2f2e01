#!/usr/bin/env bash
# Kills the window in the middle of deleting 100,000 files, again and again,
# and checks what the deleted-files counter says against what is gone:
#   bench/deletion_kill_loop.sh BUILD_DIR [ROUNDS]
# The counter is stored beside the pass (as often as a store allows), so a kill may
# lose only the files of the store in flight; the settings file must always
# read whole.
set -euo pipefail
BUILD=${1:?usage: deletion_kill_loop.sh BUILD_DIR [ROUNDS]}
ROUNDS=${2:-20}
WINDOW=$BUILD/bench/dustmote-scanbench
WORK=/tmp/dustmote-kill-loop
TREE=$WORK/tree
export DUSTMOTE_BENCH_CONFIG=$WORK/config XDG_DATA_HOME=$WORK/data
rm -rf "$WORK"; mkdir -p "$WORK"

dels() { # the stored counter, or 0 before the first store
    python3 - "$DUSTMOTE_BENCH_CONFIG/Dustmote/registry.reg" <<'PY'
import re, sys
try:
    text = open(sys.argv[1], encoding="utf-8", errors="replace").read()
except FileNotFoundError:
    print(0); sys.exit()
m = re.search(r'^"Dels"="(-?\d+)"', text, re.M)
print(m.group(1) if m else 0)
PY
}

total_lost=0; worst=0; broken=0
for ((r = 0; r < ROUNDS; r++)); do
    rm -rf "$TREE"; mkdir -p "$TREE"
    python3 - "$TREE" <<'PY'
import os, sys
for d in range(5000):
    p = os.path.join(sys.argv[1], "d%03d" % d)
    os.makedirs(p)
    for f in range(20):
        os.close(os.open(os.path.join(p, "f%d.tmp" % f), os.O_CREAT | os.O_WRONLY, 0o644))
PY
    before=$(dels)
    coproc W { exec "$WINDOW" delete "$TREE" '*.tmp' 2>/dev/null; }
    pid=$W_PID; exec {out}<&"${W[0]}"  # bash forgets both once the window ends
    read -r line <&"$out"              # "rows N": the scan is done, the deletion starts
    sleep "$(python3 -c 'import random; print(random.uniform(0.05, 1.2))')"
    kill -9 "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    exec {out}<&-
    left=$(find "$TREE" -type f | wc -l)
    gone=$((100000 - left)); after=$(dels) || { broken=$((broken + 1)); after=$before; }
    lost=$((gone - (after - before)))
    echo "round $r: deleted $gone, counted $((after - before)), lost $lost"
    total_lost=$((total_lost + lost)); ((lost > worst)) && worst=$lost
done
echo "$ROUNDS kills: counter short by $total_lost files in all, at most $worst in one kill; unreadable settings files: $broken"
rm -rf "$WORK"
