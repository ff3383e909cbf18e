#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Runs a program cross-built for the Raspberry Pi (arm64 or armhf) under qemu-user against the
# sysroot it was built with: CTest's emulator for those builds, and usable by hand:
#   scripts/pi/qemu-run.sh build-arm64/bin/kolvo-loopback-server --help
# The sysroot comes from the build folder's CMakeCache.txt above the program, or from
# KOLVO_SYSROOT. The program replaces this script, so its pid is the program's.
set -euo pipefail

program=${1:?usage: $0 PROGRAM [ARGS...]}
shift
cache=$(dirname "$(realpath "$program")")/../CMakeCache.txt
from_cache() { sed -n "s/^$1:[A-Z]*=//p" "$cache" 2>/dev/null; }
sysroot=${KOLVO_SYSROOT:-$(from_cache KOLVO_SYSROOT)}
arch=${KOLVO_DEB_ARCH:-$(from_cache KOLVO_DEB_ARCH)}
case "$arch" in
arm64) qemu=qemu-aarch64 triplet=aarch64-linux-gnu ;;
armhf) qemu=qemu-arm triplet=arm-linux-gnueabihf ;;
*)
    echo "qemu-run: no arm64 or armhf build above $program (set KOLVO_SYSROOT and KOLVO_DEB_ARCH)" >&2
    exit 2
    ;;
esac
[[ -d $sysroot/usr/lib/$triplet ]] || { echo "qemu-run: no $arch sysroot at '$sysroot'" >&2; exit 2; }
# Debian 12 names the static emulator apart; Debian 13's qemu-user is static itself.
if command -v "$qemu-static" >/dev/null; then
    qemu=$qemu-static
else
    command -v "$qemu" >/dev/null || { echo "qemu-run: install the package qemu-user-static" >&2; exit 2; }
fi

# qemu's -L redirects the files a program opens, not the folders it lists: Qt finds its plugins
# only through a path on the host.
export QT_PLUGIN_PATH=$sysroot/usr/lib/$triplet/qt6/plugins
exec "$qemu" -L "$sysroot" "$program" "$@"
