#!/usr/bin/env bash
# Times the engine's harness against GNU find, fd and the bare walk, on a
# synthetic tree and on /usr, warm cache, and checks that all four find the
# same files.
#   bench/find_bench.sh BUILD_DIR [RUNS]
# The tree is built once under /tmp/dustmote-bench-tree (about 1 GB of inodes
# on the file system of /tmp); delete it by hand when done.
set -euo pipefail

BUILD=${1:?usage: find_bench.sh BUILD_DIR [RUNS]}
RUNS=${2:-7}
HERE=$(cd "$(dirname "$0")" && pwd)
TREE=/tmp/dustmote-bench-tree
OUT=/tmp/dustmote-bench-out
FIND_HARNESS=$BUILD/bench/dustmote-find
BARE=$BUILD/bench/dustmote-barewalk
MASKS=('*.tmp' '*.bak' '~*' '*.log' '*.old' '*.chk' 'thumbs.db' '*.$$$')

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

bench_one() { # label dir
    local label=$1 dir=$2
    local cmd_find="find $dir \\( -type f -o -type l \\) \\( $FINDEXPR \\)"
    local cmd_fd="fdfind -u -i -j1 -g '$FDGLOB' $dir"
    local cmd_dm="$FIND_HARNESS $dir '$MASKLIST'"
    local cmd_bare="$BARE $dir '$MASKLIST'"

    # Same set of files from every tool (sorted, duplicates removed).
    eval "$cmd_find" 2>/dev/null | sort -u > "$OUT/$label.find" || true
    eval "$cmd_fd" 2>/dev/null | sort -u > "$OUT/$label.fd" || true
    eval "$cmd_dm" | sort -u > "$OUT/$label.dm"
    eval "$cmd_bare" | sort -u > "$OUT/$label.bare"
    echo "== $label: matches find=$(wc -l < "$OUT/$label.find") fd=$(wc -l < "$OUT/$label.fd")" \
         "dustmote-find=$(wc -l < "$OUT/$label.dm") bare=$(wc -l < "$OUT/$label.bare")"
    for t in fd dm bare; do
        if ! cmp -s "$OUT/$label.find" "$OUT/$label.$t"; then
            echo "   differs from find ($t): $(diff "$OUT/$label.find" "$OUT/$label.$t" | grep -c '^[<>]') lines, see $OUT/$label.find vs $OUT/$label.$t"
        fi
    done

    hyperfine --style basic --warmup 2 --runs "$RUNS" --ignore-failure \
        --export-json "$OUT/$label.json" \
        -n find "$cmd_find" -n fd "$cmd_fd" -n dustmote-find "$cmd_dm" -n bare-walk "$cmd_bare" \
        > "$OUT/$label.hyperfine.txt"

    python3 - "$OUT/$label.json" "$label" <<'PY'
import json, sys
res = {r["command"]: r for r in json.load(open(sys.argv[1]))["results"]}
med = {k: v["median"] for k, v in res.items()}
dm = med["dustmote-find"]
print(f"   {'tool':<14} {'median':>10}  dustmote-find / tool")
for k in ["find", "fd", "dustmote-find", "bare-walk"]:
    print(f"   {k:<14} {med[k]*1000:>8.1f} ms  {dm/med[k]:.2f}")
PY
    # Peak memory of the harness (kB).
    /usr/bin/time -f "   dustmote-find peak RSS: %M kB" bash -c "$cmd_dm > /dev/null"
}

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs), kernel $(uname -r)"
echo "file system of /tmp: $(stat -f -c %T /tmp)"
bench_one tree "$TREE"
# Peak memory must not grow with the number of files: a fiftieth of the tree.
/usr/bin/time -f "   dustmote-find peak RSS on 1/50 of the tree: %M kB" \
    bash -c "$FIND_HARNESS $TREE/d00 '$MASKLIST' > /dev/null"
bench_one usr /usr
