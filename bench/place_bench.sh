#!/usr/bin/env bash
# place_bench.sh BUILD_DIR [TREE] [ROUNDS]
# What masks that name a place cost the walk: the engine's harness with the
# starting catalog's masks, once with its place masks and once without them,
# taking turns in each round so that the machine's load meets both alike.
# Prints the medians, their ratio and the load average before and after.
# TREE defaults to the synthetic tree of make_tree.py (built when missing).
set -euo pipefail
BUILD=${1:?usage: place_bench.sh BUILD_DIR [TREE] [ROUNDS]}
TREE=${2:-/tmp/dustmote-bench-tree}
ROUNDS=${3:-5}
HERE=$(cd "$(dirname "$0")" && pwd)
HARNESS=$BUILD/bench/dustmote-find
[ -d "$TREE" ] || python3 "$HERE/make_tree.py" "$TREE"

# The catalog's mask texts, ";"-joined: all of them, and the name masks alone.
masks=$(grep -v '^#' "$HERE/../resources/catalog/default-types.txt" | awk 'NF { print $1 }' | tr '\n' ';')
names=$(tr ';' '\n' <<< "$masks" | grep -v / | tr '\n' ';')
echo "masks: $(tr ';' '\n' <<< "$masks" | grep -c .) ($(tr ';' '\n' <<< "$masks" | grep -c /) naming a place)"
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"

python3 - "$HARNESS" "$TREE" "$masks" "$names" "$ROUNDS" <<'PY'
import statistics, subprocess, sys, time
harness, tree, masks, names, rounds = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4], int(sys.argv[5])
runs = {"with places": masks, "names only": names}
def run(m):
    t = time.perf_counter()
    out = subprocess.run([harness, tree, m], stdout=subprocess.PIPE, check=True).stdout
    return time.perf_counter() - t, out.count(b"\n")
for m in runs.values():
    run(m)  # warm the cache
times = {k: [] for k in runs}
for _ in range(rounds):
    for k, m in runs.items():
        for _ in range(3):
            t, n = run(m)
            times[k].append(t)
        times[k + " found"] = n
med = {k: statistics.median(times[k]) for k in runs}
print(f"| masks | median | found | runs |")
print(f"|---|---|---|---|")
for k in runs:
    print(f"| {k} | {med[k]*1000:.0f} ms | {times[k + ' found']} | {len(times[k])} |")
print(f"with places / names only: {med['with places'] / med['names only']:.3f}")
PY
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
