#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

# piuparts over the build machine's architecture's packages: each installs into and purges from
# a clean root of its release, and a Debian 12 root that holds our 12 package, upgraded to
# Debian 13, takes our 13 package in its place. piuparts needs root; it alone runs through sudo
# when a normal user calls this, and the roots come from the user's cache.
#
# Usage: scripts/debian/piuparts.sh DEB_DIR
set -euo pipefail

deb_dir=$(cd "${1:?usage: $0 DEB_DIR}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
arch=$(dpkg --print-architecture)
mirror=${KOLVO_DEBIAN_MIRROR:-http://deb.debian.org/debian}
sudo=$([[ $(id -u) == 0 ]] || echo sudo)
package() {
    local deb
    deb=$deb_dir/$1-$arch/kolvo-testclient_$("$here/release.sh" version "$1")_$arch.deb
    [[ -f $deb ]] || { echo "piuparts: no $deb; run 'make packages'" >&2; exit 1; }
    echo "$deb"
}
# Debian 13's debconf leaves its own temporary folder, which a later piuparts than Debian 12's
# ignores by itself.
piuparts=(piuparts --mirror="$mirror" --warn-on-debsums-errors --ignore=/var/cache/debconf/tmp.ci/)
# run LOG PIUPARTS-ARGUMENT...: piuparts with its long log in a file, the verdict shown.
run() {
    local log=$deb_dir/$1
    shift
    if ! $sudo "${piuparts[@]}" "$@" >"$log" 2>&1; then
        grep -E 'ERROR|FAIL' "$log" | tail -30 >&2
        echo "piuparts: FAILED; the whole log is $log" >&2
        exit 1
    fi
    grep -E 'INFO: (PASS|Can.t test)' "$log" | sed 's/^ *[0-9.ms]* INFO: /piuparts:   /' >&2
}

for release in 12 13; do
    echo "piuparts: installing and purging $(basename "$(package $release)")" >&2
    run piuparts-$release.log --basetgz="$("$here/root.sh" test $release)" \
        --distribution="$("$here/release.sh" codename $release)" "$(package $release)"
done

# Each package comes from a repository of its own, as from our downloads' apt source: 12's is
# there from the start, 13's piuparts offers once the root runs Debian 13. Debian 12's archive
# stays reachable: the root without our package keeps Debian 12's libgnutls30 through the
# upgrade, where ours moves to its 64-bit-time successor, and piuparts' comparison reinstalls it.
repos=$(mktemp -d)
trap 'rm -rf "$repos"' EXIT
for release in 12 13; do
    mkdir "$repos/$release"
    cp "$(package $release)" "$repos/$release/"
    (cd "$repos/$release" && dpkg-scanpackages . >Packages 2>/dev/null)
done
chmod -R a+rX "$repos"
echo "piuparts: upgrading from Debian 12 with $(basename "$(package 12)") to 13 and $(basename "$(package 13)")" >&2
run piuparts-upgrade.log --basetgz="$("$here/root.sh" test 12)" --distribution=bookworm \
    --distribution=trixie --bindmount="$repos" \
    --extra-repo="deb [trusted=yes] file://$repos/12 ./" --extra-repo="deb $mirror bookworm main" \
    --testdebs-repo="deb [trusted=yes] file://$repos/13 ./" "$(package 13)"
