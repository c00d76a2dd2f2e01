#!/usr/bin/env bash
# Walks a tree of 1,500 levels (three side folders with a file each on every
# level) under an open-file limit of 256, with the engine's harness and with
# GNU find, and checks that both find the same files; times both.
#   bench/deep_tree.sh BUILD_DIR [LEVELS]
# The tree is built under /tmp/dustmote-deep-tree and removed at the end.
set -euo pipefail

BUILD=${1:?usage: deep_tree.sh BUILD_DIR [LEVELS]}
LEVELS=${2:-1500}
TREE=/tmp/dustmote-deep-tree
OUT=/tmp/dustmote-deep-out
HARNESS=$BUILD/bench/dustmote-find
mkdir -p "$OUT"
rm -rf "$TREE"
mkdir -p "$TREE"
trap 'rm -rf "$TREE"' EXIT

# Built relative to each level: the deepest paths are longer than any path
# the kernel takes in one piece.
python3 - "$TREE" "$LEVELS" <<'PY'
import os, sys
fd = os.open(sys.argv[1], os.O_RDONLY | os.O_DIRECTORY)
for level in range(int(sys.argv[2])):
    os.mkdir("level-dir", dir_fd=fd)
    nxt = os.open("level-dir", os.O_RDONLY | os.O_DIRECTORY, dir_fd=fd)
    os.close(fd)
    fd = nxt
    for side in (1, 2, 3):
        os.mkdir(f"side{side}", dir_fd=fd)
        os.close(os.open(f"side{side}/s{level}.tmp", os.O_WRONLY | os.O_CREAT, 0o644, dir_fd=fd))
os.close(os.open("deep.tmp", os.O_WRONLY | os.O_CREAT, 0o644, dir_fd=fd))
PY

run() { # label command...
    local label=$1; shift
    local start end
    start=$(date +%s.%N)
    ( ulimit -n 256; "$@" ) > "$OUT/$label.raw" 2> "$OUT/$label.err" || true
    end=$(date +%s.%N)
    sort -u "$OUT/$label.raw" > "$OUT/$label"
    echo "$label: $(wc -l < "$OUT/$label") files, $(echo "$end - $start" | bc) s, $(wc -l < "$OUT/$label.err") error lines"
}

echo "tree: $LEVELS levels, $((LEVELS * 4 + 1)) folders, $((LEVELS * 3 + 1)) files, deepest path $(( ${#TREE} + LEVELS * 10 )) bytes; ulimit -n 256"
run find find "$TREE" \( -type f -o -type l \) -iname '*.tmp'
run dustmote-find "$HARNESS" "$TREE" '*.tmp'
if cmp -s "$OUT/find" "$OUT/dustmote-find"; then
    echo "same files from both"
else
    echo "DIFFERENT: $(diff "$OUT/find" "$OUT/dustmote-find" | grep -c '^[<>]') lines differ"
    exit 1
fi
