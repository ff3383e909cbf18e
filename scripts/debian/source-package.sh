#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

# The Debian source packages of the committed tree: one .orig.tar.xz of the program, and for each
# release we build for a .dsc with its .debian.tar.xz, whose changelog's newest entry gives the
# release's version (1.0-1~deb12). Every file carries the commit's time, so two clones of one
# commit give the same bytes.
#
# Usage: scripts/debian/source-package.sh OUT_DIR
set -euo pipefail

out=${1:?usage: $0 OUT_DIR}
here=$(cd "$(dirname "$0")" && pwd)
cd "$here/../.."
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
export TZ=UTC LC_ALL=C.UTF-8
version=$(dpkg-parsechangelog -SVersion)
upstream=${version%-*}
package=$(dpkg-parsechangelog -SSource)
mkdir -p "$out"
out=$(cd "$out" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

orig=$out/${package}_$upstream.orig.tar.xz
git archive --format=tar --prefix="$package-$upstream/" HEAD -- . ':(exclude)debian' |
    xz -T1 -6 >"$orig.new"
mv "$orig.new" "$orig"

maintainer=$(dpkg-parsechangelog -SMaintainer)
date=$(date -R -d "@$SOURCE_DATE_EPOCH")
for release in $("$here/release.sh" all); do
    release_version=$("$here/release.sh" version "$version" "$release")
    tree=$work/$release/$package-$upstream
    mkdir -p "$tree"
    tar -xJf "$orig" -C "$tree" --strip-components=1
    git archive --format=tar HEAD debian | tar -x -C "$tree"
    { printf '%s (%s) %s; urgency=medium\n\n' "$package" "$release_version" "$release"
      printf '  * Built for Debian %s.\n\n -- %s  %s\n\n' "$release" "$maintainer" "$date"
      cat "$tree/debian/changelog"; } >"$tree/debian/changelog.new"
    mv "$tree/debian/changelog.new" "$tree/debian/changelog"
    cp "$orig" "$work/$release/"
    (cd "$work/$release" && dpkg-source --build "$package-$upstream" >/dev/null)
    cp "$work/$release/${package}_$release_version".{dsc,debian.tar.xz} "$out/"
    echo "$out/${package}_$release_version.dsc"
done
