#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Runs a command inside the Windows tools root: a clean Debian 13 with its mingw-w64 GCC, the
# host tools of its Qt, NSIS and Wine, which build and test the Windows downloads while this
# machine stays on its own release. The root is made by mmdebstrap (scripts/debian/root.sh),
# unpacked once into the cache and entered in a user namespace of its own, so a normal user
# needs neither root nor sudo. Inside, the paths of this machine that the work touches are the
# same: the clone, the working folder, the cache, the home folder and /tmp (the X display's
# socket among them), and the network is this machine's (the tests' servers on 127.0.0.1).
# The root follows Debian's Qt: its host tools are pinned to the Qt source version apt finds
# now (qt-source.sh), so a new upload makes a new root. KOLVO_QT_VERSION is that version.
#
# Usage: scripts/windows/in-root.sh COMMAND [ARGUMENT...]
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd -P)
project=$(cd "$here/../.." && pwd -P)
cache=${KOLVO_CACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/kolvo-testclient}
# The release whose compiler, Qt and Wine the Windows downloads are made and tested with.
release=13
# The cross compiler and Qt's host tools; the installer's NSIS; Wine with a virtual display for
# the tests and the installer check (whose Linux server links the root's Qt); the fonts the
# window's layout is measured in; strip-nondeterminism and dpkg-source for reproducible archives.
packages=(g++-mingw-w64-x86-64-posix cmake ninja-build make dpkg-dev nsis wine wine64
    xvfb xauth xdotool x11-utils fonts-liberation fontconfig python3 strip-nondeterminism)

if [ -z "${KOLVO_QT_VERSION:-}" ]; then
    KOLVO_QT_VERSION=$("$here/qt-source.sh" version)
fi
export KOLVO_QT_VERSION
tarball=$("$project/scripts/debian/root.sh" tools "$release" "${packages[@]}" \
    "qt6-base-dev-tools=$KOLVO_QT_VERSION" "qt6-base-dev=$KOLVO_QT_VERSION")
root=${tarball%.tar.*}

# Unpacked as the user who runs this, who is root inside. Device files cannot be made without
# privileges; the machine's own /dev is mounted over the empty folder instead.
if [ ! -f "$root/.complete" ]; then
    exec 8>"$root.lock"
    flock 8
    if [ ! -f "$root/.complete" ]; then
        echo "in-root: unpacking $(basename "$tarball") (once)" >&2
        rm -rf "$root"
        mkdir -p "$root"
        tar -x --zstd -f "$tarball" -C "$root" --no-same-owner --exclude='./dev/*'
        touch "$root/.complete"
    fi
    exec 8>&-
    # Roots unpacked from tarballs that root.sh has since removed.
    for old in "$(dirname "$root")"/*-tools-*/; do
        old=${old%/}
        [ -e "$old.tar.zst" ] || [ "$old" = "$root" ] || [ ! -d "$old" ] || {
            echo "in-root: removing $old, unpacked from a root since replaced" >&2
            chmod -R u+w "$old" 2>/dev/null || true
            rm -rf "$old" "$old.lock"
        }
    done
fi

# Folders shared with the root at their own paths: outer ones first, so that an inner one
# mounts over the outer one's view of it.
mkdir -p "$cache"
mapfile -t shared < <(printf '%s\n' /tmp "$HOME" "$cache" "$project" "$PWD" |
    while read -r dir; do [ -d "$dir" ] && (cd "$dir" && pwd -P); done | awk '$0 != "/" && !seen[$0]++' |
    awk '{ print length, $0 }' | sort -n | cut -d' ' -f2-)

# shellcheck disable=SC2016 # expanded by the inner shell
exec unshare --map-root-user --mount --propagation private --fork -- sh -euc '
root=$1 workdir=$2 count=$3
shift 3
for dir in dev proc sys; do mount --rbind "/$dir" "$root/$dir"; done
for file in /etc/hosts /etc/resolv.conf; do
    [ -f "$file" ] && touch "$root$file" && mount --bind "$file" "$root$file"
done
while [ "$count" -gt 0 ]; do
    mkdir -p "$root$1"
    mount --rbind "$1" "$root$1"
    shift
    count=$((count - 1))
done
exec chroot "$root" /usr/bin/env PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    sh -c "cd \"\$0\" && exec \"\$@\"" "$workdir" "$@"
' in-root "$root" "$(pwd -P)" "${#shared[@]}" "${shared[@]}" "$@"
