#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

# The window waits of scripts/lib/wait.sh on a display where short-lived windows come and go,
# as Wine's do while a program starts: a single `xdotool search` there dies now and then on X's
# BadWindow. Needs Xvfb, xdotool and xmessage (x11-utils); skips without them.
# Run by CTest: tst_window_wait.sh SOURCE_DIR
set -euo pipefail

for tool in Xvfb xdotool xmessage; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is missing"; exit 77; }
done
source_dir=${1:?usage: $0 SOURCE_DIR}
# shellcheck source=../scripts/lib/wait.sh
source "$source_dir/scripts/lib/wait.sh"
# shellcheck source=../scripts/lib/stop-pid.sh
source "$source_dir/scripts/lib/stop-pid.sh"

work=$(mktemp -d)
xvfb_pid="" churn_pid="" late_pid="" old_pid=""
# shellcheck disable=SC2317 # run by the EXIT trap
cleanup() {
    for pid in $old_pid $late_pid $churn_pid $xvfb_pid; do
        stop_pid "$pid"
    done
    rm -rf "$work"
}
trap cleanup EXIT

# Xvfb takes a free display number itself and writes it once it accepts clients.
Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
wait_until 30 test -s "$work/display" || { cat "$work/xvfb.log"; echo "FAIL: Xvfb did not start"; exit 1; }
DISPLAY=":$(head -1 "$work/display")"
export DISPLAY

# Each window lives half a second; a new one comes every 30 ms.
(while :; do
    timeout 0.5 xmessage -title churn x >/dev/null 2>&1 &
    sleep 0.03
done) &
churn_pid=$!

failed=0 passed=0
expect() {
    local what=$1 want=$2 got=$3
    if [[ $got == "$want" ]]; then
        passed=$((passed + 1))
    else
        printf 'FAIL: %s\n  want: %s\n  got:  %s\n' "$what" "$want" "$got"
        failed=1
    fi
}

wait_for_window 20 --name '^churn$' >/dev/null || { echo "FAIL: no short-lived window appeared"; exit 1; }

# Each round's window appears late, beside the old way of waiting, whose failures are counted.
rounds=5 old_failures=0
for round in $(seq "$rounds"); do
    title="late window $round"
    (sleep 0.5 && exec xmessage -title "$title" x >/dev/null 2>&1) &
    late_pid=$!
    timeout 20 xdotool search --sync --name "^$title\$" >/dev/null 2>&1 &
    old_pid=$!
    status=0
    window=$(wait_for_window 20 --name "^$title\$") || status=$?
    expect "round $round: the late window is found" 0 "$status"
    expect "round $round: the id found is the late window's" "$title" \
        "$(xdotool getwindowname "${window:-0}" 2>&1)"
    status=0
    wait_for_focus 20 "${window:-0}" || status=$?
    expect "round $round: the late window takes the focus" "0 $window" \
        "$status $(xdotool getwindowfocus -f 2>&1)"
    wait "$old_pid" || old_failures=$((old_failures + 1))
    old_pid=""
    stop_pid "$late_pid"
    late_pid=""
done

started=$EPOCHREALTIME
status=0
wait_for_window 1 --name '^never shown$' >/dev/null || status=$?
elapsed_ms=$(((${EPOCHREALTIME/[.,]/} - ${started/[.,]/}) / 1000))
expect "a window that never appears fails the wait" 1 "$status"
expect "and only after the deadline" yes "$( ((elapsed_ms >= 1000)) && echo yes || echo "no, after $elapsed_ms ms")"

status=0
DISPLAY=:none wait_for_window 20 --name '^churn$' >/dev/null 2>&1 || status=$?
expect "without a display the wait fails at once" 2 "$status"

echo "beside it, xdotool search --sync failed $old_failures of $rounds rounds"
((failed == 0)) && echo "$passed passed, 0 failed"
exit "$failed"
