#!/usr/bin/env bash
# Start-up to a mapped window: the program against a bare Qt window with the
# same parts (menu bar, table, status bar, tray icon), in turns, warm cache,
# on an X server with no window manager:
#   xvfb-run -a -s '-screen 0 1280x900x24' dbus-run-session -- bash bench/startup_bench.sh BUILD_DIR [RUNS]
# The program starts on a home of its own that an earlier start has set up
# (catalog copied, settings written), as a user's second start would.
# BEFORE=PATH times an older build of the program in the same turns; TRAY=1
# starts trayer first, so that both tray icons are embedded. Each start's
# processor time until mapped (all threads) is reported beside its wall time:
# on a busy machine it tells the cost from the wait for a processor.
set -euo pipefail
BUILD=${1:?usage: startup_bench.sh BUILD_DIR [RUNS]}
RUNS=${2:-9}
WATCH=$BUILD/bench/dustmote-mapwatch
BARE=$BUILD/bench/dustmote-barewindow
PROGRAM=$BUILD/app/dustmote
OUT=$(mktemp -d)
HOMEDIR=$(mktemp -d)
# The runtime folder on a memory file system, as a desktop session's is
# (/run/user/UID): the program's lock file is synced there at every start.
RUNDIR=$(mktemp -d -p /dev/shm 2> /dev/null || mktemp -d)
chmod 700 "$RUNDIR"
trap 'rm -rf "$OUT" "$HOMEDIR" "$RUNDIR"; [[ -n ${TRAYER:-} ]] && kill $TRAYER 2>/dev/null || true' EXIT
export MAPWATCH_CPU=1
export HOME=$HOMEDIR XDG_CONFIG_HOME=$HOMEDIR/.config XDG_DATA_HOME=$HOMEDIR/.local/share \
       XDG_CACHE_HOME=$HOMEDIR/.cache XDG_RUNTIME_DIR=$RUNDIR

if [[ -n ${TRAY:-} ]]; then trayer --edge top --align right --widthtype request & TRAYER=$!; sleep 1; fi
median() { sort -n | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }
cpu() { cut -d' ' -f2 "$1" | median; }

echo "machine: $(nproc) cores, load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
"$WATCH" "$BARE" > /dev/null; "$WATCH" "$PROGRAM" > /dev/null   # warm the cache, set the home up
[[ -n ${BEFORE:-} ]] && "$WATCH" "$BEFORE" > /dev/null
for ((i = 0; i < RUNS; i++)); do
    "$WATCH" "$BARE" >> $OUT/bare
    "$WATCH" "$PROGRAM" >> $OUT/program
    [[ -n ${BEFORE:-} ]] && "$WATCH" "$BEFORE" >> $OUT/before
done
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
b=$(cut -d' ' -f1 $OUT/bare | median); p=$(cut -d' ' -f1 $OUT/program | median)
bc=$(cpu $OUT/bare); pc=$(cpu $OUT/program)
echo "bare window: $b ms, processor $bc ms (runs: $(cut -d' ' -f1 $OUT/bare | tr '\n' ' '))"
echo "dustmote:    $p ms, processor $pc ms (runs: $(cut -d' ' -f1 $OUT/program | tr '\n' ' '))"
python3 -c "print('dustmote / bare window: %.2f, processor %.2f' % ($p / $b, $pc / $bc))"
if [[ -s $OUT/before ]]; then
    o=$(cut -d' ' -f1 $OUT/before | median); oc=$(cpu $OUT/before)
    echo "before:      $o ms, processor $oc ms (runs: $(cut -d' ' -f1 $OUT/before | tr '\n' ' '))"
    python3 -c "print('before / bare window: %.2f, processor %.2f' % ($o / $b, $oc / $bc))"
fi
