#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Builds Debian 13's Qt source for 64-bit Windows with that release's mingw-w64 GCC, once, into
# a cache outside the tree. Runs inside the Windows tools root (in-root.sh), whose host tools are
# of the very same Qt version. The cache folder's name carries the Qt version and a hash of the
# Debian version, the compiler's and the options below, so a change of any builds anew and a
# finished build is reused as it is. Two runs that share the cache wait for each other's build
# instead of building twice.
# Prints the install prefix on its last line; with --source, prints only the folder that holds
# (or will hold) the Debian source package it builds from; with --key, only the key.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
toolchain=$(cd "$here/../../cmake/toolchains" && pwd)/mingw-w64-x86_64.cmake
cache_root=${KOLVO_CACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/kolvo-testclient}
jobs=${JOBS:-$(nproc)}

outside() {
    echo "build-qt-mingw: $1; run it through scripts/windows/in-root.sh" >&2
    exit 1
}
# The source version: what in-root.sh pinned the root's host tools to, else those tools' own.
qt_version=${KOLVO_QT_VERSION:-$(dpkg-query -W -f='${Version}' qt6-base-dev-tools 2>/dev/null)} ||
    outside "no Qt host tools"
compiler_version=$(dpkg-query -W -f='${Version}' g++-mingw-w64-x86-64-posix 2>/dev/null) ||
    outside "no mingw-w64 compiler"
qt_upstream=${qt_version%%+*}
qt_upstream=${qt_upstream%%-*}

# Only what the programs load: Core, Gui, Widgets, Network (plain TCP, no TLS), Test and the
# Windows platform plugin (not the Direct2D one), with PNG and ICO images. The Windows platform
# plugin does not compile with OpenGL off, nor link with Direct2D off, and Debian's source lacks
# the wintab header that tablet events need. The window draws itself in the classic style that
# Widgets holds, so the plugin of the native styles (windowsvista, and windows11 since 6.7) is
# left out, as the downloads always left it out. The libraries carry no link time, so two
# builds of this source give the same bytes, and the source files' names they carry (in Qt's
# warnings) start at the folder that holds the source, not at the cache (<work> stands for that
# folder); see SOURCE_DATE_EPOCH below for the rest.
# Qt compiles its sources in batches (unity build): the whole build takes half the time (14
# instead of 27 minutes on 2 cores), which CI with an empty cache needs.
options=(
  -DCMAKE_BUILD_TYPE=Release
  -DQT_UNITY_BUILD=ON
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
  -DFEATURE_style_windowsvista=OFF
  -DFEATURE_style_windows11=OFF
  "-DCMAKE_C_FLAGS=-ffile-prefix-map=<work>/="
  "-DCMAKE_CXX_FLAGS=-ffile-prefix-map=<work>/="
  "-DCMAKE_SHARED_LINKER_FLAGS=-Wl,--no-insert-timestamp"
  "-DCMAKE_MODULE_LINKER_FLAGS=-Wl,--no-insert-timestamp"
  "-DCMAKE_EXE_LINKER_FLAGS=-Wl,--no-insert-timestamp"
)
# Comments in the toolchain file (its licence header among them) do not change the build.
key=$( (printf '%s\n' "$qt_version" "$compiler_version" "${options[@]}"; grep -v '^[[:space:]]*#' "$toolchain") | sha256sum | cut -c1-12)
name="qt-$qt_upstream-mingw64-$key"
prefix="$cache_root/$name"
source_dir="$cache_root/source-$key"
case "${1:-}" in
--source) echo "$source_dir"; exit 0 ;;
--key) echo "$key"; exit 0 ;;
esac
for tool in dpkg-source dpkg-architecture x86_64-w64-mingw32-g++-posix ninja cmake; do
    command -v "$tool" >/dev/null || outside "no $tool"
done
# The root holds no native compiler, which dpkg-architecture would warn of.
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH 2>/dev/null)
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
echo "Qt $qt_upstream for Windows is not cached yet: building it once (about 15 minutes on 2 idle cores)." >&2
echo "Full log: $log" >&2

# The source of that exact version, unpacked with Debian's patches. The downloaded files are
# kept for the release, which hands them on beside the Windows downloads.
rm -rf "$source_dir"
"$here/qt-source.sh" fetch "$qt_version" "$source_dir" >>"$log" 2>&1 ||
    failed "fetching the source qt6-base=$qt_version" 20
(cd "$work" && dpkg-source --no-check -x "$source_dir"/qt6-base_*.dsc) >>"$log" 2>&1 ||
    failed "unpacking the Qt source" 20
src=$(find "$work" -maxdepth 1 -mindepth 1 -type d -name 'qt6-base-*' | head -1)
# rcc stamps the resources it packs (Qt's MIME database among them) with this time instead of
# the files' own: the date of the source's newest changelog entry.
SOURCE_DATE_EPOCH=$(dpkg-parsechangelog -l "$src/debian/changelog" -STimestamp)
export SOURCE_DATE_EPOCH
printf '%s\n' "${options[@]}" >"$source_dir/configure-options.txt"
# The licences of Qt and of what it bundles, as Debian's maintainers list them.
cp "$src/debian/copyright" "$source_dir/copyright"

start=$(date +%s)
echo "Configuring Qt ..." >&2
cmake -S "$src" -B "$work/build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DQT_HOST_PATH=/usr \
  -DQT_HOST_PATH_CMAKE_DIR="/usr/lib/$multiarch/cmake" \
  "${options[@]//<work>/$work}" >>"$log" 2>&1 || failed "Qt configure" 40

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
