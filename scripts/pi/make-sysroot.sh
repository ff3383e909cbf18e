#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Makes, once, a sysroot of Debian's own Qt for a Raspberry Pi architecture (arm64 or armhf) in
# the cache outside the tree, and prints its folder on the last line. The packages are only
# unpacked (no maintainer scripts run, so no emulator is needed). By default the sysroot is of
# this machine's release and Qt, whose moc, rcc and uic then serve the cross-build; a build in a
# clean root of another release names that release, its Qt version and its cross-compiler's GCC.
# The folder's name carries a hash of all that and the package list: Debian's moved on, a new one
# is made and the old one pruned. Runs as a normal user and changes nothing under /etc; two runs
# that share the cache wait for each other.
#
# Usage: scripts/pi/make-sysroot.sh arm64|armhf [SUITE QT_VERSION GCC_MAJOR]
set -euo pipefail

usage="usage: $0 arm64|armhf [SUITE QT_VERSION GCC_MAJOR]"
arch=${1:?$usage}
case "$arch" in
arm64 | armhf) ;;
*)
    echo "make-sysroot: no Raspberry Pi architecture: $arch (arm64 or armhf)" >&2
    exit 2
    ;;
esac
(($# == 1 || $# == 4)) || { echo "$usage" >&2; exit 2; }
here=$(cd "$(dirname "$0")" && pwd)
cache_root=${KOLVO_CACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/kolvo-testclient}
# Bumped whenever the steps below change what a sysroot holds.
layout=3

command -v mmdebstrap >/dev/null || { echo "make-sysroot: install the package mmdebstrap" >&2; exit 1; }
if (($# == 4)); then
    suite=$2 qt_version=$3 gcc_major=$4
else
    suite=$("$here/../debian-release.sh" host)
    case "$arch" in
    arm64) compiler=aarch64-linux-gnu-g++ ;;
    armhf) compiler=arm-linux-gnueabihf-g++ ;;
    esac
    # The C++ library's headers come from the cross-compiler's own GCC version.
    gcc_major=$("$compiler" -dumpversion 2>/dev/null) ||
        { echo "make-sysroot: install the package g++-${compiler%-g++}" >&2; exit 1; }
    gcc_major=${gcc_major%%.*}
    qt_version=$(dpkg-query -W -f='${Version}' qt6-base-dev 2>/dev/null) ||
        { echo "make-sysroot: install the package qt6-base-dev, whose version the sysroot takes" >&2; exit 1; }
fi

# What the programs and tests compile and link against, and what the tests load at run time
# under emulation: the offscreen platform plugin and the fonts the layout is measured in.
packages=("qt6-base-dev=$qt_version" "qt6-qpa-plugins=$qt_version" libc6-dev "libstdc++-$gcc_major-dev"
    libgl-dev fonts-liberation fontconfig-config)

# The release's sources from this machine's apt configuration, as the clean roots take them:
# the same mirrors, point release and fixes.
root_tag=make-sysroot
cache_dir=$cache_root
# shellcheck source=../lib/debian-root.sh
source "$here/../lib/debian-root.sh"
root_sources "$suite"

key=$(printf '%s\n' "$suite" "$arch" "${packages[@]}" "$layout" "$(mmdebstrap --version)" \
    "${root_source_lines[@]}" | sha256sum | cut -c1-12)
sysroot="$cache_root/sysroot-$suite-$arch-$key"
mkdir -p "$cache_root"

# Sysroots of another Qt or package list are of no use any more; one in use is left alone.
for old in "$cache_root/sysroot-$suite-$arch-"*/; do
    old=${old%/}
    [[ $old == "$sysroot" || $old == *'*'* ]] && continue
    (
        flock -n 9 || exit 0
        echo "make-sysroot: removing $old, made for another Qt or package list" >&2
        rm -rf "$old"
    ) 9>"$old.lock"
done

exec 9>"$sysroot.lock"
if ! flock -n 9; then
    echo "make-sysroot: another run is making $sysroot; waiting for it ..." >&2
    flock 9
fi
if [[ -f $sysroot/.complete ]]; then
    echo "make-sysroot: $arch sysroot cached in $sysroot" >&2
    echo "$sysroot"
    exit 0
fi

work="$cache_root/sysroot-work-$arch-$key"
rm -rf "$work" "$sysroot"
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT
started=$SECONDS
echo "make-sysroot: unpacking Debian $suite's $arch Qt $qt_version into a sysroot (once; about a minute)" >&2

# dpkg-shlibdeps looks for the symbols and shlibs of a library that no installed package owns in
# the DEBIAN folder above it: those of every unpacked package, gathered there, let it compute the
# package's Depends against this architecture's libraries.
# shellcheck disable=SC2016 # the hook expands $1 itself
gather_control='mkdir -p "$1/DEBIAN"; for deb in "$1"/var/cache/apt/archives/*.deb; do
    dpkg-deb --ctrl-tarfile "$deb" | tar -xOf - --wildcards "./symbols" 2>/dev/null >>"$1/DEBIAN/symbols" || true
    dpkg-deb --ctrl-tarfile "$deb" | tar -xOf - --wildcards "./shlibs" 2>/dev/null >>"$1/DEBIAN/shlibs" || true
    dpkg-deb -W --showformat="\${Package} \${Version}\n" "$deb" >>"$1/DEBIAN/packages"
done'
mmdebstrap --variant=extract --arch="$arch" --include="$(IFS=,; echo "${packages[*]}")" \
    --extract-hook="$gather_control" --skip=output/dev,output/mknod \
    "$suite" "$work/sysroot.tar" "${root_source_lines[@]}" 2>&1 |
    while IFS= read -r line; do printf 'make-sysroot [%4ds]: %s\n' $((SECONDS - started)) "$line" >&2; done
[[ ${PIPESTATUS[0]} == 0 && -s $work/sysroot.tar ]] || { echo "make-sysroot: mmdebstrap failed" >&2; exit 1; }

mkdir -p "$work/sysroot"
tar -xf "$work/sysroot.tar" -C "$work/sysroot" --no-same-owner --exclude=./dev
[[ -s $work/sysroot/DEBIAN/symbols ]] || { echo "make-sysroot: no symbols files were gathered" >&2; exit 1; }
# Programs name their loader under /lib, which a release whose base system makes the merged /usr
# links at installation (Debian 13) leaves out of an unpacked sysroot; qemu-user looks there.
for dir in bin sbin lib; do
    [[ -e $work/sysroot/$dir || ! -d $work/sysroot/usr/$dir ]] || ln -s "usr/$dir" "$work/sysroot/$dir"
done
mv "$work/sysroot" "$sysroot"
touch "$sysroot/.complete"
echo "make-sysroot: ready in $((SECONDS - started)) s: $sysroot ($(du -sh "$sysroot" | cut -f1))" >&2
echo "$sysroot"
