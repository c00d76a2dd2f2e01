#!/usr/bin/env bash
# Kills the window in the middle of a deletion to the trash, or of the restore
# after one, again and again, and checks the way back each time:
#   bench/trash_kill_loop.sh BUILD_DIR [ROUNDS] [trash|restore]
# trash:   50,000 files go to the trash, killed once a random number of them
#          has gone; then a restore (not killed) must bring back every file
#          that went.
# restore: 50,000 files go to the trash whole; the restore is killed once a
#          random number of them is back; a second restore brings the rest.
# After each round: every file in its place once (none lost, none twice),
# the trash's files/ and info/ empty (no orphan records), the record gone.
set -euo pipefail
count() { find "$1" -type f 2>/dev/null | wc -l; }
BUILD=${1:?usage: trash_kill_loop.sh BUILD_DIR [ROUNDS] [trash|restore]}
ROUNDS=${2:-10}
MODE=${3:-trash}
WINDOW=$BUILD/bench/dustmote-scanbench
WORK=/tmp/dustmote-trash-kill-loop
TREE=$WORK/tree
FILES=50000
export DUSTMOTE_BENCH_CONFIG=$WORK/config XDG_DATA_HOME=$WORK/data
TRASH=$XDG_DATA_HOME/Trash
rm -rf "$WORK"; mkdir -p "$WORK"

# Runs the window in mode $1 and kills it once the files in folder $3 number
# a random count between 1 and 49,000: always in the middle of the pass.
killed_run() {
    local target pid
    target=$(python3 -c 'import random; print(random.randint(1, 49000))')
    "$WINDOW" "$1" "$TREE" "$2" > /dev/null 2>&1 &
    pid=$!
    while kill -0 "$pid" 2>/dev/null && [ "$(count "$3")" -lt "$target" ]; do
        sleep 0.02
    done
    kill -9 "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
}

lost_all=0; twice_all=0; orphans_all=0; left_all=0
for ((r = 0; r < ROUNDS; r++)); do
    rm -rf "$TREE" "$TRASH" "$XDG_DATA_HOME/Dustmote"; mkdir -p "$TREE"
    python3 - "$TREE" <<'PY'
import os, sys
for d in range(2500):
    p = os.path.join(sys.argv[1], "d%04d" % d)
    os.makedirs(p)
    for f in range(20):
        fd = os.open(os.path.join(p, "f%d.tmp" % f), os.O_CREAT | os.O_WRONLY, 0o644)
        os.write(fd, b"%d/%d" % (d, f))
        os.close(fd)
PY
    back=0
    if [ "$MODE" = trash ]; then
        killed_run totrash '*.tmp' "$TRASH/files"
        moved=$(count "$TRASH/files"); infos=$(count "$TRASH/info")
        "$WINDOW" restore "$TREE" '' > /dev/null 2>&1
    else
        "$WINDOW" totrash "$TREE" '*.tmp' > /dev/null 2>&1
        moved=$(count "$TRASH/files"); infos=$(count "$TRASH/info")
        killed_run restore '' "$TREE"
        back=$(count "$TREE")
        "$WINDOW" restore "$TREE" '' > /dev/null 2>&1
    fi
    # Every file once, with its own content.
    read -r present twice <<<"$(python3 - "$TREE" <<'PY'
import os, sys
present = twice = 0
for d in range(2500):
    for f in range(20):
        p = os.path.join(sys.argv[1], "d%04d" % d, "f%d.tmp" % f)
        if os.path.exists(p):
            present += open(p, "rb").read() == b"%d/%d" % (d, f)
found = sum(len(files) for _, _, files in os.walk(sys.argv[1]))
print(present, found - present)
PY
)"
    lost=$((FILES - present)); orphans=$(count "$TRASH/info"); left=$(count "$TRASH/files")
    [ -e "$XDG_DATA_HOME/Dustmote/LastDeletion" ] && left=$((left + 1))
    if [ "$MODE" = trash ]; then
        echo -n "round $r: in the trash after the kill $moved (trash records $infos)"
    else
        echo -n "round $r: in the trash $moved (trash records $infos), back after the kill $back"
    fi
    echo "; after the next restore: lost $lost, twice $twice, orphan records $orphans, left in the trash $left"
    lost_all=$((lost_all + lost)); twice_all=$((twice_all + twice))
    orphans_all=$((orphans_all + orphans)); left_all=$((left_all + left))
done
echo "$ROUNDS kills ($MODE): lost $lost_all, twice $twice_all, orphan records $orphans_all, left in the trash $left_all"
rm -rf "$WORK"
