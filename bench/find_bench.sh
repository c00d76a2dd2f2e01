#!/usr/bin/env bash
# Times the engine's harness against GNU find, bfs, fd and the bare walk, on
# a synthetic tree and on /usr, with a warm cache and with a cold one, and
# checks that every tool, and the harness at every read-ahead pool size,
# finds the same files.
#   bench/find_bench.sh BUILD_DIR [ROUNDS] [COLD_ROUNDS]
# Warm: ROUNDS (3) rounds of three runs per tool; cold: COLD_ROUNDS (5)
# rounds of one run per tool. With BASELINE=PATH, an older build of the harness is timed alongside.
# cold_busy.sh compares the cold walk with fd on a quiet machine and with the cores busy.
# Cold runs drop the page cache before every run of every tool, which needs
# root (sync; echo 3 > /proc/sys/vm/drop_caches); without root they are
# skipped. They slow down everything else on the machine meanwhile.
# The tree is built once under /tmp/dustmote-bench-tree (about 1 GB of inodes
# on the file system of /tmp); delete it by hand when done.
set -euo pipefail

BUILD=${1:?usage: find_bench.sh BUILD_DIR [ROUNDS] [COLD_ROUNDS]}
RUNS=${2:-3}
COLD_RUNS=${3:-5}
HERE=$(cd "$(dirname "$0")" && pwd)
TREE=/tmp/dustmote-bench-tree
OUT=/tmp/dustmote-bench-out
FIND_HARNESS=$BUILD/bench/dustmote-find
BARE=$BUILD/bench/dustmote-barewalk
MASKS=('*.tmp' '*.bak' '~*' '*.log' '*.old' '*.chk' 'thumbs.db' '*.$$$')
POOLS=(1 2 8 16 32)     # read-ahead pool sizes checked against find
FD_THREADS=(1 2 8 32)   # fd's thread counts timed cold

mkdir -p "$OUT"
if [[ ! -e $TREE/.complete ]]; then
    rm -rf "$TREE"
    mkdir -p "$TREE"
    python3 "$HERE/make_tree.py" "$TREE"
    touch "$TREE/.complete"
fi

joined() { local IFS=$1; shift; echo "$*"; }
MASKLIST=$(joined ';' "${MASKS[@]}")
FDGLOB="{$(joined ',' "${MASKS[@]}")}"
FINDEXPR=""
for m in "${MASKS[@]}"; do
    FINDEXPR+="${FINDEXPR:+ -o }-iname '$m'"
done

# Times the commands (hyperfine -n NAME CMD ...) in ROUNDS rounds of RUNS
# runs each: one tool after the other in each round, so that a change in the
# load of the machine meets every tool alike. Prints each tool's median over
# all runs and `dustmote-find`'s median over it.
timed() { # out rounds runs prepare hyperfine-arguments...
    local out=$1 rounds=$2 runs=$3 prepare=$4; shift 4
    local r warm=(--warmup 1)
    [[ -n $prepare ]] && warm=(--prepare "$prepare")
    for ((r = 1; r <= rounds; r++)); do
        hyperfine -N --style none --runs "$runs" --ignore-failure "${warm[@]}" \
            --export-json "$out.$r.json" "$@" > /dev/null 2>&1
    done
    python3 - "$out" "$rounds" <<'PY'
import json, statistics, sys
out, rounds = sys.argv[1], int(sys.argv[2])
times = {}
for r in range(1, rounds + 1):
    for res in json.load(open(f"{out}.{r}.json"))["results"]:
        times.setdefault(res["command"], []).extend(res["times"])
med = {k: statistics.median(v) for k, v in times.items()}
me = med["dustmote-find"]
print(f"   {'tool':<20} {'median':>10}  dustmote-find / tool  ({len(times['dustmote-find'])} runs)")
for k, v in med.items():
    print(f"   {k:<20} {v*1000:>8.1f} ms  {me/v:.2f}")
PY
}

bench_one() { # label dir
    local label=$1 dir=$2
    local cmd_find="find $dir \\( -type f -o -type l \\) \\( $FINDEXPR \\)"
    local cmd_bfs="bfs $dir \\( -type f -o -type l \\) \\( $FINDEXPR \\)"
    local cmd_fd="fdfind -u -i -g '$FDGLOB' $dir"
    local cmd_dm="$FIND_HARNESS $dir '$MASKLIST'"
    local cmd_bare="$BARE $dir '$MASKLIST'"

    # Same set of files from every tool and pool size (sorted, duplicates removed).
    eval "$cmd_find" 2>/dev/null | sort -u > "$OUT/$label.find" || true
    local sets=(fd bfs bare)
    eval "$cmd_fd" 2>/dev/null | sort -u > "$OUT/$label.fd" || true
    eval "$cmd_bfs" 2>/dev/null | sort -u > "$OUT/$label.bfs" || true
    eval "$cmd_bare" | sort -u > "$OUT/$label.bare"
    for j in "${POOLS[@]}"; do
        eval "$FIND_HARNESS -j $j $dir '$MASKLIST'" | sort -u > "$OUT/$label.dm$j"
        sets+=("dm$j")
    done
    echo "== $label: find reports $(wc -l < "$OUT/$label.find") files"
    for t in "${sets[@]}"; do
        if cmp -s "$OUT/$label.find" "$OUT/$label.$t"; then
            echo "   same files: $t"
        else
            echo "   differs from find ($t): $(diff "$OUT/$label.find" "$OUT/$label.$t" | grep -c '^[<>]') lines, see $OUT/$label.find vs $OUT/$label.$t"
        fi
    done

    echo "-- $label, warm cache ($RUNS rounds of 3 runs)"
    timed "$OUT/$label.warm" "$RUNS" 3 "" \
        -n find "$cmd_find" -n fd "$cmd_fd" -n "fd -j1" "fdfind -u -i -j1 -g '$FDGLOB' $dir" \
        -n dustmote-find "$cmd_dm" -n "dustmote-find -j 1" "$FIND_HARNESS -j 1 $dir '$MASKLIST'" \
        -n bare-walk "$cmd_bare" ${BASELINE:+-n baseline "$BASELINE $dir '$MASKLIST'"}
    # Peak memory of the harness (kB).
    /usr/bin/time -f "   dustmote-find peak RSS: %M kB" bash -c "$cmd_dm > /dev/null"
    /usr/bin/time -f "   dustmote-find -j 1 peak RSS: %M kB" bash -c "$FIND_HARNESS -j 1 $dir '$MASKLIST' > /dev/null"

    if [[ $EUID -ne 0 ]]; then
        echo "-- $label, cold cache: skipped (dropping the page cache needs root)"
        return
    fi
    echo "-- $label, cold cache ($COLD_RUNS rounds, page cache dropped before every run)"
    local cold=(-n find "$cmd_find" -n bfs "$cmd_bfs")
    for t in "${FD_THREADS[@]}"; do
        cold+=(-n "fd -j$t" "fdfind -u -i -j$t -g '$FDGLOB' $dir")
    done
    cold+=(-n dustmote-find "$cmd_dm")
    for j in 1 8 32; do
        cold+=(-n "dustmote-find -j $j" "$FIND_HARNESS -j $j $dir '$MASKLIST'")
    done
    [[ -n ${BASELINE:-} ]] && cold+=(-n baseline "$BASELINE $dir '$MASKLIST'")
    timed "$OUT/$label.cold" "$COLD_RUNS" 1 "bash -c 'sync; echo 3 > /proc/sys/vm/drop_caches'" "${cold[@]}"
}

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs), kernel $(uname -r)"
echo "file system of /tmp: $(stat -f -c %T /tmp); load: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "dustmote-find: $($FIND_HARNESS 2>&1 | tail -n 1)"
bench_one tree "$TREE"
# Peak memory must not grow with the number of files: a fiftieth of the tree.
/usr/bin/time -f "   dustmote-find peak RSS on 1/50 of the tree: %M kB" \
    bash -c "$FIND_HARNESS $TREE/d00 '$MASKLIST' > /dev/null"
bench_one usr /usr
