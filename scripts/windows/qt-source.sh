#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Debian 13's qt6-base source, which the Windows Qt is built from, through an apt of its own in
# the cache: its source list, lists and downloads live there, so nothing under /etc or
# /var/lib/apt changes and a normal user can run it, on this machine or inside the tools root.
# The lists are fetched anew when over an hour old, so a new upload (a deb13uN) is found on
# the next run; without the network, the last lists serve.
#
#   qt-source.sh version        the newest qt6-base source version of the release
#   qt-source.sh fetch VERSION DIR
#                               downloads that source package (.dsc and its files) into DIR
set -euo pipefail

usage() {
    sed -n 's/^#   qt-source.sh /usage: qt-source.sh /p' "$0" >&2
    exit 2
}
here=$(cd "$(dirname "$0")" && pwd)
cache=${KOLVO_CACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/kolvo-testclient}
release=$("$here/../debian/release.sh" codename 13)
mirror=${KOLVO_DEBIAN_MIRROR:-http://deb.debian.org/debian}
security=${KOLVO_DEBIAN_SECURITY_MIRROR:-http://deb.debian.org/debian-security}
apt_dir=$cache/apt-$release
private_apt=(
    -o "Dir::Etc::SourceList=$apt_dir/sources.list"
    -o "Dir::Etc::SourceParts=$apt_dir/parts"
    -o "Dir::State::Lists=$apt_dir/lists"
    -o "Dir::State::status=/var/lib/dpkg/status"
    -o "Dir::Cache=$apt_dir"
    -o "Dir::Cache::Archives=$apt_dir/archives"
    -o "APT::Sandbox::User=$(id -un)"
    -o "Debug::NoLocking=true"
)

# Fetches the lists when they are missing or over an hour old; runs side by side wait.
update() {
    mkdir -p "$apt_dir/lists/partial" "$apt_dir/archives/partial" "$apt_dir/parts"
    printf '%s\n' "deb-src $mirror $release main" "deb-src $mirror $release-updates main" \
        "deb-src $security $release-security main" >"$apt_dir/sources.list"
    (
        flock 8
        stamp=$apt_dir/updated
        if [ -f "$stamp" ] && [ -n "$(find "$stamp" -mmin -60)" ] &&
            cmp -s "$apt_dir/sources.list" "$stamp"; then
            exit 0
        fi
        if apt-get "${private_apt[@]}" -qq update >"$apt_dir/update.log" 2>&1; then
            cp "$apt_dir/sources.list" "$stamp"
        elif [ -f "$stamp" ]; then
            echo "qt-source: apt-get update failed (see $apt_dir/update.log); using the lists of $(date -r "$stamp" '+%F %R')" >&2
        else
            cat "$apt_dir/update.log" >&2
            echo "qt-source: apt-get update of $release's source lists failed" >&2
            exit 1
        fi
    ) 8>"$apt_dir.lock"
}

case "${1:-}" in
version)
    update
    # apt's own choice among the suites: the newest version.
    uri=$(apt-get "${private_apt[@]}" -qq --print-uris source qt6-base 2>/dev/null | grep -m1 "\.dsc'")
    version=$(sed -n "s/.* qt6-base_\(.*\)\.dsc .*/\1/p" <<<"$uri")
    [ -n "$version" ] || { echo "qt-source: no qt6-base source in $release's lists" >&2; exit 1; }
    echo "$version"
    ;;
fetch)
    version=${2:?$(usage)}
    dir=${3:?$(usage)}
    update
    mkdir -p "$dir"
    (cd "$dir" && apt-get "${private_apt[@]}" -qq --download-only source "qt6-base=$version")
    ;;
*) usage ;;
esac
