#pragma once
// A stand-in for systemctl, written by the tests that need one: it keeps the
// timer's state in a file beside itself the way the real one keeps its link.

namespace dm::test {

// Records its arguments in "calls"; the timer's state is "state" (enabled,
// disabled, not-found); "mode" makes it fail: nobus (links, then cannot
// start or stop, as systemctl does without a user manager), refuse, idle
// (says yes, does nothing), hang, crash.
inline constexpr char kFakeSystemctl[] = R"(#!/bin/sh
here=$(dirname "$0")
echo "$*" >> "$here/calls"
mode=$(cat "$here/mode")
state=$(cat "$here/state")
case "$mode" in
hang) exec sleep 30;;
crash) kill -SEGV $$;;
esac
case "$2" in
is-enabled)
    if [ "$state" = not-found ]; then
        echo "Failed to get unit file state for $3: No such file or directory" >&2; exit 1
    fi
    echo "$state"; [ "$state" = enabled ]; exit;;
show) echo "NextElapseUSecRealtime=@1767225600"; exit 0;;
enable|disable)
    if [ "$state" = not-found ]; then
        echo "Failed to $2 unit: Unit file dustmote-clean.timer does not exist." >&2; exit 1
    fi
    case "$mode" in
    refuse) echo "Failed to $2 unit: Access denied" >&2; exit 1;;
    idle) exit 0;;
    esac
    echo "$2d" > "$here/state"
    if [ "$mode" = nobus ] && [ "$3" = --now ]; then
        echo "Failed to connect to bus: No medium found" >&2; exit 1
    fi
    exit 0;;
esac
echo "Unknown command verb $2." >&2; exit 1
)";

} // namespace dm::test
