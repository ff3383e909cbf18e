#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Builds the binary packages of one release's source package with sbuild, in a clean root of that
# release (root.sh), for the build machine's architecture or, cross-built, for another; the
# packages, their -dbgsym packages, sbuild's records and its log land in OUT_DIR.
#
# Usage: scripts/debian/build.sh SOURCE_DIR OUT_DIR RELEASE [HOST_ARCH]
#   SOURCE_DIR holds the source packages (source-package.sh). DEB_BUILD_PROFILES passes on, and
#   DEB_BUILD_OPTIONS, which sbuild sets to nocheck for a cross build where it is unset.
#   ROOT_ARCHES names the other host architectures whose builds share the release's root.
#   Runs as a normal user or as root, in sbuild's unshare mode.
set -euo pipefail

usage="usage: $0 SOURCE_DIR OUT_DIR RELEASE [HOST_ARCH]"
source_dir=$(cd "${1:?$usage}" && pwd)
out=${2:?$usage}
here=$(cd "$(dirname "$0")" && pwd)
release=$("$here/release.sh" codename "${3:?$usage}")
build_arch=$(dpkg --print-architecture)
host_arch=${4:-$build_arch}
version=$("$here/release.sh" version "$release")
dsc=$(echo "$source_dir"/*_"$version".dsc)
[[ -f $dsc ]] || { echo "build: no source package of $version in $source_dir" >&2; exit 1; }
# shellcheck disable=SC2086 # a list of architectures
tarball=$("$here/root.sh" build "$release" "$host_arch" ${ROOT_ARCHES:-})
mkdir -p "$out"

# sbuild's own choice for a cross build, cross and nocheck, unless DEB_BUILD_OPTIONS asks for the
# suite; named profiles come on top.
read -ra profiles <<<"${DEB_BUILD_PROFILES:-}"
if [[ $host_arch != "$build_arch" ]]; then
    profiles+=(cross)
    [[ -z ${DEB_BUILD_OPTIONS+set} || $DEB_BUILD_OPTIONS == *nocheck* ]] && profiles+=(nocheck)
fi
profile_list=$(IFS=,; echo "${profiles[*]}")
sbuild=(sbuild --chroot-mode=unshare --chroot="$tarball" --dist="$release" --build="$build_arch"
    --host="$host_arch" --no-apt-upgrade --no-apt-distupgrade --no-run-lintian --no-run-piuparts
    --no-run-autopkgtest --no-source --nolog --build-dir="$out" ${profile_list:+--profiles="$profile_list"})
# The build in the root is no part of the make that called this.
unset MAKEFLAGS MFLAGS MAKELEVEL
log=$out/sbuild.log
echo "build: $(basename "$dsc") for $host_arch in a clean $release root; the log is $log" >&2
if ! "$here/with-subids.sh" "${sbuild[@]}" "$dsc" >"$log" 2>&1; then
    tail -60 "$log" >&2
    echo "build: FAILED; the whole log is $log" >&2
    exit 1
fi
# The suite's and the build's last words.
grep -E 'tests passed|tests failed|^Build-Time:|^Status:' "$log" | sed 's/^/build:   /' >&2
