# SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

# shellcheck shell=bash
# Sourced by the scripts and checks that wait for another process: they poll what they wait for
# until a deadline on the clock, so a busy machine makes a wait longer, never a failure. A look
# that fails by chance counts as "not yet".

# wait_until SECONDS COMMAND [ARG...]: runs COMMAND every 0.2 s until it succeeds (0) or SECONDS
# have passed (1). The last try starts after the deadline.
wait_until() {
    local deadline=$((${EPOCHREALTIME/[.,]/} + $1 * 1000000))
    shift
    until "$@"; do
        ((${EPOCHREALTIME/[.,]/} < deadline)) || return 1
        sleep 0.2
    done
}

# wait_for_content SECONDS FILE PID: FILE has content within SECONDS (0), or not (1); when the
# process PID that is to write it ends first, this gives up at once.
has_content_or_ended() { [[ -s $1 ]] || ! kill -0 "$2" 2>/dev/null; }
wait_for_content() {
    wait_until "$1" has_content_or_ended "$2" "$3"
    [[ -s $2 ]]
}

# find_window XDOTOOL-SEARCH-ARGS...: one look; prints the id of the first window found, or
# keeps the look's error in last_window_error. xdotool lists the windows first and then asks
# each for its name or state: a window that is gone in between ends it with X's BadWindow,
# which says nothing about the window sought. Opening the display has failed by chance too.
find_window() {
    local output
    if output=$(timeout 10 xdotool search "$@" 2>&1) &&
        [[ $'\n'$output =~ $'\n'([0-9]+)($'\n'|$) ]]; then
        printf '%s\n' "${BASH_REMATCH[1]}"
        return 0
    fi
    last_window_error=$output
    return 1
}

# wait_for_window SECONDS XDOTOOL-SEARCH-ARGS...: prints the id of the first window that
# `xdotool search` finds within SECONDS, or fails (1) with the last look's error, if any.
wait_for_window() {
    local seconds=$1
    shift
    last_window_error=""
    wait_until "$seconds" find_window "$@" && return 0
    [[ -z $last_window_error ]] ||
        printf 'wait_for_window: the last look ended: %s\n' "${last_window_error%%$'\n'*}" >&2
    return 1
}

# has_focus WINDOW: gives WINDOW the keyboard focus and succeeds once X reports it has it.
has_focus() {
    xdotool windowfocus "$1" 2>/dev/null || return 1
    [[ $(xdotool getwindowfocus -f 2>/dev/null) == "$1" ]]
}

# wait_for_focus SECONDS WINDOW: WINDOW has the keyboard focus within SECONDS (0), or not (1).
# A window that is not yet mapped refuses the focus, so this asks again until it takes it.
wait_for_focus() {
    wait_until "$1" has_focus "$2"
}
