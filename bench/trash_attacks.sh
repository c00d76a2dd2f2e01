#!/usr/bin/env bash
# Two local users attack a third one's way back from the trash (run as root;
# the users act through setpriv, never as root):
#   bench/trash_attacks.sh BUILD_DIR [VICTIM_UID] [ATTACKER_UID]
# 1. In a folder all may write (777, no sticky bit) the victim deletes
#    S/proj/cache/a.tmp to the trash; the attacker renames S/proj away and puts
#    a link to a folder of theirs in its place; the victim restores.
# 2. On a volume whose top all may write, the attacker makes a sticky .Trash of
#    their own before the victim deletes d/x.tmp to the trash, then swaps the
#    victim's folder in it for one holding a file of theirs; the victim restores.
set -uo pipefail
BUILD=${1:?usage: trash_attacks.sh BUILD_DIR [VICTIM_UID] [ATTACKER_UID]}
VICTIM=${2:-65534}
ATTACKER=${3:-$(id -u dmattacker 2>/dev/null || echo 65533)}
WINDOW=$(realpath "$BUILD/bench/dustmote-scanbench")
WORK=/tmp/dustmote-trash-attacks
as() {
    local uid=$1 gid; shift
    gid=$(getent passwd "$uid" | cut -d: -f4)
    setpriv --reuid="$uid" --regid="${gid:-$uid}" --clear-groups "$@"
}
victim() { as "$VICTIM" env XDG_DATA_HOME="$WORK/victim/data" DUSTMOTE_BENCH_CONFIG="$WORK/victim/config" "$@"; }
attacker() { as "$ATTACKER" "$@"; }
say() { echo "\$ $*"; }

umount "$WORK/vol" 2>/dev/null; rm -rf "$WORK"
mkdir -p "$WORK/victim" "$WORK/theirs" "$WORK/S" "$WORK/vol"
chmod 755 "$WORK"; chmod 777 "$WORK/S"
gid() { getent passwd "$1" | cut -d: -f4; }
chown "$VICTIM:$(gid "$VICTIM")" "$WORK/victim"; chown "$ATTACKER:$(gid "$ATTACKER")" "$WORK/theirs"

echo "== 1. a link planted on the way back (victim $VICTIM, attacker $ATTACKER)"
victim mkdir -p "$WORK/S/proj/cache"; victim sh -c "echo victim > $WORK/S/proj/cache/a.tmp"
say "victim: delete S/proj/cache/a.tmp to the trash"
victim "$WINDOW" totrash "$WORK/S" '*.tmp' 2>&1 | grep -E '^(rows|rows_left|box)'
say "attacker: chmod 777 theirs; mv S/proj S/old; ln -s theirs S/proj"
attacker chmod 777 "$WORK/theirs"
attacker mv "$WORK/S/proj" "$WORK/S/old"; attacker ln -s "$WORK/theirs" "$WORK/S/proj"
say "victim: Вернуть удалённое"
victim "$WINDOW" restore "$WORK/S" '' 2>&1 | grep -A5 '^box'
say "find theirs -ls; ls -l the victim's trash"
find "$WORK/theirs" -ls | awk '{print $3, $5, $11}'; ls -l "$WORK/victim/data/Trash/files"

echo "== 2. a shared .Trash owned by the attacker"
mount -t tmpfs -o size=4m,mode=0777 tmpfs "$WORK/vol"
say "attacker: mkdir -m 1777 vol/.Trash"
attacker mkdir -m 1777 "$WORK/vol/.Trash"
victim mkdir -p "$WORK/vol/d"; victim sh -c "echo victim > $WORK/vol/d/x.tmp"
say "victim: delete vol/d/x.tmp to the trash"
victim "$WINDOW" totrash "$WORK/vol" '*.tmp' 2>&1 | grep -E '^(rows_left|box)'
(cd "$WORK/vol" && find . -path ./d -prune -o -print | sort)
say "attacker: swap .Trash/$VICTIM for a folder holding their own file"
attacker sh -c "cd $WORK/vol/.Trash && { [ -d $VICTIM ] && mv $VICTIM $VICTIM.victim; }; mkdir -p $VICTIM/files $VICTIM/info && chmod 777 $VICTIM $VICTIM/files $VICTIM/info &&
    echo attacker > $VICTIM/files/x.tmp && chmod 666 $VICTIM/files/x.tmp &&
    printf '[Trash Info]\nPath=d/x.tmp\nDeletionDate=2026-01-01T00:00:00\n' > $VICTIM/info/x.tmp.trashinfo"
say "victim: Вернуть удалённое"
victim "$WINDOW" restore "$WORK/vol" '' 2>&1 | grep -A5 '^box'
say "ls -l vol/d; cat vol/d/x.tmp"
ls -l "$WORK/vol/d"; cat "$WORK/vol/d/x.tmp" 2>&1
umount "$WORK/vol"; rm -rf "$WORK"
