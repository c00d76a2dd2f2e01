#!/usr/bin/env bash
# Times the engine's harness against GNU find, bfs, fd and the bare walk, on
# a synthetic tree and on /usr, with a warm cache and with a cold one, and
# checks that every tool, and the harness at every read-ahead pool size,
# finds the same files.
#   bench/find_bench.sh BUILD_DIR [RUNS] [COLD_RUNS]
# With BASELINE=PATH, an older build of the harness is timed alongside.
# Cold runs drop the page cache before every run of every tool, which needs
# root (sync; echo 3 > /proc/sys/vm/drop_caches); without root they are
# skipped. They slow down everything else on the machine meanwhile.
# The tree is built once under /tmp/dustmote-bench-tree (about 1 GB of inodes
# on the file system of /tmp); delete it by hand when done.
set -euo pipefail

BUILD=${1:?usage: find_bench.sh BUILD_DIR [RUNS] [COLD_RUNS]}
RUNS=${2:-7}
COLD_RUNS=${3:-3}
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

# Prints the medians of a hyperfine export, and `tool`'s median over each.
ratios() { # json tool
    python3 - "$1" "$2" <<'PY'
import json, sys
med = {r["command"]: r["median"] for r in json.load(open(sys.argv[1]))["results"]}
me = med[sys.argv[2]]
print(f"   {'tool':<18} {'median':>10}  {sys.argv[2]} / tool")
for k, v in med.items():
    print(f"   {k:<18} {v*1000:>8.1f} ms  {me/v:.2f}")
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

    echo "-- $label, warm cache ($RUNS runs)"
    hyperfine -N --style basic --warmup 2 --runs "$RUNS" --ignore-failure \
        --export-json "$OUT/$label.warm.json" \
        -n find "$cmd_find" -n fd "$cmd_fd" -n "fd -j1" "fdfind -u -i -j1 -g '$FDGLOB' $dir" \
        -n dustmote-find "$cmd_dm" -n "dustmote-find -j 1" "$FIND_HARNESS -j 1 $dir '$MASKLIST'" \
        -n bare-walk "$cmd_bare" \
        ${BASELINE:+-n baseline "$BASELINE $dir '$MASKLIST'"} \
        > "$OUT/$label.warm.txt"
    ratios "$OUT/$label.warm.json" dustmote-find
    # Peak memory of the harness (kB).
    /usr/bin/time -f "   dustmote-find peak RSS: %M kB" bash -c "$cmd_dm > /dev/null"
    /usr/bin/time -f "   dustmote-find -j 1 peak RSS: %M kB" bash -c "$FIND_HARNESS -j 1 $dir '$MASKLIST' > /dev/null"

    if [[ $EUID -ne 0 ]]; then
        echo "-- $label, cold cache: skipped (dropping the page cache needs root)"
        return
    fi
    echo "-- $label, cold cache ($COLD_RUNS runs, page cache dropped before each)"
    local cold=(-n find "$cmd_find" -n bfs "$cmd_bfs")
    for t in "${FD_THREADS[@]}"; do
        cold+=(-n "fd -j$t" "fdfind -u -i -j$t -g '$FDGLOB' $dir")
    done
    cold+=(-n dustmote-find "$cmd_dm")
    for j in 1 8 32; do
        cold+=(-n "dustmote-find -j $j" "$FIND_HARNESS -j $j $dir '$MASKLIST'")
    done
    [[ -n ${BASELINE:-} ]] && cold+=(-n baseline "$BASELINE $dir '$MASKLIST'")
    hyperfine -N --style basic --runs "$COLD_RUNS" --ignore-failure \
        --prepare "bash -c 'sync; echo 3 > /proc/sys/vm/drop_caches'" \
        --export-json "$OUT/$label.cold.json" "${cold[@]}" \
        > "$OUT/$label.cold.txt"
    ratios "$OUT/$label.cold.json" dustmote-find
}

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs), kernel $(uname -r)"
echo "file system of /tmp: $(stat -f -c %T /tmp); load: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "dustmote-find: $($FIND_HARNESS 2>&1 | tail -n 1)"
bench_one tree "$TREE"
# Peak memory must not grow with the number of files: a fiftieth of the tree.
/usr/bin/time -f "   dustmote-find peak RSS on 1/50 of the tree: %M kB" \
    bash -c "$FIND_HARNESS $TREE/d00 '$MASKLIST' > /dev/null"
bench_one usr /usr
