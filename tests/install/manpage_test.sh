#!/usr/bin/env bash
# A program's manual page lists exactly the long options its --help prints:
# every one of them under ПАРАМЕТРЫ, and none there that --help does not know.
# --help runs as from a terminal with no graphical display.
#   manpage_test.sh PROGRAM MANPAGE
set -euo pipefail
PROGRAM=$1 MANPAGE=$2
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

rc=0
env -i PATH=/usr/bin:/bin HOME="$WORK" LANG=C.UTF-8 timeout 20 "$PROGRAM" --help > "$WORK/help" 2> "$WORK/err" || rc=$?
[[ $rc -eq 0 ]] || { echo "$PROGRAM --help ended with $rc"; cat "$WORK/err"; exit 1; }

long_options() { grep -oE -- '--[a-z0-9][a-z0-9-]*' | sort -u; }
long_options < "$WORK/help" > "$WORK/from-help"
# The section's text with roff's minus signs as the terminal shows them.
sed -n '/^\.SH "*ПАРАМЕТРЫ"*$/,/^\.SH/p' "$MANPAGE" | sed 's/\\-/-/g' | long_options > "$WORK/from-man"

for option in --help --version; do
    grep -qx -- "$option" "$WORK/from-help" || { echo "--help does not name $option:"; cat "$WORK/help"; exit 1; }
done
missing=$(comm -23 "$WORK/from-help" "$WORK/from-man")
unknown=$(comm -13 "$WORK/from-help" "$WORK/from-man")
[[ -z $missing ]] || echo "printed by --help, missing from $(basename "$MANPAGE"): $missing"
[[ -z $unknown ]] || echo "in $(basename "$MANPAGE"), unknown to --help: $unknown"
[[ -z $missing && -z $unknown ]] || exit 1
echo "$(basename "$MANPAGE"): $(wc -l < "$WORK/from-man") long options, as --help prints them"
