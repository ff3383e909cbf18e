# SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

# shellcheck shell=bash
# Sourced by the scripts that start helper processes: stops one of them by its process id.
# stop_pid PID [SECONDS]: TERM first, KILL if it is still there after SECONDS (default 5).
stop_pid() {
    local pid=$1 tenths=$((${2:-5} * 10))
    kill -0 "$pid" 2>/dev/null || return 0
    kill -TERM "$pid" 2>/dev/null || true
    for _ in $(seq "$tenths"); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
}
