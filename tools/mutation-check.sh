#!/usr/bin/env bash
# Mutation check: makes each of a few small, plausible mistakes in turn,
# rebuilds, runs the whole suite, and reports whether the suite noticed (went
# red). Every mistake must be noticed. The sources are restored after each,
# and on any exit.
#   tools/mutation-check.sh [BUILD_DIR]      (default build/, configured already)
#   ONLY="6 7" tools/mutation-check.sh      only those mutations, by number
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build}

# file ~ Perl substitution ~ the mistake
mutations=(
  'search/NameMatch.cpp~s/return name\.size\(\) >= m_literal\.size\(\)\n(\s+&& equalLowered\(n \+ name)/return name.size() > m_literal.size()\n$1/~a suffix mask of exactly the name'"'"'s length (*.tmp against .tmp) refused'
  'search/NameMatch.cpp~s/const bool overlong = .*?;/const bool overlong = false;/~overlong UTF-8 accepted as letters'
  'search/FindFile.cpp~s/(    m_workerRunning\.store\(false, std::memory_order_release\);\n)(    FinishSearch\(\);\n)/$2$1/~the finish handler run before the worker'"'"'s flag is cleared'
  'settings/RegFile.cpp~s/ && k\.path\[path\.size\(\)\] == u.\\\\.//~a key lookup without the separator check (Software\Dust matching Software\Dustmote)'
  'settings/RegFileRead.cpp~s/ \|\| !data\.sliced\(pos\)\.trimmed\(\)\.isEmpty\(\)//~text after a quoted string in the settings file accepted'
  'search/ReadAhead.cpp~s/        if \(!admits\(\)\)\n            m_waitRoom = true;\n//~a helper claims folders past a full window'
  'search/ReadAhead.cpp~s/(if \(why != Wake::Room \|\| m_windowFolders > m_maxFolders \* 3 \/ 4.*\n\s+return;\n)\s+m_waitRoom = false;\n/$1/~helpers that found the window full never woken again'
  'app/ScanFeed.cpp~s/(emptied = qScopeGuard\(\[this, walkEnded\] \{\n)        m_taken\.clear\(\);\n/$1/~a taken batch not emptied, so its rows come round again'
  'app/ScanFeed.cpp~s/\n    if \(walkEnded && !m_filling\.empty\(\)\)\n        apply\(m_filling\);//~the last partial batch not applied when the walk ends'
  'app/FoundSort.cpp~s/return a\.key\.compare\(b\.key\) > 0;/return a.key.compare(b.key) < 0;/~the merge of ranked slices taking the greatest head'
  'app/FoundSort.cpp~s/in\.descending \? \x7ekey : key/in.descending ? -key : key/~a descending sort by negated keys (the first of the ascending order stays first)'
  'app/FoundSort.cpp~s/in\.descending \? \x7ekey : key/key/; s/(    std::sort\(keyed\.begin\(\), keyed\.end\(\)\);\n)/$1    if (in.descending)\n        std::reverse(keyed.begin(), keyed.end());\n/~descending as the ascending order reversed (ties reversed too)'
)

# Whatever ends the run (a failure, Ctrl-C), the mutated source goes back.
mutated=
restore() {
    if [ -n "$mutated" ] && [ -f "$mutated.orig" ]; then
        mv "$mutated.orig" "$mutated"
        touch "$mutated" # newer than the objects built from the mistake
    fi
    mutated=
}
trap restore EXIT
trap 'exit 130' INT TERM

# One log per mutation, kept for a look at what failed.
logs=$BUILD/mutation-logs
rm -rf "$logs"
mkdir -p "$logs"

status=0
n=0
for m in "${mutations[@]}"; do
    IFS='~' read -r file subst what <<< "$m"
    n=$((n + 1))
    log=$logs/$n.log
    if [ -n "${ONLY:-}" ] && [[ " $ONLY " != *" $n "* ]]; then
        continue
    fi
    cp "$file" "$file.orig"
    mutated=$file
    perl -0pi -e "$subst" "$file"
    if cmp -s "$file" "$file.orig"; then
        echo "NOT APPLIED  $what ($file)"
        status=1
    elif ! cmake --build "$BUILD" > /dev/null 2>&1; then
        echo "NO BUILD     $what"
        status=1
    elif ctest --test-dir "$BUILD" -j2 > "$log" 2>&1; then
        echo "SURVIVED     $what ($log)"
        status=1
    else
        echo "noticed      $what: $(grep -E '^\s+[0-9]+ - ' "$log" | awk '{print $3}' | paste -sd, -)"
    fi
    restore
done
cmake --build "$BUILD" > /dev/null
exit $status
