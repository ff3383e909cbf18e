#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Collects every download of the checked-out commit in one folder, with SHA256SUMS: the Debian
# source packages, the binary packages with their -dbgsym packages (Debian 12 and 13, each for
# amd64 and the Raspberry Pi's arm64 and armhf), the Windows zip and installer, and the exact Qt
# source the Windows libraries were built from. sbuild's records (.buildinfo, .changes) carry the
# build's date and place and stay out.
# Usage: scripts/release.sh DIST_DIR WINDOWS_BUILD_DIR DEB_DIR
set -euo pipefail

usage="usage: $0 DIST_DIR WINDOWS_BUILD_DIR DEB_DIR"
dist=${1:?$usage}
win=${2:?$usage}
deb_dir=${3:?$usage}
root=$(cd "$(dirname "$0")/.." && pwd)
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct)}
version=$(sed -n 's/^project.kolvo_testclient VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")

fail() {
    echo "release: $*" >&2
    exit 1
}
mapfile -t debian < <(find "$deb_dir" -maxdepth 2 -name '*.deb' -o -name '*.dsc' -o -name '*.tar.xz' | LC_ALL=C sort)
debs=$(printf '%s\n' "${debian[@]}" | grep -c '\.deb$' || true)
# Every release and architecture, each with its -dbgsym package.
((debs == 12)) || fail "$deb_dir holds $debs packages, not 12; run 'make packages'"
zip="$win/kolvo-testclient-$version-win64.zip"
installer="$win/kolvo-testclient-$version-win64.exe"
for download in "$zip" "$installer"; do
    [ -f "$download" ] || fail "no $download; run 'make windows'"
done
qt_source=$(sed -n 's/^KOLVO_QT_SOURCE:PATH=//p' "$win/CMakeCache.txt")
[ -d "$qt_source" ] || fail "the Qt source folder named in $win/CMakeCache.txt is missing"
[ -z "$(git -C "$root" status --porcelain --untracked-files=no)" ] ||
    echo "release: note: the work tree has changes; the source packages hold the commit only" >&2

# Only files this script writes are replaced; anything else in the folder stays.
mkdir -p "$dist"
cp "${debian[@]}" "$zip" "$installer" "$dist/"

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
for file in "${debian[@]}"; do files+=("$(basename "$file")"); done
files+=("$(basename "$zip")" "$(basename "$installer")" "$qt_archive")
(cd "$dist" && sha256sum "${files[@]}" >SHA256SUMS && sha256sum --quiet -c SHA256SUMS)
echo "release: $dist holds, checked against SHA256SUMS:"
for file in "${files[@]}" SHA256SUMS; do
    printf '  %10d  %s\n' "$(stat -c %s "$dist/$file")" "$file"
done
