# SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

# shellcheck shell=bash
# Sourced by the shell tests: every check counts, and report says how many ran, so a test that
# ran fewer checks than it should shows it.

passed=0 failed=0

# expect WHAT WANT GOT: passes when GOT is WANT, else prints both, each on one line.
expect() {
    if [[ $3 == "$2" ]]; then
        passed=$((passed + 1))
    else
        printf 'FAIL: %s\n  want: %s\n  got:  %s\n' "$1" "${2//$'\n'/ | }" "${3//$'\n'/ | }"
        failed=$((failed + 1))
    fi
}

# report: prints the counts; fails where a check did.
report() {
    echo "$passed passed, $failed failed"
    ((failed == 0))
}

# stand_ins: a folder for the test's files, removed at its end, as $work, with $work/bin for
# stand-ins of the commands a script calls, to go first on PATH.
stand_ins() {
    work=$(mktemp -d)
    # shellcheck disable=SC2064 # the folder's name is known now
    trap "rm -rf '$work'" EXIT
    mkdir "$work/bin"
}
