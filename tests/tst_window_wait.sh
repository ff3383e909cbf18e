#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

# The window waits of scripts/lib/wait.sh on a display where short-lived windows come and go,
# as Wine's do while a program starts; a single `xdotool search` there dies now and then on X's
# BadWindow, how often depends on the machine's pace, so the waits are checked to succeed beside
# it, not that it did harm. Skips without Xvfb, xdotool or xmessage.
# Run by CTest: tst_window_wait.sh SOURCE_DIR
set -euo pipefail

for tool in Xvfb xdotool xmessage; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is missing"; exit 77; }
done
# shellcheck source=../scripts/lib/wait.sh
source "${1:?usage: $0 SOURCE_DIR}/scripts/lib/wait.sh"
# shellcheck source=../scripts/lib/stop-pid.sh
source "$1/scripts/lib/stop-pid.sh"
# shellcheck source=support/shell_checks.sh
source "$1/tests/support/shell_checks.sh"
work=$(mktemp -d)
pids=()
# shellcheck disable=SC2317 # run by the EXIT trap
cleanup() {
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do stop_pid "${pids[i]}"; done
    rm -rf "$work"
}
trap cleanup EXIT

# Xvfb takes a free display number itself and writes it once it accepts clients. It does not
# reset as its last client leaves, which would drop a window still connecting.
Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp -noreset 3>"$work/display" >/dev/null 2>&1 &
pids+=($!)
wait_until 30 test -s "$work/display" || { echo "FAIL: Xvfb did not start"; exit 1; }
DISPLAY=":$(<"$work/display")" && export DISPLAY
# A window that lives half a second every 30 ms.
(while :; do timeout 0.5 xmessage -title churn x >/dev/null 2>&1 & sleep 0.03; done) &
pids+=($!)

for round in 1 2 3 4 5; do
    (sleep 0.5 && exec xmessage -title "late $round" x >/dev/null 2>&1) &
    pids+=($!)
    window=$(wait_for_window 20 --name "^late $round\$") || window=none
    expect "round $round: the late window is found" "late $round" "$(xdotool getwindowname "$window" 2>&1)"
    [[ $window == none ]] || wait_for_focus 20 "$window" || true
    expect "round $round: and takes the focus" "$window" "$(xdotool getwindowfocus -f 2>&1)"
done

started=${EPOCHREALTIME/[.,]/}
status=0
wait_for_window 1 --name '^never shown$' || status=$?
elapsed=$((${EPOCHREALTIME/[.,]/} - started))
expect "a window that never appears fails the wait, after its deadline" "1 yes" \
    "$status $( ((elapsed >= 1000000)) && echo yes || echo "no, after $elapsed µs")"
status=0
DISPLAY=:none wait_for_window 1 --name churn 2>"$work/error" || status=$?
expect "without a display the wait fails, saying why" "1 1" \
    "$status $(grep -c "the last look ended: .*open display" "$work/error")"

report
