#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Names of the Debian releases we build packages for, in one place: the Makefile, the build
# scripts and CMake ask this script, so a package's version, file name and build root agree.
#
#   debian-release.sh host                      this machine's release: bookworm, trixie
#   debian-release.sh codename 12|13|bookworm   the release's codename
#   debian-release.sh number 12|13|bookworm     its number: 12, 13
#   debian-release.sh version VERSION RELEASE   the package version: 1.0+deb12
#   debian-release.sh deb VERSION RELEASE ARCH  the package file: kolvo-testclient_1.0+deb12_amd64.deb
#   debian-release.sh other RELEASE             the other release we build for
#
# KOLVO_OS_RELEASE names the os-release file that "host" reads (/etc/os-release).
set -euo pipefail

# The releases we build for, oldest first; the package of a later one sorts after the earlier's.
releases=(12:bookworm 13:trixie)

usage() {
    sed -n 's/^#   debian-release.sh /usage: debian-release.sh /p' "$0" >&2
    exit 2
}
fail() {
    echo "debian-release: $*" >&2
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

host() {
    local file=${KOLVO_OS_RELEASE:-/etc/os-release} codename
    [[ -r $file ]] || fail "cannot read $file"
    # Read, not sourced: the file is data.
    codename=$(sed -n 's/^VERSION_CODENAME=["'\'']\{0,1\}\([a-z]*\).*/\1/p' "$file" | head -1)
    [[ -n $codename ]] || fail "$file names no release (VERSION_CODENAME)"
    lookup "$codename" >/dev/null
    echo "$codename"
}

(($# >= 1)) || usage
command=$1
shift
case "$command:$#" in
host:0) host ;;
codename:1) read -r _ name < <(lookup "$1") && echo "$name" ;;
number:1) read -r number _ < <(lookup "$1") && echo "$number" ;;
version:2)
    [[ $1 =~ ^[0-9][0-9.]*$ ]] || fail "not a version: '$1'"
    read -r number _ < <(lookup "$2") && echo "$1+deb$number"
    ;;
deb:3)
    [[ $3 =~ ^[a-z0-9]+$ ]] || fail "not a Debian architecture: '$3'"
    echo "kolvo-testclient_$("$0" version "$1" "$2")_$3.deb"
    ;;
other:1)
    read -r _ name < <(lookup "$1")
    for entry in "${releases[@]}"; do
        if [[ ${entry#*:} != "$name" ]]; then echo "${entry#*:}"; fi
    done
    ;;
*) usage ;;
esac
