#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Configures the Windows build folder against the Qt that build-qt-mingw.sh cross-builds once
# (and builds it first when the cache lacks it). Qt's own toolchain file finds that Qt and chains
# ours for the compilers. A build folder made against another Qt (Debian's moved on) starts
# afresh: its cache keeps the old paths.
#
# Usage: scripts/windows/configure.sh BUILD_DIR   (WERROR=ON as for make)
set -euo pipefail

build_dir=${1:?usage: $0 BUILD_DIR}
here=$(cd "$(dirname "$0")" && pwd -P)
source_dir=$(cd "$here/../.." && pwd -P)

qt=$("$here/build-qt-mingw.sh")
qt_source=$("$here/build-qt-mingw.sh" --source)
toolchain=$qt/lib/cmake/Qt6/qt.toolchain.cmake
if [[ -f $build_dir/CMakeCache.txt ]] &&
    ! grep -qxF "CMAKE_TOOLCHAIN_FILE:FILEPATH=$toolchain" "$build_dir/CMakeCache.txt"; then
    echo "$build_dir was configured against another Qt; configuring it afresh"
    rm -rf "$build_dir/CMakeCache.txt" "$build_dir/CMakeFiles"
fi
cmake -S "$source_dir" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DKOLVO_WERROR="${WERROR:-OFF}" \
    -DCMAKE_TOOLCHAIN_FILE:FILEPATH="$toolchain" \
    -DQT_CHAINLOAD_TOOLCHAIN_FILE="$source_dir/cmake/toolchains/mingw-w64-x86_64.cmake" \
    -DKOLVO_QT_SOURCE="$qt_source"
