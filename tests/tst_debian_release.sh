#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

# The release a package is built for shows in its version and file name, and a later release's
# package replaces an earlier one's. Run by CTest: tst_debian_release.sh SOURCE_DIR
set -euo pipefail

release=${1:?usage: $0 SOURCE_DIR}/scripts/debian-release.sh
# shellcheck source=support/shell_checks.sh
source "$1/tests/support/shell_checks.sh"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

# check WHAT WANT COMMAND [ARG...]: what COMMAND prints, "<failed>" where it fails.
check() {
    local what=$1 want=$2 got
    shift 2
    got=$("$@" 2>/dev/null) || got="<failed>"
    expect "$what" "$want" "$got"
}
os_release() { printf '%s\n' "$@" >"$dir/os-release"; }

# what | os-release lines | expected host release
os_release 'PRETTY_NAME="Debian GNU/Linux 12 (bookworm)"' VERSION_ID=\"12\" VERSION_CODENAME=bookworm
check "Debian 12" bookworm env KOLVO_OS_RELEASE="$dir/os-release" "$release" host
os_release 'PRETTY_NAME="Raspbian GNU/Linux 13 (trixie)"' ID=raspbian ID_LIKE=debian VERSION_CODENAME=trixie
check "Raspberry Pi OS on Debian 13" trixie env KOLVO_OS_RELEASE="$dir/os-release" "$release" host
os_release 'PRETTY_NAME="Debian GNU/Linux forky/sid"' VERSION_CODENAME=forky
check "a release we build nothing for" "<failed>" env KOLVO_OS_RELEASE="$dir/os-release" "$release" host
os_release 'NAME="Debian"'
check "no codename" "<failed>" env KOLVO_OS_RELEASE="$dir/os-release" "$release" host

check "by number" trixie "$release" codename 13
check "by name" 12 "$release" number bookworm
check "unknown" "<failed>" "$release" number 11
check "the other release" bookworm "$release" other 13
check "version" 1.0+deb13 "$release" version 1.0 trixie
check "not a version" "<failed>" "$release" version '1.0 ' trixie
check "file name" kolvo-testclient_1.0+deb12_armhf.deb "$release" deb 1.0 12 armhf
check "not an architecture" "<failed>" "$release" deb 1.0 12 ../x

# apt's order: the plain 1.0 of earlier downloads, then 12's, then 13's, and a newer upstream
# version above both.
if command -v dpkg >/dev/null; then
    older=1.0
    for newer in "$("$release" version 1.0 12)" "$("$release" version 1.0 13)" \
        "$("$release" version 1.1 12)"; do
        check "$older sorts before $newer" yes sh -c "dpkg --compare-versions '$older' lt '$newer' && echo yes"
        older=$newer
    done
fi

report
