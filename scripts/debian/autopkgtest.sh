#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Runs the source package's autopkgtest against one release's built package for one
# architecture, in a clean root of that release and architecture (autopkgtest's unshare
# backend). A foreign architecture's root runs under qemu-user, registered with binfmt_misc
# (binfmt.sh) and runs only the installed programs' test: the metadata test checks files that are
# the same in every architecture's package, and its tools would take minutes to install under
# emulation. The root's package lists are brought up to date first: the cached root keeps none.
#
# Usage: scripts/debian/autopkgtest.sh DEB_DIR RELEASE ARCH
set -euo pipefail

usage="usage: $0 DEB_DIR RELEASE ARCH"
deb_dir=${1:?$usage}
here=$(cd "$(dirname "$0")" && pwd)
release=$("$here/release.sh" codename "${2:?$usage}")
arch=${3:?$usage}
version=$("$here/release.sh" version "$release")
dsc=$deb_dir/source/kolvo-testclient_$version.dsc
deb=$deb_dir/$2-$arch/kolvo-testclient_${version}_$arch.deb
for file in "$dsc" "$deb"; do
    [[ -f $file ]] || { echo "autopkgtest: no $file; run 'make packages'" >&2; exit 1; }
done
tarball=$("$here/root.sh" test "$release" "$arch")
out=$deb_dir/$2-$arch/autopkgtest
rm -rf "$out"
log=$out.log
echo "autopkgtest: $(basename "$deb") in a clean $release root for $arch; the log is $log" >&2
tests=()
[[ $arch == "$(dpkg --print-architecture)" ]] || tests=(--test-name=installed-programs)
if ! "$here/with-subids.sh" autopkgtest --apt-upgrade --no-built-binaries --output-dir="$out" \
    "${tests[@]}" "$deb" "$dsc" -- unshare --release "$release" --arch "$arch" --tarball "$tarball" >"$log" 2>&1; then
    # The failing test's own output: the log's tail holds whichever test ran last.
    while read -r test verdict _; do
        [[ $verdict == FAIL ]] || continue
        echo "autopkgtest: $test printed:" >&2
        cat "$out/$test-stdout" "$out/$test-stderr" 2>/dev/null | tail -40 >&2
    done <"$out/summary" || true
    tail -40 "$log" >&2
    echo "autopkgtest: FAILED; the whole log is $log" >&2
    exit 1
fi
# What the test saw, and its verdict.
grep -E "^the |PASS|SKIP" "$out"/*-stdout "$out/summary" 2>/dev/null |
    sed 's/^[^:]*://; s/^/autopkgtest:   /' >&2
