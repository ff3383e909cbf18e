#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

# The release a package is built for shows in its version, a later release's package replaces an
# earlier one's, and Debian's own package of the same version replaces both.
# Run by CTest: tst_debian_release.sh SOURCE_DIR
set -euo pipefail

release=${1:?usage: $0 SOURCE_DIR}/scripts/debian/release.sh
# shellcheck source=support/shell_checks.sh
source "$1/tests/support/shell_checks.sh"

# check WHAT WANT COMMAND [ARG...]: what COMMAND prints, "<failed>" where it fails.
check() {
    local what=$1 want=$2 got
    shift 2
    got=$("$@" 2>/dev/null) || got="<failed>"
    expect "$what" "$want" "$got"
}

check "all, oldest first" "bookworm trixie" sh -c "'$release' all | paste -sd' ' -"
check "by number" trixie "$release" codename 13
check "by name" bookworm "$release" codename bookworm
check "unknown" "<failed>" "$release" codename 11
check "version" 1.0-1~deb13 "$release" version 1.0-1 trixie
# A release's source package carries its own changelog entry, so the script reads a copy here.
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
mkdir -p "$tree/scripts/debian" "$tree/debian"
cp "$release" "$tree/scripts/debian/"
printf 'kolvo-testclient (2.3-4) unstable; urgency=medium\n\n  * A release.\n\n -- A <a@b.invalid>  Thu, 01 Jan 2026 00:00:00 +0000\n' \
    >"$tree/debian/changelog"
check "debian/changelog's version" 2.3-4~deb12 "$tree/scripts/debian/release.sh" version 12
check "no Debian revision" "<failed>" "$release" version 1.0 trixie
check "not a version" "<failed>" "$release" version '1.0-1 ' 12

# apt's order: the plain 1.0 of earlier downloads, then 12's, then 13's, then Debian's own, and a
# newer upstream version above all.
if command -v dpkg >/dev/null; then
    older=1.0
    for newer in "$("$release" version 1.0-1 12)" "$("$release" version 1.0-1 13)" 1.0-1 \
        "$("$release" version 1.1-1 12)"; do
        check "$older sorts before $newer" yes sh -c "dpkg --compare-versions '$older' lt '$newer' && echo yes"
        older=$newer
    done
fi

report
