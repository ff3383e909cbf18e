#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

# `make test`: runs tst_accessibility where Qt talks to screen readers, so the rows that check
# the events a screen reader receives run for real (on the offscreen platform they skip). It
# starts a private Xvfb display for the xcb platform, a private D-Bus session bus and the AT-SPI
# bus behind it, runs the test, and stops all three again. Fails if any row skips.
# Usage: scripts/run-accessibility-tests.sh BUILD_DIR [SECONDS]
set -euo pipefail

build_dir=${1:?usage: $0 BUILD_DIR [SECONDS]}
test_seconds=${2:-120}
test_binary="$build_dir/tests/tst_accessibility"
xvfb_pid=""
bus_pid=""
launcher_pid=""
work=""

# shellcheck source=lib/stop-pid.sh
source "$(dirname "$0")/lib/stop-pid.sh"
# shellcheck source=lib/wait.sh
source "$(dirname "$0")/lib/wait.sh"

# shellcheck disable=SC2317 # run by the EXIT trap
cleanup() {
    # The AT-SPI bus first: it ends the bus it started itself when it stops.
    if [[ -n $launcher_pid ]]; then
        stop_pid "$launcher_pid"
    fi
    if [[ -n $bus_pid ]]; then
        stop_pid "$bus_pid"
    fi
    if [[ -n $xvfb_pid ]]; then
        stop_pid "$xvfb_pid"
    fi
    if [[ -n $work ]]; then
        rm -rf "$work"
    fi
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# Xvfb and the bus get up to 30 s to write their address: a busy machine may take longer than
# usual, which must not pass for a failed start.

if [[ ! -x $test_binary ]]; then
    echo "run-accessibility-tests: $test_binary not found; build it first (make build)" >&2
    exit 1
fi
for tool in Xvfb xauth mcookie dbus-daemon dbus-send /usr/libexec/at-spi-bus-launcher; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "run-accessibility-tests: $tool is missing (make deps installs it)" >&2
        exit 1
    fi
done

work=$(mktemp -d)
chmod 700 "$work"
export XDG_RUNTIME_DIR="$work"
export XAUTHORITY="$work/Xauthority"

# The first free display from :90 on. Another Xvfb may take a number between the look and the
# start; Xvfb then ends at once and the next number is tried. -displayfd reports readiness. It
# does not reset as its last client leaves, which would drop a client still connecting.
for number in $(seq 90 129); do
    [[ -e /tmp/.X$number-lock || -e /tmp/.X11-unix/X$number ]] && continue
    xauth -q add ":$number" . "$(mcookie)"
    Xvfb ":$number" -screen 0 1280x1024x24 -nolisten tcp -noreset -auth "$XAUTHORITY" \
        -displayfd 3 3>"$work/display" >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    if wait_for_content 30 "$work/display" "$xvfb_pid"; then
        export DISPLAY=":$number"
        break
    fi
    stop_pid "$xvfb_pid"
    xvfb_pid=""
done
if [[ -z $xvfb_pid ]]; then
    echo "run-accessibility-tests: no Xvfb display could be started" >&2
    cat "$work/xvfb.log" >&2 || true
    exit 1
fi

dbus-daemon --session --nofork --nopidfile --address="unix:path=$work/bus" \
    --print-address=3 3>"$work/bus-address" >"$work/bus.log" 2>&1 &
bus_pid=$!
if ! wait_for_content 30 "$work/bus-address" "$bus_pid"; then
    echo "run-accessibility-tests: the D-Bus session bus did not start" >&2
    exit 1
fi
DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$work/bus-address")
export DBUS_SESSION_BUS_ADDRESS

# Started here rather than by the bus on first use, so that it has a process id to stop.
/usr/libexec/at-spi-bus-launcher >"$work/at-spi.log" 2>&1 &
launcher_pid=$!
# Asks who owns the name without calling it, which would have the bus start a second one.
a11y_bus_named() {
    timeout 5 dbus-send --session --print-reply --dest=org.freedesktop.DBus \
        /org/freedesktop/DBus org.freedesktop.DBus.NameHasOwner string:org.a11y.Bus 2>/dev/null |
        grep -q 'boolean true'
}
named_or_ended() { a11y_bus_named || ! kill -0 "$launcher_pid" 2>/dev/null; }
# Without the bus every screen-reader row would skip: that is a failed start, not a failed test.
if ! wait_until 30 named_or_ended || ! a11y_bus_named; then
    echo "run-accessibility-tests: the AT-SPI bus launcher did not start" >&2
    cat "$work/at-spi.log" >&2 || true
    exit 1
fi

status=0
QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 \
    timeout --kill-after=10 "$test_seconds" "$test_binary" >"$work/test.log" 2>&1 || status=$?
cat "$work/test.log"

skipped=$(grep -c '^SKIP ' "$work/test.log" || true)
event_rows=$(grep -c '^PASS   : tst_Accessibility::screenReaderView(' "$work/test.log" || true)
echo "run-accessibility-tests: on $DISPLAY with AT-SPI: $event_rows screen-reader rows passed," \
    "$skipped skipped"
if [[ $status -ne 0 ]]; then
    echo "run-accessibility-tests: tst_accessibility failed ($status)" >&2
    exit "$status"
fi
if [[ $skipped -ne 0 ]]; then
    echo "run-accessibility-tests: rows skipped although accessibility was on" >&2
    exit 1
fi
