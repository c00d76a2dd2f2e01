#!/usr/bin/env bash
# Times the program's main job through the real main window (headless) against
# the engine's harness on the same tree in the same run, warm cache:
#   bench/scan_bench.sh BUILD_DIR [RUNS]
# Scan: the synthetic tree of find_bench.sh (built once under
# /tmp/dustmote-bench-tree) with nine masks, about 100,000 matches. Deletion:
# 100,000 files in 5,000 folders under /tmp/dustmote-del-tree, deleted by the
# window and, rebuilt, by rm.
set -euo pipefail

BUILD=${1:?usage: scan_bench.sh BUILD_DIR [RUNS]}
RUNS=${2:-5}
HERE=$(cd "$(dirname "$0")" && pwd)
TREE=/tmp/dustmote-bench-tree
DEL=/tmp/dustmote-del-tree
HARNESS=$BUILD/bench/dustmote-find
WINDOW=$BUILD/bench/dustmote-scanbench
MASKS='*.tmp;*.bak;~*;*.log;*.old;*.chk;thumbs.db;*.$$$;*.txt'

if [[ ! -e $TREE/.complete ]]; then
    rm -rf "$TREE" && mkdir -p "$TREE"
    python3 "$HERE/make_tree.py" "$TREE"
    touch "$TREE/.complete"
fi

ms() { python3 -c 'import time; print(time.monotonic_ns() // 1000000)'; }
median() { sort -n | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }

echo "machine: $(nproc) cores, kernel $(uname -r)"
"$HARNESS" "$TREE" "$MASKS" > /dev/null   # warm the cache
: > /tmp/scanbench.harness; : > /tmp/scanbench.window
for ((i = 0; i < RUNS; i++)); do
    t0=$(ms); "$HARNESS" "$TREE" "$MASKS" > /dev/null; t1=$(ms)
    echo $((t1 - t0)) >> /tmp/scanbench.harness
    "$WINDOW" scan "$TREE" "$MASKS" > /tmp/scanbench.run
    cat /tmp/scanbench.run >> /tmp/scanbench.window
done
h=$(median < /tmp/scanbench.harness)
echo "harness (dustmote-find) median: $h ms, matches: $("$HARNESS" "$TREE" "$MASKS" | wc -l)"
for key in rows scan_ms longest_stall_ms bytes_per_row sort_name_ms sort_folder_ms sort_size_ms \
           sort_time_ms sort_time_descending_ms tick_all_ms; do
    echo "window $key median: $(grep "^$key " /tmp/scanbench.window | cut -d' ' -f2 | median)"
done
w=$(grep '^scan_ms ' /tmp/scanbench.window | cut -d' ' -f2 | median)
python3 -c "print('scan through the window / harness: %.2f' % ($w / $h))"

make_del_tree() {
    rm -rf "$DEL"; mkdir -p "$DEL"
    python3 - "$DEL" <<'PY'
import os, sys
root = sys.argv[1]
for d in range(5000):
    p = os.path.join(root, "d%02d" % (d // 100), "e%03d" % d)
    os.makedirs(p)
    for f in range(20):
        os.close(os.open(os.path.join(p, "f%d.tmp" % f), os.O_CREAT | os.O_WRONLY, 0o644))
PY
}
: > /tmp/scanbench.del; : > /tmp/scanbench.rm
for ((i = 0; i < RUNS; i++)); do
    make_del_tree
    "$WINDOW" delete "$DEL" '*.tmp' | grep -E '^(delete_ms|rows_left) ' >> /tmp/scanbench.del
    make_del_tree
    find "$DEL" -type f -print0 > /tmp/scanbench.list
    t0=$(ms); xargs -0 rm -f < /tmp/scanbench.list; t1=$(ms)
    echo $((t1 - t0)) >> /tmp/scanbench.rm
done
d=$(grep '^delete_ms ' /tmp/scanbench.del | cut -d' ' -f2 | median)
r=$(median < /tmp/scanbench.rm)
echo "deleting 100,000 files: window $d ms, rm $r ms, ratio $(python3 -c "print('%.2f' % ($d / $r))")"
rm -rf "$DEL"
