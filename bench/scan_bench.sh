#!/usr/bin/env bash
# Times the program's main job through the real main window (headless) against
# the engine's harness on the same tree in the same run, warm cache:
#   bench/scan_bench.sh BUILD_DIR [RUNS] [MASKS]
# Scan: the synthetic tree of find_bench.sh (built once under
# /tmp/dustmote-bench-tree) with nine masks, about 100,000 matches. Deletion:
# 100,000 files in 5,000 folders under /tmp/dustmote-del-tree, deleted by the
# window and, rebuilt, by rm. BEFORE=PATH runs an older build of
# dustmote-scanbench in turns with the others; QT_QPA_PLATFORM=xcb (under
# Xvfb) shows the real window instead of running headless.
set -euo pipefail

BUILD=${1:?usage: scan_bench.sh BUILD_DIR [RUNS]}
RUNS=${2:-5}
HERE=$(cd "$(dirname "$0")" && pwd)
OUT=$(mktemp -d)
TREE=/tmp/dustmote-bench-tree
DEL=/tmp/dustmote-del-tree
HARNESS=$BUILD/bench/dustmote-find
WINDOW=$BUILD/bench/dustmote-scanbench
MASKS=${3:-'*.tmp;*.bak;~*;*.log;*.old;*.chk;thumbs.db;*.$$$;*.txt'}

if [[ ! -e $TREE/.complete ]]; then
    rm -rf "$TREE" && mkdir -p "$TREE"
    python3 "$HERE/make_tree.py" "$TREE"
    touch "$TREE/.complete"
fi

ms() { python3 -c 'import time; print(time.monotonic_ns() // 1000000)'; }
median() { sort -n | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }

echo "machine: $(nproc) cores, kernel $(uname -r), load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
"$HARNESS" "$TREE" "$MASKS" > /dev/null   # warm the cache
: > $OUT/harness; : > $OUT/window; : > $OUT/before
for ((i = 0; i < RUNS; i++)); do
    t0=$(ms); "$HARNESS" "$TREE" "$MASKS" > /dev/null; t1=$(ms)
    echo $((t1 - t0)) >> $OUT/harness
    "$WINDOW" scan "$TREE" "$MASKS" > $OUT/run
    cat $OUT/run >> $OUT/window
    if [[ -n ${BEFORE:-} ]]; then
        "$BEFORE" scan "$TREE" "$MASKS" >> $OUT/before
    fi
done
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
h=$(median < $OUT/harness)
echo "harness (dustmote-find) median: $h ms, matches: $("$HARNESS" "$TREE" "$MASKS" | wc -l)"
for key in $(grep -v '^delete' $OUT/window | cut -d' ' -f1 | awk '!seen[$0]++'); do
    echo "window $key median: $(grep "^$key " $OUT/window | cut -d' ' -f2 | median)"
done
w=$(grep '^scan_ms ' $OUT/window | cut -d' ' -f2 | median)
python3 -c "print('scan through the window / harness: %.2f' % ($w / $h))"
if [[ -s $OUT/before ]]; then
    for key in $(cut -d' ' -f1 $OUT/before | awk '!seen[$0]++'); do
        echo "before $key median: $(grep "^$key " $OUT/before | cut -d' ' -f2 | median)"
    done
    b=$(grep '^scan_ms ' $OUT/before | cut -d' ' -f2 | median)
    python3 -c "print('before: scan through the window / harness: %.2f' % ($b / $h))"
fi
[[ -n ${SKIP_DELETE:-} ]] && exit 0

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
: > $OUT/del; : > $OUT/rm
for ((i = 0; i < RUNS; i++)); do
    make_del_tree
    "$WINDOW" delete "$DEL" '*.tmp' | grep -E '^(delete_ms|rows_left) ' >> $OUT/del
    make_del_tree
    find "$DEL" -type f -print0 > $OUT/list
    t0=$(ms); xargs -0 rm -f < $OUT/list; t1=$(ms)
    echo $((t1 - t0)) >> $OUT/rm
done
d=$(grep '^delete_ms ' $OUT/del | cut -d' ' -f2 | median)
r=$(median < $OUT/rm)
echo "deleting 100,000 files: window $d ms, rm $r ms, ratio $(python3 -c "print('%.2f' % ($d / $r))")"
rm -rf "$DEL"
