#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Builds the committed tree (warnings as errors) in a clean Debian root of a release, runs its
# plain test suite there on the offscreen platform as a normal user, and packs the release's
# Debian package from the same build. The release's own compiler and Qt build it, whichever
# release this machine runs; for arm64 or armhf the root's cross-compiler builds against a
# sysroot of the release's Qt of that architecture, and the root's qemu-user runs the suite.
#
# Usage: scripts/debian-root/build-and-test.sh [-j JOBS] [-a ARCH] [-o OUT_DIR] [-T] [-u] SUITE PACKAGE...
#   -a ARCH     arm64 or armhf: cross-build for that architecture (amd64 by default: this machine's)
#   -o OUT_DIR  pack the package with Debian's hardening flags and copy it to OUT_DIR
#   -T          build the programs alone, without the suite
#   -u          do nothing when OUT_DIR already holds this commit's package
#   PACKAGE...  what the root holds; every call that names the same list shares one cached root
#
# Needs root for mmdebstrap, chroot and mount; the build and the tests run as the user "builder"
# inside the root. The root, with PACKAGE... installed, is built once and cached under
# ${XDG_CACHE_HOME:-~/.cache}/kolvo-testclient/debian-build, keyed by suite, packages and
# mirrors, and rebuilt after KOLVO_ROOT_MAX_AGE_DAYS (30); each run builds on an overlay above
# it in memory, which the end of the run throws away.
set -euo pipefail

usage() {
    echo "usage: $0 [-j JOBS] [-a ARCH] [-o OUT_DIR] [-T] [-u] SUITE PACKAGE..." >&2
    exit 2
}
jobs=2
arch=$(dpkg --print-architecture)
out_dir=""
tests=ON
if_stale=""
while getopts j:a:o:Tu option; do
    case $option in
    j) jobs=$OPTARG ;;
    a) arch=$OPTARG ;;
    o) out_dir=${OPTARG%/} ;;
    T) tests=OFF ;;
    u) if_stale=yes ;;
    *) usage ;;
    esac
done
shift $((OPTIND - 1))
(($# >= 2)) || usage
here=$(cd "$(dirname "$0")" && pwd)
suite=$("$here/../debian-release.sh" codename "$1")
shift
mapfile -t packages < <(printf '%s\n' "$@" | sort -u)
native=$(dpkg --print-architecture)
case $arch in
"$native") ;;
arm64 | armhf) ;;
*) usage ;;
esac

root_tag="$suite-$arch-build"
cache_dir=${KOLVO_CACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/kolvo-testclient}/debian-build
# shellcheck source=../lib/debian-root.sh
source "$here/../lib/debian-root.sh"

command -v git >/dev/null || fail "git is missing"
source_dir=$(realpath "$here/../..")
# The tree may belong to the user who called sudo; reading it is all git is asked to do.
git_in_tree() { git -c safe.directory="$source_dir" -C "$source_dir" "$@"; }
commit=$(git_in_tree rev-parse HEAD)
# OUT_DIR/commit names the commit its package was built from, and that package's file.
if [[ -n $out_dir && -n $if_stale && -r $out_dir/commit ]] &&
    { read -r built_commit && read -r built_deb; } <"$out_dir/commit" &&
    [[ $built_commit == "$commit" && -f $out_dir/$built_deb ]]; then
    say "$out_dir/$built_deb is of commit ${commit:0:7} already"
    exit 0
fi
root_setup
builder_uid=1000

root_sources "$suite"
root_ensure "$suite-$native-build" "$suite" "$native" minbase \
    --include="$(IFS=,; echo "${packages[*]}")" \
    --customize-hook="chroot \"\$1\" useradd --create-home --uid $builder_uid --shell /bin/bash builder"
root_ready=$SECONDS
root_enter_run 4g
in_root() { chroot "$target" "${root_env[@]}" "$@"; }

# A cross-build's sysroot holds the release's Qt of that architecture, of the same version as
# the root's moc, rcc and uic, for the C++ library of the root's cross-compiler.
sysroot=""
if [[ $arch != "$native" ]]; then
    triplet=$(in_root dpkg-architecture -a "$arch" -qDEB_HOST_GNU_TYPE 2>/dev/null)
    gcc_major=$(in_root "$triplet-g++" -dumpversion) ||
        fail "the root has no $triplet-g++; add g++-$triplet to its packages"
    qt_version=$(in_root dpkg-query -W -f="\${Version}" qt6-base-dev-tools) ||
        fail "the root has no qt6-base-dev-tools, whose moc, rcc and uic a cross-build needs"
    # make-sysroot needs no root: it runs as the one who called sudo, in that user's cache.
    as_caller=()
    [[ -n ${SUDO_UID:-} ]] && as_caller=(setpriv --reuid="$SUDO_UID" --regid="$SUDO_GID" --init-groups
        env HOME="$(getent passwd "$SUDO_UID" | cut -d: -f6)")
    sysroot=$("${as_caller[@]}" "$here/../pi/make-sysroot.sh" "$arch" "$suite" "$qt_version" "${gcc_major%%.*}") ||
        fail "no $arch sysroot"
fi

home=/home/builder
mkdir "$target$home/src"
git_in_tree archive --format=tar HEAD | tar -x -C "$target$home/src"
chown -R "$builder_uid:$builder_uid" "$target$home/src"
if [[ -n $sysroot ]]; then
    mkdir "$target/sysroot"
    mount --bind -o ro "$sysroot" "$target/sysroot"
    mounts+=("$target/sysroot")
    mount -o remount,bind,ro "$target/sysroot"
fi
# Only what a user's login would give, and the commit's time that makes the package reproducible:
# no other variable of the caller's reaches the build.
as_builder=(chroot --userspec="$builder_uid:$builder_uid" "$target" /usr/bin/env -i
    PATH=/usr/bin:/bin HOME="$home" USER=builder LANG=C.UTF-8
    SOURCE_DATE_EPOCH="$(git_in_tree log -1 --format=%ct)" /bin/sh -c)

versions=$(in_root dpkg-query -W -f "\${Package} \${Version}\n" g++ cmake qt6-base-dev |
    awk '{ printf "%s%s %s", sep, $1, $2; sep = ", " }')
say "building commit ${commit:0:7} for $arch with $versions, warnings as errors, $jobs jobs$([[ $tests == OFF ]] && echo ", without the suite")"
build_started=$SECONDS
if [[ -n $sysroot ]]; then
    build="KOLVO_SYSROOT=/sysroot KOLVO_DEBIAN_RELEASE=$suite KOLVO_TESTS=$tests WERROR=ON JOBS=$jobs \
        src/scripts/pi/cross-build.sh $arch build"
else
    build="cmake -S src -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKOLVO_WERROR=ON \
        -DKOLVO_DEBIAN_RELEASE=$suite -DBUILD_TESTING=$tests -DKOLVO_BUILD_BENCH=$tests \
        -DKOLVO_DEB_HARDENING=ON && cmake --build build -j $jobs"
fi
step 3600 "${as_builder[@]}" "cd && $build" || fail "the build failed"
build_done=$SECONDS

status=0
if [[ $tests == ON ]]; then
    say "running the test suite offscreen as the user builder${sysroot:+, under qemu-user}"
    step 3600 "${as_builder[@]}" "cd && cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $jobs \
        --timeout $([[ -n $sysroot ]] && echo 600 || echo 120) --output-junit $home/ctest.xml \
        --test-output-size-passed 1000000" || status=$?
    # What ran and what skipped, with the reasons, sum up the run where the build is thrown away.
    log=$target$home/ctest.xml
    if [[ -f $log ]]; then
        sed 's/&apos;/'"'"'/g; s/&quot;/"/g; s/&lt;/</g; s/&gt;/>/g; s/&amp;/\&/g' "$log" >"$log.txt"
        say "$(awk '/^Totals: / { p += $2; f += $4; s += $6 } END { printf "Qt Test functions and rows: %d passed, %d failed, %d skipped", p, f, s }' "$log.txt")"
        grep -E '^SKIP +: ' "$log.txt" | sed 's/^SKIP *: /  skipped: /' | sort -u || true
    fi
fi
suite_done=$SECONDS
say "times: root $((root_ready - root_started))s, build $((build_done - build_started))s," \
    "suite $((suite_done - build_done))s"
((status == 0)) || fail "the test suite failed on Debian $suite for $arch"

if [[ -n $out_dir ]]; then
    # A native build packs here; the cross-build has packed already.
    [[ -n $sysroot ]] || step 600 "${as_builder[@]}" "cd && cd build && cpack" >/dev/null ||
        fail "cpack failed"
    # The build folder holds the one package its cpack made; the name carries CMake's version.
    debs=("$target$home"/build/*.deb)
    [[ ${#debs[@]} == 1 && -f ${debs[0]} ]] || fail "the build made no single package"
    deb_name=${debs[0]##*/}
    [[ $deb_name == *"+deb$("$here/../debian-release.sh" number "$suite")_$arch.deb" ]] ||
        fail "the build made $deb_name, which is not for Debian $suite on $arch"
    mkdir -p "$out_dir"
    rm -f "$out_dir/commit"
    cp "${debs[0]}" "$out_dir/"
    printf '%s\n' "$commit" "$deb_name" >"$out_dir/commit"
    [[ -n ${SUDO_UID:-} ]] && chown -R "$SUDO_UID:$SUDO_GID" "$out_dir"
    say "packed $out_dir/$deb_name"
fi
say "passed: commit ${commit:0:7} builds$([[ $tests == ON ]] && echo " and passes its suite") on Debian $suite for $arch"
