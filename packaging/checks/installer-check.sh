#!/usr/bin/env bash
# The Windows installer as a user meets it, under Wine on a virtual X display: it installs
# silently, the installed window starts and shows its title, "verbinden" connects to the
# installed loopback server, a turnout pulse reaches the server with at least 300 ms between
# its two lines, and the silent uninstall removes the program again.
# The pulse is timed on the wire, from the kernel's capture stamps on the loopback interface:
# the Windows server can only stamp a line when its thread gets to it, which may be
# milliseconds late.
# Usage: packaging/checks/installer-check.sh BUILD_DIR
set -euo pipefail

build=$(realpath "${1:?usage: $0 BUILD_DIR}")
here=$(cd "$(dirname "$0")" && pwd)

# Everything below runs on a display of its own, which xvfb-run stops by its process id.
if [ -z "${KOLVO_ON_OWN_DISPLAY:-}" ]; then
    exec env KOLVO_ON_OWN_DISPLAY=1 timeout 600 \
        xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" "$0" "$@"
fi

installer=$(find "$build" -maxdepth 1 -name 'kolvo-testclient-*-win64.exe' | head -1)
[ -n "$installer" ] || { echo "installer-check: no installer in $build; run 'make windows'" >&2; exit 1; }

# A prefix of its own, new each run, so the install is a first install and nothing is left.
source "$here/../../scripts/lib/wine-env.sh"
export WINEPREFIX=$build/wine-installer-check
rm -rf "$WINEPREFIX"
work=$(mktemp -d)
server_pid="" window_pid="" capture_pid=""
cleanup() {
    for pid in $window_pid $server_pid $capture_pid; do
        kill "$pid" 2>/dev/null || true
    done
    "$WINESERVER" -k 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

step() { printf 'installer-check: %s\n' "$*"; }
fail() {
    printf 'installer-check: FAILED: %s\n' "$*" >&2
    [ -f "$work/server.log" ] && { echo "--- server output" >&2; cat "$work/server.log" >&2; }
    exit 1
}
# Polls a condition twice a second for at most $1 seconds.
wait_for() {
    local seconds=$1
    shift
    for _ in $(seq $((seconds * 2))); do
        "$@" && return 0
        sleep 0.5
    done
    return 1
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
step "installed: programs, libraries and both Start-menu entries are there"

# A port of its own, typed into the window as an operator would.
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
"$WINE" "$install_dir/kolvo-loopback-server.exe" --address 127.0.0.1 --port "$port" \
    </dev/null >"$work/server.log" 2>&1 &
server_pid=$!
wait_for 60 grep -q "listening on" "$work/server.log" || fail "the loopback server did not start"
step "loopback server listens on 127.0.0.1:$port"
timeout 300 tcpdump -i lo -n -tt -l -U -A "tcp dst port $port" >"$work/wire.log" 2>"$work/capture.log" &
capture_pid=$!
wait_for 20 grep -q "listening on" "$work/capture.log" || fail "tcpdump did not start capturing"

"$WINE" "$install_dir/kolvo-testclient.exe" >"$work/window.log" 2>&1 &
window_pid=$!
title="Testclient für Kolvo-Server"
window=$(timeout 60 xdotool search --sync --name "^$title\$" | head -1) ||
    fail "no window titled \"$title\" appeared"
step "the window shows its title \"$title\""

# Focus starts in the port field; Tab goes on to "verbinden", then "trennen", then "gerade".
xdotool windowfocus --sync "$window" 2>/dev/null || true
sleep 1
xdotool key --clearmodifiers ctrl+a
xdotool type --delay 50 "$port"
xdotool key Tab space
wait_for 20 grep -q " connected" "$work/server.log" || fail "\"verbinden\" did not connect"
step "\"verbinden\" connected"

xdotool key Tab Tab space
wait_for 20 grep -q "pulse" "$work/server.log" || fail "no turnout pulse reached the server"
grep -q 'SET GA M 1 0 1 -1' "$work/server.log" || fail "the switch-on line is not the straight route's"
grep -q 'SET GA M 1 0 0 -1' "$work/server.log" || fail "the switch-off line is missing"
kill -INT "$capture_pid" 2>/dev/null || true
wait "$capture_pid" 2>/dev/null || true
capture_pid=""
# Each packet's header line starts with its stamp; its payload follows as text.
gap=$(awk '/^[0-9]+\.[0-9]+ IP / { stamp = $1 }
           /SET GA M 1 0 1 -1/ && !on { on = stamp }
           /SET GA M 1 0 0 -1/ && !off { off = stamp }
           END { if (on && off) printf "%.3f", (off - on) * 1000 }' "$work/wire.log")
[ -n "$gap" ] || fail "the capture holds no turnout pulse"
awk -v gap="$gap" 'BEGIN { exit !(gap >= 300) }' || fail "the pulse lasted only $gap ms on the wire"
step "turnout pulse: $gap ms on the wire between the switch-on and the switch-off line" \
    "($(sed -n 's/.*pulse \([0-9.]*\) ms.*/\1/p' "$work/server.log" | head -1) ms as the server stamped it)"

kill "$window_pid" "$server_pid" 2>/dev/null || true
window_pid="" server_pid=""
"$WINESERVER" -k 2>/dev/null || true

step "uninstalling silently"
timeout 120 "$WINE" "$install_dir/Uninstall.exe" /S || fail "the uninstaller exited with $?"
# The uninstaller runs from a copy of itself and returns before it is done.
wait_for 60 test ! -e "$install_dir" || fail "$install_dir is still there after uninstalling"
"$WINESERVER" -w
[ ! -e "$menu_dir" ] || fail "the Start-menu entries are still there after uninstalling"
! grep -q 'kolvo-testclient' "$WINEPREFIX/system.reg" || fail "the uninstall entry is still in the registry"
step "uninstalled: program folder, Start-menu entries and registry entry are gone"
step "passed in $(($(date +%s) - started)) s"
