#!/usr/bin/env bash
# Deleting 100,000 found files through the real main window (headless),
# against the command-line tools doing the same to the same files, in one run,
# tools taking turns so that a change of load meets all alike:
#   bench/deletion_bench.sh BUILD_DIR [RUNS]
# PARTS (default "permanent trash a11y") picks what runs.
# - permanently: the window against rm (xargs rm -f);
# - to the trash: the window against gio trash (xargs gio trash), which puts
#   files in the same trash, on 100,000 files of names of their own, and on
#   2,000 files of one name (it tries every earlier free name again for each
#   file, so 100,000 files of 20 names would take it a quarter of an hour:
#   the window's time for those is shown alone);
# - restoring: the window against a loop of mv and a Python loop of renames
#   over the trash's records (`gio trash --restore` needs a desktop's file
#   system daemon, which this machine has not);
# - permanently with a screen reader listening: the window under an
#   accessibility bus with a process registered for its events, against rm.
# Prints medians and ratios; the window's longest main-thread stall too.
set -euo pipefail

BUILD=${1:?usage: deletion_bench.sh BUILD_DIR [RUNS]}
RUNS=${2:-3}
PARTS=" ${PARTS:-permanent trash a11y} "
HERE=$(cd "$(dirname "$0")" && pwd)
WINDOW=$BUILD/bench/dustmote-scanbench
WORK=/tmp/dustmote-del-bench
DEL=$WORK/tree
export XDG_DATA_HOME=$WORK/data
TRASH=$XDG_DATA_HOME/Trash

ms() { python3 -c 'import time; print(time.monotonic_ns() // 1000000)'; }
median() { sort -n | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }
ratio() { python3 -c "print('%.2f' % ($1 / $2))"; }

# FOLDERS folders of FILES files each: f0.tmp ... (names repeat across
# folders), or with UNIQUE given, names of their own (f<folder>_<file>.tmp).
make_tree() {
    rm -rf "$DEL" "$TRASH"; mkdir -p "$DEL"
    python3 - "$DEL" "$1" "$2" "${3:-}" <<'PY'
import os, sys
root, folders, files, unique = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
for d in range(folders):
    p = os.path.join(root, "d%02d" % (d // 100), "e%03d" % d)
    os.makedirs(p)
    for f in range(files):
        name = "f%d_%d.tmp" % (d, f) if unique else "f%d.tmp" % f
        os.close(os.open(os.path.join(p, name), os.O_CREAT | os.O_WRONLY, 0o644))
PY
    sync
}
timed() { local t0 t1; t0=$(ms); "$@"; t1=$(ms); echo $((t1 - t0)); }
window() { "$WINDOW" "$1" "$DEL" '*.tmp' | grep -E '^(delete_ms|delete_stall_ms|restore_ms|restore_stall_ms|rows_left) '; }
value() { grep "^$1 " "$2" | cut -d' ' -f2 | median; }
rm_all() { find "$DEL" -type f -print0 | xargs -0 rm -f; }
gio_trash_all() { find "$DEL" -type f -print0 | xargs -0 gio trash; }
restore_mv() {
    python3 - "$TRASH" <<'PY' > "$WORK/moves"
import os, sys, urllib.parse
trash = sys.argv[1]
for n in os.listdir(trash + "/info"):
    for line in open(trash + "/info/" + n, encoding="utf-8", errors="surrogateescape"):
        if line.startswith("Path="):
            print(trash + "/files/" + n[:-10] + "\t" + urllib.parse.unquote(line[5:].strip()))
PY
    while IFS=$'\t' read -r from to; do mv -n "$from" "$to"; done < "$WORK/moves"
}
restore_py() {
    python3 - "$TRASH" <<'PY'
import os, sys, urllib.parse
trash = sys.argv[1]
for n in os.listdir(trash + "/info"):
    for line in open(trash + "/info/" + n, encoding="utf-8", errors="surrogateescape"):
        if line.startswith("Path="):
            to = urllib.parse.unquote(line[5:].strip())
            if not os.path.lexists(to):
                os.rename(trash + "/files/" + n[:-10], to)
                os.unlink(trash + "/info/" + n)
PY
}

mkdir -p "$WORK"
echo "machine: $(nproc) cores, kernel $(uname -r), $RUNS runs"
for f in w.del rm w.trash gio py mv w.same w.one gio.one w.a11y rm.a11y; do : > "$WORK/$f"; done
[[ $PARTS == *" permanent "* ]] && for ((i = 0; i < RUNS; i++)); do
    make_tree 5000 20; window delete >> "$WORK/w.del"
    make_tree 5000 20; timed rm_all >> "$WORK/rm"
done
[[ $PARTS == *" trash "* ]] && for ((i = 0; i < RUNS; i++)); do
    make_tree 5000 20 unique; window trash >> "$WORK/w.trash"
    make_tree 5000 20 unique; timed gio_trash_all >> "$WORK/gio"
    timed restore_py >> "$WORK/py"
    make_tree 5000 20; window totrash >> "$WORK/w.same"
    make_tree 2000 1; window totrash >> "$WORK/w.one"
    make_tree 2000 1; timed gio_trash_all >> "$WORK/gio.one"
done
if [[ $PARTS == *" permanent "* ]]; then
d=$(value delete_ms "$WORK/w.del"); r=$(median < "$WORK/rm")
echo "delete 100,000 permanently: window $d ms, rm $r ms, ratio $(ratio "$d" "$r"); window's longest stall $(value delete_stall_ms "$WORK/w.del") ms"
fi
if [[ $PARTS == *" trash "* ]]; then
# One round of the mv loop: 100,000 processes.
make_tree 5000 20 unique; gio_trash_all; timed restore_mv >> "$WORK/mv"
t=$(value delete_ms "$WORK/w.trash"); g=$(median < "$WORK/gio")
echo "to the trash, 100,000 files of their own names: window $t ms, gio trash $g ms, ratio $(ratio "$t" "$g"); longest stall $(value delete_stall_ms "$WORK/w.trash") ms"
echo "to the trash, 100,000 files of 20 names: window $(value delete_ms "$WORK/w.same") ms (gio trash: not run, see above)"
o=$(value delete_ms "$WORK/w.one"); g1=$(median < "$WORK/gio.one")
echo "to the trash, 2,000 files of one name: window $o ms, gio trash $g1 ms, ratio $(ratio "$o" "$g1")"
w=$(value restore_ms "$WORK/w.trash"); p=$(median < "$WORK/py"); m=$(median < "$WORK/mv")
echo "restore 100,000: window $w ms, Python renames $p ms (ratio $(ratio "$w" "$p")), mv loop $m ms (ratio $(ratio "$w" "$m")); longest stall $(value restore_stall_ms "$WORK/w.trash") ms"
fi

# With a screen reader listening: an accessibility bus, a listener registered
# for every event the window sends, the window with accessibility on.
if [[ $PARTS == *" a11y "* ]] && command -v dbus-run-session > /dev/null \
    && [[ -x /usr/libexec/at-spi-bus-launcher ]]; then
    for ((i = 0; i < RUNS; i++)); do
        make_tree 5000 20
        dbus-run-session -- bash -c '
            /usr/libexec/at-spi-bus-launcher --launch-immediately & sleep 1
            /usr/bin/python3 "$1/a11y_listener.py" & listener=$!; sleep 2
            QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$2" delete "$3" "*.tmp" | grep -E "^delete_(ms|stall_ms) "
            kill $listener; kill %1' _ "$HERE" "$WINDOW" "$DEL" >> "$WORK/w.a11y"
        make_tree 5000 20; timed rm_all >> "$WORK/rm.a11y"
    done
    a=$(value delete_ms "$WORK/w.a11y"); r=$(median < "$WORK/rm.a11y")
    echo "delete 100,000 with a screen reader listening: window $a ms, rm $r ms, ratio $(ratio "$a" "$r"); longest stall $(value delete_stall_ms "$WORK/w.a11y") ms"
fi
rm -rf "$WORK"
