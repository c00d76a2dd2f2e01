#!/usr/bin/env bash
# The cold walk of the synthetic tree against fd, on a quiet machine and with
# every core taken by a spinning shell this script starts (and ends).
#   bench/cold_busy.sh BUILD_DIR [ROUNDS]
# Each round runs every tool once quiet, then once busy, in turns, with the
# page cache dropped before every run (needs root); prints medians, each
# harness's median over fd's best, and the one-minute load average at the
# start and end of every phase. With BASELINE=PATH an older build of the
# harness is timed alongside. The tree is find_bench.sh's (built there).
# After the drop, every tool is started once on an empty folder, so that what
# is timed is the walk of a cold tree by programs already loaded, as a user's
# are; COLD_BINARIES=1 leaves the programs cold too (the harness, linked to
# Qt's libraries, then starts some 30 ms later than fd).
set -euo pipefail

BUILD=${1:?usage: cold_busy.sh BUILD_DIR [ROUNDS]}
ROUNDS=${2:-3}
HERE=$(cd "$(dirname "$0")" && pwd)
TREE=/tmp/dustmote-bench-tree
OUT=/tmp/dustmote-bench-out/cold_busy
HARNESS=$BUILD/bench/dustmote-find
MASKS='*.tmp;*.bak;~*;*.log;*.old;*.chk;thumbs.db;*.$$$'
FDGLOB='{*.tmp,*.bak,~*,*.log,*.old,*.chk,thumbs.db,*.$$$}'

[[ $EUID -eq 0 ]] || { echo "dropping the page cache needs root" >&2; exit 1; }
[[ -e $TREE/.complete ]] || { echo "no tree: run find_bench.sh first ($HERE)" >&2; exit 1; }
mkdir -p "$OUT"
rm -f "$OUT"/*.json "$OUT"/load

tools=()
for j in 8 32; do
    tools+=(-n "fd -j$j" "fdfind -u -i -j$j -g '$FDGLOB' $TREE")
done
tools+=(-n dustmote-find "$HARNESS $TREE '$MASKS'")
for j in 8 32; do
    tools+=(-n "dustmote-find -j $j" "$HARNESS -j $j $TREE '$MASKS'")
done
[[ -n ${BASELINE:-} ]] && tools+=(-n baseline "$BASELINE $TREE '$MASKS'")

EMPTY=$(mktemp -d)
warm="fdfind -u -g x $EMPTY; $HARNESS $EMPTY x${BASELINE:+; $BASELINE $EMPTY x}"
[[ -n ${COLD_BINARIES:-} ]] && warm=:

spinners=()
stop_spinners() {
    local pid
    for pid in "${spinners[@]}"; do kill "$pid" 2> /dev/null || true; done
    for pid in "${spinners[@]}"; do wait "$pid" 2> /dev/null || true; done
    spinners=()
}
trap 'stop_spinners; rmdir "$EMPTY"' EXIT

load() { cut -d' ' -f1 /proc/loadavg; }

phase() { # name round
    echo "$1 $2 start $(load)" >> "$OUT/load"
    hyperfine -N --style none --runs 1 --ignore-failure \
        --prepare "bash -c 'sync; echo 3 > /proc/sys/vm/drop_caches; $warm > /dev/null'" \
        --export-json "$OUT/$1.$2.json" "${tools[@]}" > /dev/null 2>&1
    echo "$1 $2 end $(load)" >> "$OUT/load"
}

echo "machine: $(nproc) cores, kernel $(uname -r); harness: $HARNESS${BASELINE:+, baseline: $BASELINE}; programs ${COLD_BINARIES:+not }warmed"
for ((r = 1; r <= ROUNDS; r++)); do
    phase quiet "$r"
    for ((c = 0; c < $(nproc); c++)); do
        bash -c 'while :; do :; done' &
        spinners+=($!)
    done
    sleep 5 # the spinners settle, and the load average starts to show them
    phase busy "$r"
    stop_spinners
done

python3 - "$OUT" "$ROUNDS" <<'PY'
import json, statistics, sys
out, rounds = sys.argv[1], int(sys.argv[2])
loads = {}
for line in open(f"{out}/load"):
    name, r, when, value = line.split()
    loads.setdefault(name, []).append((int(r), when, float(value)))
for name in ("quiet", "busy"):
    times = {}
    for r in range(1, rounds + 1):
        for res in json.load(open(f"{out}/{name}.{r}.json"))["results"]:
            times.setdefault(res["command"], []).extend(res["times"])
    med = {k: statistics.median(v) for k, v in times.items()}
    fd = min(v for k, v in med.items() if k.startswith("fd"))
    print(f"== {name}: medians of {rounds} runs; load (1 min) per round, start-end: "
          + ", ".join(f"{a[2]:.1f}-{b[2]:.1f}" for a, b in zip(loads[name][::2], loads[name][1::2])))
    for k, v in med.items():
        print(f"   {k:<22} {v*1000:>8.0f} ms  {v/fd:.2f} x fd at its best")
PY
