#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

# `make run`: starts the window, with the bundled loopback server behind it when no command
# server listens on 127.0.0.1:12345 yet. A server that already listens is left alone.
# Usage: scripts/run-with-server.sh BIN_DIR
set -euo pipefail

bin_dir=${1:?usage: $0 BIN_DIR}
host=127.0.0.1
port=12345
log="$(dirname "$bin_dir")/loopback-server.log"
server_pid=""
window_pid=""

# ss asks the kernel without connecting, so a real server sees no stray connection; bash's
# /dev/tcp is the fallback where ss is missing.
listening() {
    if command -v ss >/dev/null 2>&1; then
        ss -Htln "sport = :$port" | grep -q .
    else
        (exec 3<>"/dev/tcp/$host/$port") 2>/dev/null
    fi
}
# shellcheck disable=SC2317 # run by wait_until
listening_or_ended() { grep -q "listening on" "$log" 2>/dev/null || ! kill -0 "$server_pid" 2>/dev/null; }

# shellcheck source=lib/stop-pid.sh
source "$(dirname "$0")/lib/stop-pid.sh"
# shellcheck source=lib/wait.sh
source "$(dirname "$0")/lib/wait.sh"

# shellcheck disable=SC2317 # run by the EXIT trap
cleanup() {
    if [[ -n $window_pid ]]; then
        stop_pid "$window_pid"
    fi
    if [[ -n $server_pid ]]; then
        stop_pid "$server_pid"
        echo "run-with-server: loopback server stopped"
    fi
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

if [[ ! -x $bin_dir/kolvo-testclient ]]; then
    echo "run-with-server: $bin_dir/kolvo-testclient not found; build it first (make build)" >&2
    exit 1
fi

if listening; then
    echo "run-with-server: a server already listens on $host:$port; using it"
else
    echo "run-with-server: loopback server output goes to $log"
    # Emptied here: the server opens it only once forked, and the last run's line would pass
    # for this one's.
    : >"$log"
    "$bin_dir/kolvo-loopback-server" --address "$host" --port "$port" </dev/null >"$log" 2>&1 &
    server_pid=$!
    # "verbinden" should connect at once, so the window waits until the server listens.
    wait_until 30 listening_or_ended || true
    if grep -q "listening on" "$log" 2>/dev/null; then
        echo "run-with-server: loopback server (pid $server_pid) listens on $host:$port"
    else
        echo "run-with-server: the loopback server is not listening; its output:" >&2
        cat "$log" >&2
        if ! kill -0 "$server_pid" 2>/dev/null; then
            wait "$server_pid" 2>/dev/null || true
            server_pid=""
        fi
    fi
fi

# In the background so INT and TERM reach the traps at once rather than after the window.
"$bin_dir/kolvo-testclient" &
window_pid=$!
status=0
wait "$window_pid" || status=$?
window_pid=""
exit "$status"
