#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

# The Windows installer as a user meets it, under Wine on a virtual X display: it installs
# silently, the installed window starts and shows its title, "verbinden" connects to the
# installed loopback server, a turnout pulse reaches a server with at least 300 ms between its
# two lines, and the silent uninstall removes the program again.
# The pulse is timed by the Linux build of the loopback server, which stamps each line with the
# time the kernel received it: the Windows server can only stamp a line when its thread gets to
# it, which may be milliseconds late. Runs as a normal user.
# Usage: packaging/checks/installer-check.sh WINDOWS_BUILD_DIR LINUX_BIN_DIR
set -euo pipefail

usage="usage: $0 WINDOWS_BUILD_DIR LINUX_BIN_DIR"
build=$(realpath "${1:?$usage}")
linux_server=$(realpath "${2:?$usage}")/kolvo-loopback-server
here=$(cd "$(dirname "$0")" && pwd)
[ -x "$linux_server" ] || { echo "installer-check: no $linux_server; run 'make build'" >&2; exit 1; }

# Everything below runs on a display of its own, which xvfb-run stops by its process id. It does
# not reset as its last client leaves, which would drop a window still connecting.
if [ -z "${KOLVO_ON_OWN_DISPLAY:-}" ]; then
    exec env KOLVO_ON_OWN_DISPLAY=1 timeout 600 \
        xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp -noreset" "$0" "$@"
fi

installer=$(find "$build" -maxdepth 1 -name 'kolvo-testclient-*-win64.exe' | head -1)
[ -n "$installer" ] || { echo "installer-check: no installer in $build; run 'make windows'" >&2; exit 1; }

# A prefix of its own, new each run, so the install is a first install and nothing is left.
# shellcheck source=../../scripts/lib/wine-env.sh
source "$here/../../scripts/lib/wine-env.sh"
# shellcheck source=../../scripts/lib/stop-pid.sh
source "$here/../../scripts/lib/stop-pid.sh"
# shellcheck source=../../scripts/lib/wait.sh
source "$here/../../scripts/lib/wait.sh"
export WINEPREFIX=$build/wine-installer-check
rm -rf "$WINEPREFIX"
work=$(mktemp -d)
server_pid="" window_pid="" timing_pid=""
cleanup() {
    for pid in $window_pid $server_pid $timing_pid; do
        stop_pid "$pid"
    done
    "$WINESERVER" -k 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

step() { printf 'installer-check: %s\n' "$*"; }
fail() {
    printf 'installer-check: FAILED: %s\n' "$*" >&2
    for log in "$work"/*server.log; do
        [ -f "$log" ] && { echo "--- $(basename "$log")" >&2; cat "$log" >&2; }
    done
    exit 1
}

started=$(date +%s)
kolvo_wine_prefix
step "Wine prefix ready after $(($(date +%s) - started)) s"

step "installing $(basename "$installer") silently"
timeout 180 "$WINE" "$installer" /S || fail "the installer exited with $?"
"$WINESERVER" -w
install_dir="$WINEPREFIX/drive_c/Program Files/Kolvo Testclient"
menu_dir="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Testclient für Kolvo-Server"
for file in kolvo-testclient.exe kolvo-loopback-server.exe Qt6Core.dll platforms/qwindows.dll Uninstall.exe; do
    [ -f "$install_dir/$file" ] || fail "$file was not installed into $install_dir"
done
for link in "Testclient für Kolvo-Server.lnk" "Kolvo Loopback-Server zum Ausprobieren.lnk"; do
    [ -f "$menu_dir/$link" ] || fail "no Start-menu entry \"$link\" in $menu_dir"
done
[ -f "$install_dir/licenses/README.txt" ] || fail "no licenses folder in $install_dir"
step "installed: programs, libraries, licences and both Start-menu entries are there"

# The entry in Windows' list of installed programs, as Settings shows it.
entry=$(awk '/^\[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\kolvo-testclient\]/ { on = 1; next }
             /^\[/ { on = 0 }
             on' "$WINEPREFIX/system.reg")
version=$(basename "$installer" | sed 's/^kolvo-testclient-\(.*\)-win64\.exe$/\1/')
for value in "\"DisplayVersion\"=\"$version\"" '"Publisher"="Kolvo"' '"DisplayIcon"=' '"EstimatedSize"=dword:'; do
    grep -qF "$value" <<<"$entry" || fail "the entry among installed programs lacks $value"
done
step "listed among installed programs with version $version, publisher, icon and size"

free_port() {
    python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

# The installed server starts and greets a client.
port=$(free_port)
"$WINE" "$install_dir/kolvo-loopback-server.exe" --address 127.0.0.1 --port "$port" \
    </dev/null >"$work/installed-server.log" 2>&1 &
server_pid=$!
wait_until 60 grep -q "listening on" "$work/installed-server.log" || fail "the installed loopback server did not start"
exec 3<>"/dev/tcp/127.0.0.1/$port"
IFS= read -r -t 20 welcome <&3 || fail "the installed loopback server sent no welcome line"
exec 3<&-
step "the installed loopback server listens on 127.0.0.1:$port and greets: ${welcome%$'\r'}"

# The window pulses a turnout to the Linux server, which times it; the port is typed into the
# window as an operator would.
timing_port=$(free_port)
"$linux_server" --address 127.0.0.1 --port "$timing_port" </dev/null >"$work/timing-server.log" 2>&1 &
timing_pid=$!
wait_until 20 grep -q "listening on" "$work/timing-server.log" || fail "the timing server did not start"

"$WINE" "$install_dir/kolvo-testclient.exe" >"$work/window.log" 2>&1 &
window_pid=$!
title="Testclient für Kolvo-Server"
# Wine makes and destroys short-lived windows while the program starts: the wait outlives them.
window=$(wait_for_window 60 --onlyvisible --name "^$title\$") ||
    fail "no window titled \"$title\" appeared"
step "the window shows its title \"$title\""

# Focus starts in the port field; Tab goes on to "verbinden", then "trennen", then "gerade".
# Keys typed before X gives the window the focus would go elsewhere; those typed after reach
# it in order, behind the focus change.
wait_for_focus 20 "$window" || fail "the window did not take the keyboard focus"
xdotool key --clearmodifiers ctrl+a
xdotool type --delay 50 "$timing_port"
xdotool key Tab space
wait_until 20 grep -q " connected" "$work/timing-server.log" || fail "\"verbinden\" did not connect"
step "\"verbinden\" connected"

xdotool key Tab Tab space
wait_until 20 grep -q "pulse" "$work/timing-server.log" || fail "no turnout pulse reached the server"
grep -q 'SET GA M 1 0 1 -1' "$work/timing-server.log" || fail "the switch-on line is not the straight route's"
grep -q 'SET GA M 1 0 0 -1' "$work/timing-server.log" || fail "the switch-off line is missing"
gap=$(sed -n 's/.*pulse \([0-9.]*\) ms.*/\1/p' "$work/timing-server.log" | head -1)
awk -v gap="$gap" 'BEGIN { exit !(gap >= 300) }' || fail "the pulse lasted only $gap ms at the server"
step "turnout pulse: $gap ms between the switch-on and the switch-off line, as the kernel received them"

for pid in $window_pid $server_pid $timing_pid; do
    stop_pid "$pid"
done
window_pid="" server_pid="" timing_pid=""
"$WINESERVER" -k 2>/dev/null || true

step "uninstalling silently"
timeout 120 "$WINE" "$install_dir/Uninstall.exe" /S || fail "the uninstaller exited with $?"
# The uninstaller runs from a copy of itself and returns before it is done.
wait_until 60 test ! -e "$install_dir" || fail "$install_dir is still there after uninstalling"
"$WINESERVER" -w
[ ! -e "$menu_dir" ] || fail "the Start-menu entries are still there after uninstalling"
! grep -q 'kolvo-testclient' "$WINEPREFIX/system.reg" || fail "the uninstall entry is still in the registry"
step "uninstalled: program folder, Start-menu entries and registry entry are gone"
step "passed in $(($(date +%s) - started)) s"
