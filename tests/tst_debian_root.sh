#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

# A clean root whose download failed is made again a minute later, twice at most; any other
# failure ends it at once. A tools root is made once for its packages' versions, and anew for
# others. Stand-ins for mmdebstrap and sleep count their calls.
# Run by CTest: tst_debian_root.sh SOURCE_DIR
set -euo pipefail
command -v dpkg >/dev/null || exit 77
src=${1:?usage: $0 SOURCE_DIR}
# shellcheck source=support/shell_checks.sh
source "$src/tests/support/shell_checks.sh"
stand_ins
# The stand-in prints the line of FAILURES that its call's number names and fails, or, where that
# line is empty, makes the root.
cat >"$work/bin/mmdebstrap" <<'STAND_IN'
#!/bin/sh
echo call >>"$WORK/calls"
line=$(sed -n "$(wc -l <"$WORK/calls")p" "$WORK/failures")
[ -z "$line" ] || { echo "$line"; exit 1; }
for arg; do case $arg in *.new.tar.*) : >"$arg" ;; esac; done
STAND_IN
cat >"$work/bin/sleep" <<'STAND_IN'
#!/bin/sh
echo "$1" >>"$WORK/slept"
STAND_IN
chmod +x "$work/bin/mmdebstrap" "$work/bin/sleep"

# root WHAT WANT [FAILURE...]: WANT is root.sh's status, mmdebstrap's calls and the seconds slept.
root() {
    local what=$1 want=$2 status=0
    shift 2
    rm -rf "$work/cache" "$work/calls" "$work/slept"
    printf '%s\n' "$@" >"$work/failures"
    WORK=$work KOLVO_CACHE_DIR=$work/cache PATH="$work/bin:$PATH" \
        "$src/scripts/debian/root.sh" test 13 >/dev/null 2>&1 || status=$?
    expect "$what" "$want" "$status $(wc -l <"$work/calls") $(paste -sd+ "$work/slept" 2>/dev/null)"
}

fetch="E: Failed to fetch http://deb.debian.org/debian/Packages.xz  File has unexpected size"
root "made at once" "0 1 " ""
root "made after a failed download" "0 2 60" "$fetch" ""
root "three failed downloads" "1 3 60+60" "$fetch" "$fetch" "$fetch"
root "another failure ends at once" "1 1 " "E: unable to resolve dependencies"

# The tools root for host tools of a Qt version (the Windows build's): made once for it, anew for
# the next upload.
rm -rf "$work/cache" "$work/calls"
: >"$work/failures"
tools() {
    WORK=$work KOLVO_CACHE_DIR=$work/cache PATH="$work/bin:$PATH" \
        "$src/scripts/debian/root.sh" tools 13 nsis "qt6-base-dev-tools=$1" 2>/dev/null
}
first=$(tools 6.8.2+dfsg-9+deb13u2)
expect "one version's tools root is made once" "$first 1" "$(tools 6.8.2+dfsg-9+deb13u2) $(wc -l <"$work/calls")"
second=$(tools 6.8.2+dfsg-9+deb13u3)
expect "a new upload's tools root is made anew" "different 2" \
    "$([[ $second != "$first" ]] && echo different || echo same) $(wc -l <"$work/calls")"
report
