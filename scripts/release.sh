#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Collects every download of the checked-out commit in one folder, with SHA256SUMS: the Debian
# packages (Debian 12 and 13, each for amd64 and the Raspberry Pi's arm64 and armhf), the Windows
# zip and installer, a source archive of the commit, and the exact Qt source the Windows
# libraries were built from.
# Usage: scripts/release.sh DIST_DIR WINDOWS_BUILD_DIR VERSION PACKAGE.deb...
set -euo pipefail

usage="usage: $0 DIST_DIR WINDOWS_BUILD_DIR VERSION PACKAGE.deb..."
dist=${1:?$usage}
win=${2:?$usage}
version=${3:?$usage}
shift 3
debs=("$@")
((${#debs[@]})) || { echo "$usage" >&2; exit 2; }
root=$(cd "$(dirname "$0")/.." && pwd)
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct)}

fail() {
    echo "release: $*" >&2
    exit 1
}
for deb in "${debs[@]}"; do
    [ -f "$deb" ] || fail "no $deb; run 'make package arm64 armhf' with RELEASE set to its release"
done
zip="$win/kolvo-testclient-$version-win64.zip"
installer="$win/kolvo-testclient-$version-win64.exe"
for download in "$zip" "$installer"; do
    [ -f "$download" ] || fail "no $download; run 'make windows'"
done
qt_source=$(sed -n 's/^KOLVO_QT_SOURCE:PATH=//p' "$win/CMakeCache.txt")
[ -d "$qt_source" ] || fail "the Qt source folder named in $win/CMakeCache.txt is missing"
[ -z "$(git -C "$root" status --porcelain --untracked-files=no)" ] ||
    echo "release: note: the work tree has changes; the source archive holds the commit only" >&2

# Only files this script writes are replaced; anything else in the folder stays.
mkdir -p "$dist"
cp "${debs[@]}" "$zip" "$installer" "$dist/"

# The commit as it is, under a top folder that carries the version; git stamps every member
# with the commit's time.
git -C "$root" archive --format=tar --prefix="kolvo-testclient-$version/" HEAD |
    gzip -9n >"$dist/kolvo-testclient-$version.tar.gz"

# Debian's Qt source package as apt fetched it, with our toolchain file and configure options:
# everything needed to build the Windows libraries anew. The notes in the downloads' licenses
# folder say how.
debian_version=$(basename "$qt_source"/qt6-base_*.dsc .dsc)
debian_version=${debian_version#qt6-base_}
qt_archive="qt6-base-$debian_version-source.tar"
staging=$(mktemp -d)
trap 'rm -rf "$staging"' EXIT
top="$staging/qt6-base-$debian_version-source"
mkdir "$top"
cp "$qt_source"/qt6-base_* "$qt_source/configure-options.txt" \
    "$root/cmake/toolchains/mingw-w64-x86_64.cmake" "$top/"
cp "$win/licenses/README.txt" "$top/README.txt"
tar --sort=name --mtime="@$epoch" --owner=0 --group=0 --numeric-owner --mode=go-w,a+rX \
    -C "$staging" -cf "$dist/$qt_archive" "$(basename "$top")"

files=()
for deb in "${debs[@]}"; do files+=("$(basename "$deb")"); done
files+=("$(basename "$zip")" "$(basename "$installer")" "kolvo-testclient-$version.tar.gz" "$qt_archive")
(cd "$dist" && sha256sum "${files[@]}" >SHA256SUMS && sha256sum --quiet -c SHA256SUMS)
echo "release: $dist holds, checked against SHA256SUMS:"
for file in "${files[@]}" SHA256SUMS; do
    printf '  %10d  %s\n' "$(stat -c %s "$dist/$file")" "$file"
done
