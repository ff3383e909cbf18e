#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Installs the Debian package into a Debian root of its architecture that holds nothing but the
# minimal base system, starts both installed programs there and removes the package again. It
# passes only if the package's own Depends bring everything the programs need: Recommends stay
# uninstalled. The window starts offscreen and then on an X display of this machine, where its
# window class must be the one the installed desktop entry names and it must carry an icon. A
# package for another architecture (arm64, armhf) runs under qemu-user, its root's maintainer
# scripts too.
#
# Usage: packaging/checks/package-check.sh PACKAGE.deb [SUITE]
#   SUITE: the release the package is built for by default, from its version (1.0+deb13: trixie)
#
# Needs root (mmdebstrap, chroot, mount) and the network. Each root is built once with
# mmdebstrap and cached under ${XDG_CACHE_HOME:-~/.cache}/kolvo-testclient/package-check, keyed
# by suite, architecture, mirror, mmdebstrap version and build steps, and rebuilt after
# KOLVO_ROOT_MAX_AGE_DAYS (30). Each run works on an overlay above it in memory (or on a copy
# where overlays are not available), so the cached root stays as it was built. The mirrors come
# from this machine's apt sources, for another release from the same mirrors;
# KOLVO_DEBIAN_MIRROR overrides them.
set -euo pipefail

deb=${1:?usage: $0 PACKAGE.deb [SUITE]}
suite=${2:-}
root_tag="package-check"
cache_dir=${KOLVO_PACKAGE_CHECK_CACHE:-${KOLVO_CACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/kolvo-testclient}/package-check}
# shellcheck source=../../scripts/lib/debian-root.sh
source "$(dirname "$0")/../../scripts/lib/debian-root.sh"
# shellcheck source=../../scripts/lib/wait.sh
source "$(dirname "$0")/../../scripts/lib/wait.sh"

root_setup
command -v dpkg-deb >/dev/null || fail "dpkg-deb is missing"
for tool in Xvfb xwininfo xprop; do
    command -v "$tool" >/dev/null || fail "$tool is missing (apt-get install xvfb x11-utils)"
done
[[ -f $deb ]] || fail "no such package: $deb"
deb=$(realpath "$deb")
package=$(dpkg-deb -f "$deb" Package)
arch=$(dpkg-deb -f "$deb" Architecture)
if [[ -z $suite ]]; then
    version=$(dpkg-deb -f "$deb" Version)
    [[ $version =~ \+deb([0-9]+)$ ]] || fail "$version names no release; name the suite to check in"
    suite=$("$(dirname "$0")/../../scripts/debian-release.sh" codename "${BASH_REMATCH[1]}") ||
        fail "no release we build for: Debian ${BASH_REMATCH[1]}"
fi
[[ $arch == all ]] && arch=$(dpkg --print-architecture)

root_enable_emulation "$arch"
# Seconds the window gets to paint itself; generous for a machine that is busy compiling, and
# more so under emulation, where Qt starts several times slower.
window_seconds=${KOLVO_WINDOW_SECONDS:-$([[ -n $emulated ]] && echo 90 || echo 20)}
# Limits of apt's steps, longer where qemu runs dpkg and the maintainer scripts.
slow=$([[ -n $emulated ]] && echo 3 || echo 1)

# Roots of an earlier version of this script (one suite, amd64 only), unless it still runs.
if [[ -e $cache_dir/lock ]] && exec 8>"$cache_dir/lock" && flock -n 8; then
    for old in "$cache_dir"/bookworm-minbase-* "$cache_dir"/run.*; do
        [[ -d $old ]] && { remove_tree "$old" || true; }
    done
    rm -f "$cache_dir"/bookworm-minbase-*.built "$cache_dir"/bookworm-minbase-*.log "$cache_dir/lock"
    exec 8>&-
fi

root_sources "$suite"
root_ensure "$suite-$arch-minbase" "$suite" "$arch" minbase
# In memory dpkg needs about half the time it takes on disk, where it syncs every file, and one
# umount throws the run away.
root_enter_run 4g
cp "$deb" "$target/tmp/package.deb"

in_root() { timeout $((60 * slow)) chroot "$target" "${root_env[@]}" "$@"; }
installed() {
    [[ $(in_root dpkg-query -W -f="\${db:Status-Status}" "$1" 2>/dev/null) == installed ]]
}

say "updating the package lists"
step $((600 * slow)) chroot "$target" "${root_env[@]}" apt-get update -qq >"$work/apt.log" 2>&1 ||
    { cat "$work/apt.log" >&2; fail "apt-get update failed"; }

say "installing $(basename "$deb") with its dependencies (no recommends)"
if ! step $((900 * slow)) chroot "$target" "${root_env[@]}" \
    apt-get install -y -q --no-install-recommends /tmp/package.deb >"$work/install.log" 2>&1; then
    cat "$work/install.log" >&2
    fail "apt-get could not install the package"
fi
say "  $(grep -E '^[0-9]+ upgraded, [0-9]+ newly installed' "$work/install.log" || true)"
installed "$package" || fail "$package is not installed after apt-get install"
audit=$(in_root dpkg --audit)
[[ -z $audit ]] || fail "dpkg --audit reports: $audit"

# Recommends must exist in the archive, but stay out so that Depends alone are tested.
recommends=$(dpkg-deb -f "$deb" Recommends | tr ',|' '\n' | sed 's/(.*)//; s/[[:space:]]//g' | grep . || true)
for name in $recommends; do
    installed "$name" && fail "recommended $name got installed; Depends are not tested alone"
    in_root apt-cache show "$name" >/dev/null 2>&1 || fail "recommended $name is not in the archive"
done

mapfile -t files < <(in_root dpkg-query -L "$package")
for program in kolvo-testclient kolvo-loopback-server; do
    [[ -x $target/usr/bin/$program ]] || fail "/usr/bin/$program is not installed"
done

# The painting log shows the window itself being drawn (a failed start would show only an error
# box); the mapped font file shows its text was set in Liberation Sans, not a substitute.
say "starting kolvo-testclient offscreen"
mkdir -p "$target/run/user"
mkdir -m 700 "$target/run/user/0"
# The logs exist before their programs start, so the polls below never read a missing file.
: >"$work/window.log"
: >"$work/server.log"
chroot "$target" /usr/bin/env -i PATH=/usr/bin:/bin LANG=C.UTF-8 HOME=/root \
    XDG_RUNTIME_DIR=/run/user/0 QT_QPA_PLATFORM=offscreen \
    QT_LOGGING_RULES='qt.widgets.painting.info=true' \
    /usr/bin/kolvo-testclient >"$work/window.log" 2>&1 &
window_pid=$!
pids=("$window_pid")
painted=""
for _ in $(seq $((window_seconds * 10))); do
    kill -0 "$window_pid" 2>/dev/null || break
    if grep -q 'Drawing.* of TForm1(' "$work/window.log" && grep -q 'Flushing top level' "$work/window.log"; then
        painted=yes
        break
    fi
    sleep 0.1
done
show_window_log() { grep -v '^qt\.widgets\.painting:' "$work/window.log" | head -40 >&2 || true; }
kill -0 "$window_pid" 2>/dev/null || { show_window_log; fail "kolvo-testclient ended at start"; }
[[ -n $painted ]] || { show_window_log; fail "the window was not painted within ${window_seconds}s"; }
# The window's mappings, read from outside with the root's paths in full. Under qemu-user the
# process is the emulator, which maps the guest's program, libraries and fonts from the root as
# a native process does; the program's own file shows it runs the window, and the plugin's path
# is the one the root's Qt of the package's architecture installed.
maps=$(cat "/proc/$window_pid/maps")
# mapped FILE [NAME-PATTERN]: FILE (a folder, with a pattern) of the root is mapped.
mapped() {
    awk -v file="$target$1" -v name="${2:-}" '
        index($0, " " file) == length($0) - length($NF) && (name == "" || $NF ~ name) { found = 1 }
        END { exit !found }' <<<"$maps"
}
mapped /usr/bin/kolvo-testclient || fail "the process that painted does not run /usr/bin/kolvo-testclient"
plugin=$(in_root dpkg-query -S '*/platforms/libqoffscreen.so' | sed -n 's/^[^ ]*: //p' | head -1)
[[ -n $plugin ]] || fail "no package in the root installs the offscreen platform plugin"
mapped "$plugin" || fail "the offscreen platform plugin $plugin is not loaded"
mapped /usr/share/fonts/ '/LiberationSans[^/]*$' ||
    fail "the window's text is not set in Liberation Sans"
sleep 2
kill -0 "$window_pid" 2>/dev/null || { show_window_log; fail "kolvo-testclient ended after painting"; }
stop_pid "$window_pid" 15
pids=()
say "  the window came up${emulated:+ under qemu-$emulated}, painted in Liberation Sans, and kept running"
if grep -v '^qt\.widgets\.painting:' "$work/window.log" | grep -q .; then
    say "  its other output:"
    show_window_log
fi

# On an X display the window names itself as the installed desktop entry expects, so that
# desktops tie it to the entry, and carries its icon. The display runs outside the root, which
# reaches it through its abstract socket; xprop reads the window from outside too.
entry=$(printf '%s\n' "${files[@]}" | grep -x '/usr/share/applications/[^/]*\.desktop' || true)
[[ -n $entry && $entry != *$'\n'* ]] ||
    fail "the package installs not exactly one desktop entry: ${entry:-none}"
entry_value() { sed -n "/^\[Desktop Entry\]/,/^\[/s/^$1=//p" "$target$entry" | head -1; }
window_class=$(entry_value StartupWMClass)
icon=$(entry_value Icon)
[[ -n $window_class ]] || fail "$entry names no StartupWMClass"
printf '%s\n' "${files[@]}" | grep -qE "^/usr/share/icons/hicolor/[^/]+/apps/$icon\.(svg|png)\$" ||
    fail "$entry names the icon '$icon', which the package does not install"
# The names the window gives X, against the installed entry. Under qemu-user the window once
# showed nowhere on the display and left no word (Debian 13, armhf), and did on the next try;
# there the unit test of those names, run under the same emulator, speaks for them.
if [[ -z $emulated ]]; then
    say "starting kolvo-testclient on an X display"
    Xvfb -displayfd 3 -nolisten tcp -screen 0 1024x768x24 3>"$work/display" >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    pids=("$xvfb_pid")
    wait_for_content 10 "$work/display" "$xvfb_pid" ||
        { cat "$work/xvfb.log" >&2; fail "Xvfb did not start"; }
    display=:$(head -1 "$work/display")
    chroot "$target" /usr/bin/env -i PATH=/usr/bin:/bin LANG=C.UTF-8 HOME=/root \
        XDG_RUNTIME_DIR=/run/user/0 DISPLAY="$display" QT_QPA_PLATFORM=xcb \
        /usr/bin/kolvo-testclient >"$work/x11.log" 2>&1 &
    window_pid=$!
    pids+=("$window_pid")
    # The top-level window that carries a class: "0x200006 "title": ("instance" "class") ...".
    window=""
    for _ in $(seq $((window_seconds * 10))); do
        kill -0 "$window_pid" 2>/dev/null || break
        window=$(xwininfo -display "$display" -root -children 2>/dev/null |
            awk '/^ *0x[0-9a-f]+ .*: \("/ { print $1; exit }')
        [[ -n $window ]] && break
        sleep 0.1
    done
    [[ -n $window ]] ||
        { cat "$work/x11.log" >&2; kill -0 "$window_pid" 2>/dev/null || wait "$window_pid" ||
            fail "kolvo-testclient ended with status $? before its window appeared on the X display"
            fail "no window of kolvo-testclient appeared on the X display"; }
    # The icon may arrive a moment after the class.
    icon_sizes=""
    for _ in $(seq 50); do
        icon_sizes=$(xprop -display "$display" -id "$window" -len 1000000 -notype _NET_WM_ICON \
            2>/dev/null | sed -n 's/.*Icon (\([0-9]* x [0-9]*\)):.*/\1/p' | paste -sd, -)
        [[ -n $icon_sizes ]] && break
        sleep 0.1
    done
    wm_class=$(xprop -display "$display" -id "$window" -notype WM_CLASS)
    stop_pid "$window_pid" 15
    stop_pid "$xvfb_pid" 15
    pids=()
    [[ $wm_class == *", \"$window_class\"" ]] ||
        fail "the window's $wm_class does not match the entry's StartupWMClass=$window_class"
    [[ -n $icon_sizes ]] || { cat "$work/x11.log" >&2; fail "the window carries no icon (_NET_WM_ICON)"; }
    say "  its WM_CLASS is ${wm_class#*= }, as $entry expects; its icon comes in $icon_sizes"
else
    say "  the window's names on an X display are checked for the native architecture only"
fi

say "starting kolvo-loopback-server on 127.0.0.1"
chroot "$target" /usr/bin/env -i PATH=/usr/bin:/bin LANG=C.UTF-8 HOME=/root \
    /usr/bin/kolvo-loopback-server --address 127.0.0.1 --port 0 </dev/null >"$work/server.log" 2>&1 &
server_pid=$!
pids=("$server_pid")
port=""
for _ in $(seq $((100 * slow))); do
    port=$(sed -n 's/.*listening on 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$work/server.log")
    [[ -n $port ]] && break
    kill -0 "$server_pid" 2>/dev/null || break
    sleep 0.1
done
[[ -n $port ]] || { cat "$work/server.log" >&2; fail "kolvo-loopback-server did not start listening"; }
exec 3<>"/dev/tcp/127.0.0.1/$port"
welcome="" answer=""
IFS= read -r -t $((10 * slow)) welcome <&3 || true
printf 'SET POWER ON\n' >&3
IFS= read -r -t $((10 * slow)) answer <&3 || true
exec 3>&-
stop_pid "$server_pid" 15
pids=()
[[ $welcome == *SRCP* ]] || fail "kolvo-loopback-server sent no welcome line (got '$welcome')"
[[ $answer == "INFO POWER ON" ]] || fail "kolvo-loopback-server answered '$answer' to SET POWER ON"
say "  it greeted with '$welcome' and answered '$answer'"

say "removing $package"
step $((600 * slow)) chroot "$target" "${root_env[@]}" apt-get remove -y -q "$package" >"$work/remove.log" 2>&1 ||
    { cat "$work/remove.log" >&2; fail "apt-get remove failed"; }
installed "$package" && fail "$package is still installed after apt-get remove"
for file in "${files[@]}"; do
    if [[ -e $target$file && ! -d $target$file ]]; then
        fail "$file is left behind after apt-get remove"
    fi
done

say "passed: $package installs from its own dependencies, runs, and removes cleanly"
