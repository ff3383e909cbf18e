#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Builds the committed tree (programs, tests and benchmarks, warnings as errors) in a clean
# Debian root of another release and runs the plain test suite there on the offscreen platform,
# as a normal user. A newer compiler's warnings and a newer Qt's deprecations and changed
# behaviour show up here before a user meets them.
#
# Usage: scripts/debian-root/build-and-test.sh [-j JOBS] SUITE PACKAGE...
#   make debian13-test runs it for trixie with the build packages the plain suite needs.
#
# Needs root for mmdebstrap, chroot and mount; the build and the tests run as the user "builder"
# inside the root. The root, with PACKAGE... installed, is built once and cached under
# ${XDG_CACHE_HOME:-~/.cache}/kolvo-testclient/debian-build, keyed by suite, packages and
# mirrors, and rebuilt after KOLVO_ROOT_MAX_AGE_DAYS (30); each run builds on an overlay above
# it in memory, which the end of the run throws away.
set -euo pipefail

usage() {
    echo "usage: $0 [-j JOBS] SUITE PACKAGE..." >&2
    exit 2
}
jobs=2
while getopts j: option; do
    case $option in
    j) jobs=$OPTARG ;;
    *) usage ;;
    esac
done
shift $((OPTIND - 1))
(($# >= 2)) || usage
suite=$1
shift
mapfile -t packages < <(printf '%s\n' "$@" | sort -u)

root_tag="$suite-test"
cache_dir=${KOLVO_CACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/kolvo-testclient}/debian-build
# shellcheck source=../lib/debian-root.sh
source "$(dirname "$0")/../lib/debian-root.sh"

root_setup
command -v git >/dev/null || fail "git is missing"
source_dir=$(realpath "$(dirname "$0")/../..")
# The tree may belong to the user who called sudo; reading it is all git is asked to do.
git_in_tree() { git -c safe.directory="$source_dir" -C "$source_dir" "$@"; }
commit=$(git_in_tree rev-parse --short HEAD)
arch=$(dpkg --print-architecture)
builder_uid=1000

root_sources "$suite"
root_ensure "$suite-$arch-build" "$suite" "$arch" minbase \
    --include="$(IFS=,; echo "${packages[*]}")" \
    --customize-hook="chroot \"\$1\" useradd --create-home --uid $builder_uid --shell /bin/bash builder"
root_ready=$SECONDS
root_enter_run 4g

home=/home/builder
mkdir "$target$home/src"
git_in_tree archive --format=tar HEAD | tar -x -C "$target$home/src"
chown -R "$builder_uid:$builder_uid" "$target$home/src"
# Only what a user's login would give: no variable of the caller's reaches the build.
as_builder=(chroot --userspec="$builder_uid:$builder_uid" "$target" /usr/bin/env -i
    PATH=/usr/bin:/bin HOME="$home" USER=builder LANG=C.UTF-8 /bin/sh -c)

versions=$(chroot "$target" dpkg-query -W -f "\${Package} \${Version}\n" g++ cmake qt6-base-dev |
    awk '{ printf "%s%s %s", sep, $1, $2; sep = ", " }')
say "building commit $commit with $versions, warnings as errors, $jobs jobs"
build_started=$SECONDS
step 3600 "${as_builder[@]}" "cd && cmake -S src -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKOLVO_WERROR=ON && cmake --build build -j $jobs" || fail "the build failed"
build_done=$SECONDS

say "running the test suite offscreen as the user builder"
status=0
step 1800 "${as_builder[@]}" "cd && cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $jobs \
    --timeout 120" || status=$?
suite_done=$SECONDS
say "times: root $((root_ready - root_started))s, build $((build_done - build_started))s," \
    "suite $((suite_done - build_done))s"
((status == 0)) || fail "the test suite failed on Debian $suite"
say "passed: commit $commit builds and passes its suite on Debian $suite"
