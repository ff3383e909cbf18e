#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Builds Debian's own Qt source for 64-bit Windows with mingw-w64, once, into a cache outside
# the tree. The cache folder's name carries the Qt version and a hash of the options below, so
# a change of either builds anew and a finished build is reused as it is.
# Runs as a normal user: the source comes through an apt configuration of its own in the
# cache, so nothing under /etc or /var/lib/apt changes. Two runs that share the cache wait for
# each other's build instead of building twice.
# Prints the install prefix on its last line; with --source, prints only the folder that holds
# (or will hold) the Debian source package it builds from.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
toolchain=$(cd "$here/../../cmake/toolchains" && pwd)/mingw-w64-x86_64.cmake
cache_root=${KOLVO_CACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/kolvo-testclient}
jobs=${JOBS:-$(nproc)}

need() {
    command -v "$1" >/dev/null || { echo "build-qt-mingw: $1 is missing; install the package $2" >&2; exit 1; }
}
need dpkg-architecture dpkg-dev
need dpkg-source dpkg-dev
need x86_64-w64-mingw32-g++-posix g++-mingw-w64-x86-64-posix
need ninja ninja-build

qt_version=$(dpkg-query -W -f='${Version}' qt6-base-dev 2>/dev/null) ||
    { echo "build-qt-mingw: install the package qt6-base-dev, whose host tools and version it uses" >&2; exit 1; }
qt_upstream=${qt_version%%+*}
qt_upstream=${qt_upstream%%-*}
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)

# Only what the programs load: Core, Gui, Widgets, Network (plain TCP, no TLS), Test and the
# Windows platform plugin (not the Direct2D one), with PNG and ICO images. The 6.4 Windows
# platform plugin does not compile with OpenGL off, nor link with Direct2D off, and Debian's
# source lacks the wintab header that tablet events need. The libraries carry no link time, so
# two builds of this source give the same bytes (see SOURCE_DATE_EPOCH below for the rest).
options=(
  -DCMAKE_BUILD_TYPE=Release
  -DBUILD_SHARED_LIBS=ON
  -DQT_BUILD_EXAMPLES=OFF
  -DQT_BUILD_TESTS=OFF
  -DQT_BUILD_BENCHMARKS=OFF
  -DFEATURE_system_zlib=OFF
  -DFEATURE_system_pcre2=OFF
  -DFEATURE_system_freetype=OFF
  -DFEATURE_system_harfbuzz=OFF
  -DFEATURE_system_png=OFF
  -DFEATURE_system_jpeg=OFF
  -DFEATURE_dbus=OFF
  -DFEATURE_sql=OFF
  -DFEATURE_printsupport=OFF
  -DFEATURE_concurrent=OFF
  -DFEATURE_xml=OFF
  -DFEATURE_vulkan=OFF
  -DFEATURE_tabletevent=OFF
  -DFEATURE_ssl=OFF
  -DFEATURE_schannel=OFF
  -DFEATURE_jpeg=OFF
  -DFEATURE_gif=OFF
  -DFEATURE_pdf=OFF
  -DFEATURE_textodfwriter=OFF
  -DFEATURE_tuiotouch=OFF
  -DFEATURE_direct2d1_1=OFF
  "-DCMAKE_SHARED_LINKER_FLAGS=-Wl,--no-insert-timestamp"
  "-DCMAKE_MODULE_LINKER_FLAGS=-Wl,--no-insert-timestamp"
  "-DCMAKE_EXE_LINKER_FLAGS=-Wl,--no-insert-timestamp"
)
# Comments in the toolchain file (its licence header among them) do not change the build.
key=$( (printf '%s\n' "$qt_version" "${options[@]}"; grep -v '^[[:space:]]*#' "$toolchain") | sha256sum | cut -c1-12)
name="qt-$qt_upstream-mingw64-$key"
prefix="$cache_root/$name"
source_dir="$cache_root/source-$key"
if [ "${1:-}" = --source ]; then
    echo "$source_dir"
    exit 0
fi
mkdir -p "$cache_root"

# Prefixes of another Qt version are of no use once Debian's Qt has moved on; one that a
# build still holds is left for a later run.
for old in "$cache_root"/qt-*-mingw64-*/; do
    old=${old%/}
    case "$old" in "$cache_root/qt-$qt_upstream-"* | *'*'*) continue ;; esac
    (
        flock -n 9 || exit 0
        echo "build-qt-mingw: removing $old, built for another Qt version" >&2
        rm -rf "$old" "$cache_root/source-${old##*-}"
    ) 9>"$old.lock"
done

exec 9>"$prefix.lock"
if ! flock -n 9; then
    echo "Another run is building Qt for Windows into $prefix; waiting for it ..." >&2
    flock 9
fi

if [ -f "$prefix/.complete" ]; then
    echo "Qt $qt_upstream for Windows: cached in $prefix" >&2
    echo "$prefix"
    exit 0
fi

work="$cache_root/work-$key"
rm -rf "$work" "$prefix"
mkdir -p "$work"
log="$work/build.log"
failed() { echo "$1 failed; see $log" >&2; tail -"$2" "$log" >&2; exit 1; }
echo "Qt $qt_upstream for Windows is not cached yet: building it once (about 20 minutes on 2 idle cores)." >&2
echo "Full log: $log" >&2

# A private apt: its own source list (the machine's Debian entries as deb-src), lists and
# archives, all in the cache. The machine's own configuration is only read.
apt_dir="$cache_root/apt"
mkdir -p "$apt_dir/lists/partial" "$apt_dir/archives/partial" "$apt_dir/parts"
if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources >"$apt_dir/parts/debian.sources"
    : >"$apt_dir/sources.list"
else
    grep -hE '^deb .*debian' /etc/apt/sources.list | sed 's/^deb /deb-src /' >"$apt_dir/sources.list"
fi
private_apt=(
    -o "Dir::Etc::SourceList=$apt_dir/sources.list"
    -o "Dir::Etc::SourceParts=$apt_dir/parts"
    -o "Dir::State::Lists=$apt_dir/lists"
    -o "Dir::State::status=/var/lib/dpkg/status"
    -o "Dir::Cache=$apt_dir"
    -o "Dir::Cache::Archives=$apt_dir/archives"
    -o "APT::Sandbox::User=$(id -un)"
    -o "Debug::NoLocking=true"
)
(
    flock 8
    apt-get "${private_apt[@]}" -qq update
) 8>"$apt_dir.lock" >>"$log" 2>&1 || failed "apt-get update of the private source list" 20

# The source of the very Qt the Linux build uses, unpacked with Debian's patches. The
# downloaded files are kept for the release, which hands them on beside the Windows downloads.
rm -rf "$source_dir"
mkdir -p "$source_dir"
(cd "$source_dir" && apt-get "${private_apt[@]}" -qq --download-only source "qt6-base=$qt_version") \
    >>"$log" 2>&1 || failed "apt-get source qt6-base=$qt_version" 20
(cd "$work" && dpkg-source --no-check -x "$source_dir"/qt6-base_*.dsc) >>"$log" 2>&1 ||
    failed "unpacking the Qt source" 20
src=$(find "$work" -maxdepth 1 -mindepth 1 -type d -name 'qt6-base-*' | head -1)
# rcc stamps the resources it packs (Qt's MIME database among them) with this time instead of
# the files' own: the date of the source's newest changelog entry.
SOURCE_DATE_EPOCH=$(dpkg-parsechangelog -l "$src/debian/changelog" -STimestamp)
export SOURCE_DATE_EPOCH
printf '%s\n' "${options[@]}" >"$source_dir/configure-options.txt"

start=$(date +%s)
echo "Configuring Qt ..." >&2
cmake -S "$src" -B "$work/build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DQT_HOST_PATH=/usr \
  -DQT_HOST_PATH_CMAKE_DIR="/usr/lib/$multiarch/cmake" \
  "${options[@]}" >>"$log" 2>&1 || failed "Qt configure" 40

# Ninja's own [done/total] counter, thinned to a line per percent with the elapsed time.
echo "Building Qt with $jobs jobs ..." >&2
set +e
cmake --build "$work/build" -j "$jobs" 2>&1 | tee -a "$log" | {
  last=-1
  while IFS= read -r line; do
    [[ $line =~ ^\[([0-9]+)/([0-9]+)\] ]] || continue
    pct=$((100 * BASH_REMATCH[1] / BASH_REMATCH[2]))
    if [ "$pct" -ne "$last" ]; then
      last=$pct
      printf '  Qt build %3d%%  (%s/%s, %d s)\n' "$pct" "${BASH_REMATCH[1]}" "${BASH_REMATCH[2]}" $(($(date +%s) - start)) >&2
    fi
  done
}
status=${PIPESTATUS[0]}
set -e
if [ "$status" -ne 0 ]; then
  echo "Qt build failed; see $log" >&2
  grep -m5 -B2 -A10 'FAILED:' "$log" >&2 || tail -40 "$log" >&2
  exit 1
fi
cmake --install "$work/build" >>"$log" 2>&1
echo "Qt for Windows built and installed in $(( $(date +%s) - start )) s: $prefix" >&2
touch "$prefix/.complete"
rm -rf "$work"
echo "$prefix"
