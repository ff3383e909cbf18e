#!/usr/bin/env bash
# Builds Debian's own Qt source for 64-bit Windows with mingw-w64, once, into a cache outside
# the tree. The cache folder's name carries the Qt version and a hash of the options below, so
# a change of either builds anew and a finished build is reused as it is.
# Prints the install prefix on its last line.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
toolchain=$(cd "$here/../../cmake" && pwd)/mingw-w64-x86_64.cmake
cache_root=${KOLVO_CACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/kolvo-testclient}
jobs=${JOBS:-$(nproc)}

qt_version=$(dpkg-query -W -f='${Version}' qt6-base-dev)
qt_upstream=${qt_version%%+*}
qt_upstream=${qt_upstream%%-*}

# Only what the programs load: Core, Gui, Widgets, Network, Test and the Windows platform
# plugin. The 6.4 Windows platform plugin does not compile with OpenGL off, and Debian's
# source lacks the wintab header that tablet events need.
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
)
key=$( (printf '%s\n' "$qt_version" "${options[@]}"; cat "$toolchain") | sha256sum | cut -c1-12)
prefix="$cache_root/qt-$qt_upstream-mingw64-$key"

if [ -f "$prefix/.complete" ]; then
  echo "Qt $qt_upstream for Windows: cached in $prefix" >&2
  echo "$prefix"
  exit 0
fi

work="$cache_root/work-$key"
rm -rf "$work" "$prefix"
mkdir -p "$work"
log="$work/build.log"
echo "Qt $qt_upstream for Windows is not cached yet: building it once (about 40 minutes on 2 cores)." >&2
echo "Full log: $log" >&2

# apt-get source needs a deb-src entry; it is written beside the machine's own lists, from
# their Debian entries, and never edits them.
if ! grep -rqsE '^(deb-src|Types:.*deb-src)' /etc/apt/sources.list /etc/apt/sources.list.d/; then
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources \
      >/etc/apt/sources.list.d/kolvo-deb-src.sources
  else
    grep -E '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' \
      >/etc/apt/sources.list.d/kolvo-deb-src.list
  fi
  apt-get update -qq >>"$log" 2>&1
fi

# The source of the very Qt the Linux build uses, unpacked with Debian's patches.
(cd "$work" && apt-get source -qq "qt6-base=$qt_version") >>"$log" 2>&1 || {
  echo "apt-get source qt6-base=$qt_version failed; see $log" >&2
  tail -20 "$log" >&2
  exit 1
}
src=$(find "$work" -maxdepth 1 -mindepth 1 -type d -name 'qt6-base-*' | head -1)

start=$(date +%s)
echo "Configuring Qt ..." >&2
cmake -S "$src" -B "$work/build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DQT_HOST_PATH=/usr \
  -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  "${options[@]}" >>"$log" 2>&1 || {
  echo "Qt configure failed; see $log" >&2
  tail -40 "$log" >&2
  exit 1
}

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
rm -rf "$work/build" "$src"
echo "$prefix"
