#!/usr/bin/env bash
# Installs the build into a temporary prefix, checks what a package carries
# beside the program (manual pages, changelog, copyright, the schedule's units
# naming the installed cleaner), and starts the installed program the way its
# menu entry does, as a user who cannot write the installation:
# its own files come from share/dustmote/, the catalog goes to the user's data
# folder, and a second start hands over to the first and ends.
#   install_test.sh BUILD_DIR
set -euo pipefail
BUILD=$1
# As root the program runs as nobody, who must be able to reach the work
# folder: TMPDIR may be root's alone.
base=${TMPDIR:-/tmp}
if [[ $(id -u) -eq 0 ]]; then
    base=
    for d in "${TMPDIR:-/tmp}" /tmp /var/tmp /dev/shm; do
        if [[ -d $d ]] && setpriv --reuid=65534 --regid=65534 --clear-groups test -x "$d"; then base=$d; break; fi
    done
    [[ -n $base ]] || { echo "no temporary folder nobody may enter"; exit 1; }
fi
WORK=$(mktemp -d -p "$base")
cleanup() {
    local rc=$?
    if [[ -n $first ]]; then kill "$first" 2>/dev/null || true; wait "$first" 2>/dev/null || true; fi
    rm -rf "$WORK"
    exit $rc
}
trap cleanup EXIT
first=

cmake --install "$BUILD" --prefix "$WORK/prefix" > /dev/null
for f in bin/dustmote share/dustmote/List.lst share/dustmote/eula.rtf share/dustmote/alert.wav \
         share/applications/dustmote.desktop share/icons/hicolor/scalable/apps/dustmote.svg \
         share/man/man1/dustmote.1.gz share/man/man1/dustmote-clean.1.gz \
         share/doc/dustmote/copyright share/doc/dustmote/changelog.Debian.gz \
         lib/systemd/user/dustmote-clean.service lib/systemd/user/dustmote-clean.timer; do
    [[ -f $WORK/prefix/$f ]] || { echo "missing after install: $f"; exit 1; }
done
if command -v desktop-file-validate > /dev/null; then
    desktop-file-validate "$WORK/prefix/share/applications/dustmote.desktop"
fi
# Nothing installed looks for libraries in the folder it is started from.
sound=$(find "$WORK/prefix/lib" -name dustmote-sound.so)
[[ -n $sound ]] || { echo "missing after install: the sound module"; exit 1; }
cmake -DFILES="$WORK/prefix/bin/dustmote;$WORK/prefix/bin/dustmote-clean;$sound" \
    -P "$(dirname "$0")/search_path_test.cmake" > /dev/null
# The schedule runs the cleaner of this very installation, whatever its prefix.
exec_start=$(sed -n 's/^ExecStart=//p' "$WORK/prefix/lib/systemd/user/dustmote-clean.service")
[[ $exec_start == "$WORK/prefix/bin/dustmote-clean --older-than 7 %h" ]] \
    || { echo "the service starts $exec_start"; exit 1; }

# The user: nobody where the test runs as root, so the installation is not
# theirs to write; else the test's own user with the installation made read-only.
as_user=()
if [[ $(id -u) -eq 0 ]]; then
    chmod 755 "$WORK"
    mkdir "$WORK/home" && chown 65534:65534 "$WORK/home"
    as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
else
    mkdir "$WORK/home"
    chmod -R a-w "$WORK/prefix"
fi
exec_line=$(sed -n 's/^Exec=//p' "$WORK/prefix/share/applications/dustmote.desktop")
run() { # in the caller's process, so that its pid is the program's
    exec "${as_user[@]}" env -i PATH="$WORK/prefix/bin:/usr/bin:/bin" HOME="$WORK/home" \
        XDG_RUNTIME_DIR="$WORK/home/run" QT_QPA_PLATFORM=offscreen LANG=C.UTF-8 $exec_line
}
"${as_user[@]}" mkdir -m 700 "$WORK/home/run"

(run) > "$WORK/first.log" 2>&1 &
first=$!
catalog=$WORK/home/.local/share/Dustmote/List.lst
for _ in $(seq 100); do [[ -f $catalog ]] && break; sleep 0.1; done
cmp "$catalog" "$WORK/prefix/share/dustmote/List.lst" || { echo "catalog not seeded"; cat "$WORK/first.log"; exit 1; }
sleep 0.5
kill -0 "$first" || { echo "the installed program did not stay up"; cat "$WORK/first.log"; exit 1; }

# A second start brings the first forward and ends by itself.
timeout 10 bash -c "$(declare -f run); $(declare -p as_user WORK exec_line); run" \
    || { echo "second start did not end"; exit 1; }
kill -0 "$first" || { echo "the first program ended"; exit 1; }
echo "installed layout and start: ok"
