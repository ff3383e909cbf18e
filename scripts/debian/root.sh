#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

# A clean root of a Debian release as a tarball that sbuild, autopkgtest and piuparts start from,
# made once by mmdebstrap and cached; prints its path. A build root holds the build-essential set
# and the package's build dependencies as debian/control names them, the suite's included, which
# saves every build their download: for the build machine's architecture and for every host
# architecture given, which one release's builds share, so the build machine's part is made once.
# A test root holds the minimal base system with apt, for one architecture.
# A tools root holds the given packages (NAME or NAME=VERSION) for the build machine's
# architecture: programs of the release that scripts run on this machine inside it.
# Each is keyed by what goes into it and made anew after KOLVO_ROOT_MAX_AGE_DAYS (30).
#
# Usage: scripts/debian/root.sh build RELEASE [HOST_ARCH...]
#        scripts/debian/root.sh test RELEASE [ARCH]
#        scripts/debian/root.sh tools RELEASE PACKAGE...
#   The cache is ${KOLVO_CACHE_DIR:-~/.cache/kolvo-testclient}/roots; KOLVO_DEBIAN_MIRROR names
#   another mirror. Runs as a normal user (mmdebstrap's unshare mode) or as root.
set -euo pipefail

usage="usage: $0 build RELEASE [HOST_ARCH...] | test RELEASE [ARCH] | tools RELEASE PACKAGE..."
kind=${1:?$usage}
here=$(cd "$(dirname "$0")" && pwd)
release=$("$here/release.sh" codename "${2:?$usage}")
shift 2
build_arch=$(dpkg --print-architecture)
mirror=${KOLVO_DEBIAN_MIRROR:-http://deb.debian.org/debian}
cache=${KOLVO_CACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/kolvo-testclient}/roots
debian_dir=$(cd "$here/../../debian" && pwd)
control=$debian_dir/control

if [[ $kind == build ]]; then
    # The foreign host architectures, each once and in a fixed order, so that every build of a
    # release finds the same root.
    mapfile -t cross < <(printf '%s\n' "$@" | grep -vx -e "$build_arch" -e '' | sort -u)
    # apt resolves the build dependencies from debian/control itself, as sbuild will. apt-utils
    # brings the release's own solver, which sbuild's cross resolver calls.
    # shellcheck disable=SC2016 # mmdebstrap gives the hook the root's path as $1.
    options=(--variant=buildd '--include=fakeroot,apt-utils' --customize-hook='mkdir "$1/tmp/src"'
        --customize-hook="copy-in $debian_dir /tmp/src")
    build_deps="apt-get build-dep -y -q /tmp/src"
    for host_arch in "${cross[@]}"; do
        options+=(--include="crossbuild-essential-$host_arch")
        build_deps+=" && apt-get build-dep -y -q --host-architecture=$host_arch -P cross /tmp/src"
    done
    options+=(--architectures="$(IFS=,; echo "$build_arch${cross[*]:+,${cross[*]}}")"
        --chrooted-customize-hook="$build_deps && rm -rf /tmp/src")
    arches=$build_arch${cross[*]:+-$(IFS=-; echo "${cross[*]}")}
elif [[ $kind == test ]]; then
    arches=${1:-$build_arch}
    options=(--variant=minbase --include=apt --architectures="$arches")
elif [[ $kind == tools && $# -gt 0 ]]; then
    arches=$build_arch
    options=(--variant=apt --include="$(IFS=,; echo "$*")" --architectures="$arches")
else
    echo "$usage" >&2
    exit 2
fi

# A build root takes the release with its updates. It takes no security suite: no build needs its
# fixes, and its mirror syncs apart from the release's, so that one architecture's index may not
# match its Release file for hours, and every build of the release would fail with it. A test
# root takes the release as piuparts' mirror gives it, so that piuparts finds every package of
# the root there. A tools root takes the release's fixes as they come, security ones included:
# what it builds is shipped. It is one architecture, and a failed download is tried again.
sources=("deb $mirror $release main")
[[ $kind != test ]] && sources+=("deb $mirror $release-updates main")
[[ $kind == tools ]] && sources+=("deb ${KOLVO_DEBIAN_SECURITY_MIRROR:-http://deb.debian.org/debian-security} $release-security main")
# The key leaves out where the clone lies, so that every clone of the project shares the roots.
key=$({ printf '%s\n' "${options[@]//"$debian_dir"/debian}" "${sources[@]}"
        if [[ $kind == build ]]; then sed -n '/^Build-Depends:/,/^[^ ]/p' "$control"; fi; } |
    sha256sum | cut -c1-12)
name=$release-$kind-$arches
# piuparts reads gzip alone.
tarball=$cache/$name-$key.tar.$([[ $kind == test ]] && echo gz || echo zst)
mkdir -p "$cache"
exec 9>"$cache/$name.lock"
flock 9
max_age_minutes=$(( ${KOLVO_ROOT_MAX_AGE_DAYS:-30} * 1440 ))
if [[ -f $tarball ]] && (( $(date +%s) - $(stat -c %Y "$tarball") < max_age_minutes * 60 )); then
    echo "$tarball"
    exit 0
fi
echo "root: making the $kind root of $release for ${arches//-/, } (a minute or three)" >&2
# Roots of earlier contents made over a day ago, and any root too old to be used (the names of
# another layout's roots among them).
find "$cache" -maxdepth 1 \( -name "$name-*.tar.*" -mtime +0 -o -name '*.tar.*' \
    -mmin +"$max_age_minutes" \) -delete
# A mirror amid a sync serves index files that do not match its Release file yet, so a failed
# download is tried again after a minute, twice. mmdebstrap prints apt's own errors unless quiet.
for try in 1 2 3; do
    mmdebstrap "${options[@]}" "$release" "${tarball/.tar./.new.tar.}" "${sources[@]}" \
        >"$cache/$name.log" 2>&1 && break
    tail -30 "$cache/$name.log" >&2
    if (( try == 3 )) || ! grep -q '^E: Failed to fetch' "$cache/$name.log"; then
        echo "root: mmdebstrap failed; its whole output is in $cache/$name.log" >&2
        exit 1
    fi
    echo "root: a download failed (try $try of 3); trying again in a minute" >&2
    sleep 60
done
mv "${tarball/.tar./.new.tar.}" "$tarball"
echo "$tarball"
