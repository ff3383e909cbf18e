#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

# The Debian releases we build packages for, in one place, and the version a package gets for
# each: the changelog's version with the release appended (1.0-1~deb12). Each release's sorts
# after the earlier one's, and all sort before the changelog's own, so that a package from
# Debian itself, or a later upstream version, wins.
#
#   release.sh all                           the codenames, oldest first
#   release.sh codename 12|13|bookworm       the release's codename
#   release.sh version VERSION 12|bookworm   the package version: 1.0-1~deb12
#   release.sh version 12|bookworm           the same for debian/changelog's version
set -euo pipefail

releases=(12:bookworm 13:trixie)

usage() {
    sed -n 's/^#   release.sh /usage: release.sh /p' "$0" >&2
    exit 2
}
fail() {
    echo "release: $*" >&2
    exit 1
}

# Prints "NUMBER CODENAME" for a release given by either.
lookup() {
    local entry
    for entry in "${releases[@]}"; do
        if [[ $1 == "${entry%%:*}" || $1 == "${entry#*:}" ]]; then
            echo "${entry%%:*} ${entry#*:}"
            return 0
        fi
    done
    fail "no release we build for: '$1' (one of: ${releases[*]})"
}

(($# >= 1)) || usage
command=$1
shift
case "$command:$#" in
all:0) printf '%s\n' "${releases[@]#*:}" ;;
codename:1) read -r _ name < <(lookup "$1") && echo "$name" ;;
version:1) "$0" version "$(dpkg-parsechangelog -l "$(dirname "$0")/../../debian/changelog" -SVersion)" "$1" ;;
version:2)
    [[ $1 =~ ^[0-9][0-9.]*-[0-9][0-9.]*$ ]] || fail "not a Debian version with a revision: '$1'"
    read -r number _ < <(lookup "$2") && echo "$1~deb$number"
    ;;
*) usage ;;
esac
