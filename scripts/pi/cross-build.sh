#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Cross-builds the programs and the test suite for a Raspberry Pi architecture against a sysroot
# of Debian's own Qt (made once by make-sysroot.sh, or given as KOLVO_SYSROOT), and packs the
# Debian package in the same folder: build-arm64/kolvo-testclient_<version>+deb12_arm64.deb, say.
# The programs get Debian's hardening flags for that architecture, as the amd64 package's do, and
# the amd64 suite's optimisation (-O2): at -O3 with fortify, g++ 12 warns of null format
# arguments that are not.
#
# Usage: scripts/pi/cross-build.sh arm64|armhf BUILD_DIR
#   WERROR=ON, JOBS=N as for make; KOLVO_TESTS=OFF builds the programs alone (a folder keeps its
#   choice until told otherwise); KOLVO_SYSROOT and KOLVO_DEBIAN_RELEASE name another release's
#   sysroot and that release, for a build in a clean root of it.
set -euo pipefail

arch=${1:?usage: $0 arm64|armhf BUILD_DIR}
build_dir=${2:?usage: $0 arm64|armhf BUILD_DIR}
here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(cd "$here/../.." && pwd)

if [[ -n ${KOLVO_SYSROOT:-} ]]; then
    sysroot=$KOLVO_SYSROOT
    release=${KOLVO_DEBIAN_RELEASE:?KOLVO_SYSROOT needs KOLVO_DEBIAN_RELEASE, the release it is of}
else
    sysroot=$("$here/make-sysroot.sh" "$arch")
    release=$("$here/../debian-release.sh" host)
fi
# A build folder made against another sysroot keeps that sysroot's paths in its cache.
if [[ -f $build_dir/CMakeCache.txt ]] &&
    ! grep -qxF "KOLVO_SYSROOT:PATH=$sysroot" "$build_dir/CMakeCache.txt"; then
    echo "$build_dir was configured against another sysroot; configuring it afresh"
    rm -rf "$build_dir/CMakeCache.txt" "$build_dir/CMakeFiles"
fi

cmake -S "$source_dir" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKOLVO_WERROR="${WERROR:-OFF}" -DKOLVO_BUILD_BENCH=OFF \
    -DCMAKE_TOOLCHAIN_FILE="$source_dir/cmake/toolchains/raspberry-pi.cmake" \
    -DKOLVO_DEB_ARCH="$arch" -DKOLVO_SYSROOT:PATH="$sysroot" -DKOLVO_DEBIAN_RELEASE="$release" \
    ${KOLVO_TESTS:+-DBUILD_TESTING="$KOLVO_TESTS"} -DKOLVO_DEB_HARDENING=ON
cmake --build "$build_dir" -j "${JOBS:-$(nproc)}"
(cd "$build_dir" && cpack)
