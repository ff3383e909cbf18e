#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Installs the Debian package into a Debian 12 root that holds nothing but the minimal base
# system, starts both installed programs there and removes the package again. It passes only if
# the package's own Depends bring everything the programs need: Recommends stay uninstalled.
#
# Usage: packaging/checks/package-check.sh PACKAGE.deb
#
# Needs root (debootstrap, chroot, mount) and the network. The root is built once with
# debootstrap and cached under ${XDG_CACHE_HOME:-~/.cache}/kolvo-testclient/package-check, keyed
# by mirror, debootstrap version and build steps, and rebuilt after KOLVO_ROOT_MAX_AGE_DAYS (30).
# Each run works on an overlay above it in memory (or on a copy where overlays are not
# available), so the cached root stays as it was built. The mirror comes from this machine's
# apt sources; KOLVO_DEBIAN_MIRROR overrides it.
set -euo pipefail

deb=${1:?usage: $0 PACKAGE.deb}
suite=bookworm
# Bumped whenever the steps that build the cached root change, so an old root is rebuilt.
root_layout=1
max_age_days=${KOLVO_ROOT_MAX_AGE_DAYS:-30}
cache_dir=${KOLVO_PACKAGE_CHECK_CACHE:-${KOLVO_CACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/kolvo-testclient}/package-check}
# Seconds the window gets to paint itself; generous for a machine that is busy compiling.
window_seconds=${KOLVO_WINDOW_SECONDS:-20}

started=$SECONDS
say() { printf 'package-check [%4ds]: %s\n' $((SECONDS - started)) "$*"; }
fail() {
    printf 'package-check: FAILED: %s\n' "$*" >&2
    exit 1
}

[[ $(id -u) == 0 ]] || fail "needs root for debootstrap, chroot and mount (try sudo)"
for tool in debootstrap chroot mount umount flock dpkg-deb sha256sum timeout; do
    command -v "$tool" >/dev/null || fail "$tool is missing (apt-get install debootstrap)"
done
[[ -f $deb ]] || fail "no such package: $deb"
deb=$(realpath "$deb")
package=$(dpkg-deb -f "$deb" Package)
arch=$(dpkg-deb -f "$deb" Architecture)
[[ $arch == all ]] && arch=$(dpkg --print-architecture)

# Prints "URI SUITE" for every enabled binary source in this machine's apt configuration, from
# the deb822 file and the one-line list alike.
host_sources() {
    local deb822=/etc/apt/sources.list.d/debian.sources list=/etc/apt/sources.list
    if [[ -r $deb822 ]]; then
        awk '
            function flush(   n, m, i, j, u, s) {
                if (types ~ /(^|[ \t])deb([ \t]|$)/ && enabled != "no") {
                    n = split(uris, u, /[ \t]+/); m = split(suites, s, /[ \t]+/)
                    for (i = 1; i <= n; i++) for (j = 1; j <= m; j++) print u[i], s[j]
                }
                types = uris = suites = enabled = ""
            }
            /^[ \t]*#/ { next }
            /^[ \t]*$/ { flush(); next }
            /^[ \t]/ { next }
            {
                key = tolower($1); sub(/:$/, "", key); $1 = ""; value = $0
                gsub(/^[ \t]+|[ \t]+$/, "", value)
                if (key == "types") types = value
                else if (key == "uris") uris = value
                else if (key == "suites") suites = value
                else if (key == "enabled") enabled = tolower(value)
            }
            END { flush() }' "$deb822"
    fi
    if [[ -r $list ]]; then
        awk '$1 == "deb" {
                i = 2
                if ($i ~ /^\[/) { while (i <= NF && $i !~ /\]$/) i++; i++ }
                if (i + 1 <= NF) print $i, $(i + 1)
            }' "$list"
    fi
}

mapfile -t sources < <(host_sources | awk '!seen[$0]++')
mirror=${KOLVO_DEBIAN_MIRROR:-}
if [[ -z $mirror ]]; then
    mirror=$(printf '%s\n' "${sources[@]}" | awk -v s="$suite" '$2 == s { print $1; exit }')
fi
[[ -n $mirror ]] || fail "no '$suite' source in /etc/apt/sources.list.d/debian.sources or \
/etc/apt/sources.list; set KOLVO_DEBIAN_MIRROR to a Debian mirror"
# The root sees the same point release, updates and security fixes as a Debian 12 machine
# configured like this one.
root_sources=$(printf '%s\n' "${sources[@]}" |
    awk -v s="$suite" '$2 == s || $2 == s "-updates" || $2 == s "-security" { print "deb", $1, $2, "main" }')
[[ -n $root_sources ]] || root_sources="deb $mirror $suite main"

key=$(printf '%s\n' "$suite" minbase "$arch" "$mirror" "$root_sources" \
    "$(debootstrap --version)" "$root_layout" | sha256sum | cut -c1-12)
root="$cache_dir/$suite-minbase-$key"

# An administrator's clean environment inside a root; proxies pass through for apt.
root_env=(/usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LC_ALL=C.UTF-8 HOME=/root
    DEBIAN_FRONTEND=noninteractive)
for proxy in http_proxy https_proxy no_proxy; do
    [[ -n ${!proxy:-} ]] && root_env+=("$proxy=${!proxy}")
done

building=""
work=""
step_pid=""
pids=()
mounts=()

# Leftovers of an interrupted run may still have /proc or an overlay mounted below them.
remove_tree() {
    local dir=$1 point
    [[ -e $dir ]] || return 0
    while read -r point; do
        umount "$point" 2>/dev/null || umount -l "$point" || true
    done < <(awk -v d="$dir" '$5 == d || index($5, d "/") == 1 { print $5 }' /proc/self/mountinfo |
        sort -r)
    if awk -v d="$dir" '$5 == d || index($5, d "/") == 1 { found = 1 } END { exit !found }' \
        /proc/self/mountinfo; then
        echo "package-check: $dir still has mounts; left in place" >&2
        return 1
    fi
    rm -rf --one-file-system "$dir"
}

# shellcheck source=../../scripts/lib/stop-pid.sh
source "$(dirname "$0")/../../scripts/lib/stop-pid.sh"

# Runs in the background and waits, so INT and TERM reach the traps at once rather than after
# a long step; timeout passes the signal on to the whole step.
step_begin() {
    local limit=$1
    shift
    timeout -k 10 "$limit" "$@" &
    step_pid=$!
}
step_end() {
    local status=0
    wait "$step_pid" || status=$?
    step_pid=""
    return "$status"
}
step() {
    step_begin "$@"
    step_end
}

cleanup() {
    local pid i
    [[ -n $step_pid ]] && stop_pid "$step_pid" 15
    for pid in "${pids[@]}"; do stop_pid "$pid" 15; done
    for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do
        umount "${mounts[i]}" 2>/dev/null || umount -l "${mounts[i]}" || true
    done
    [[ -n $work ]] && remove_tree "$work"
    [[ -n $building ]] && remove_tree "$building"
    return 0
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

mkdir -p "$cache_dir"
exec 9>"$cache_dir/lock"
flock -w 3600 9 || fail "another package check holds $cache_dir/lock"

# No other run is active while this one holds the lock alone: leftovers of killed runs can go.
for old in "$cache_dir"/run.*; do
    remove_tree "$old" || fail "clear the mounts below $old first"
done

# debootstrap reports each of about 90 packages in five phases (retrieve, validate, extract,
# unpack, configure): the first and every 25th line of a phase, with the time, show progress.
show_progress() {
    local line phase
    local -A seen=()
    while IFS= read -r line; do
        if [[ $line == "I: "* ]]; then
            phase=${line#I: }
            phase=${phase%% *}
            seen[$phase]=$((${seen[$phase]:-0} + 1))
            if ((seen[$phase] > 1)); then
                ((seen[$phase] % 25 == 0)) || continue
                line="$line [${seen[$phase]}]"
            fi
        fi
        say "  $line"
    done
}

root_fresh() {
    [[ -f $root.built ]] && [[ -z $(find "$root.built" -mmin +$((max_age_days * 1440))) ]]
}

if ! root_fresh; then
    for old in "$cache_dir/$suite"-minbase-*; do
        [[ -d $old ]] && { remove_tree "$old" || fail "clear the mounts below $old first"; }
    done
    rm -f "$cache_dir/$suite"-minbase-*.built "$cache_dir/$suite"-minbase-*.log
    say "building a clean Debian $suite root (once; a few minutes), log: $root.log"
    building="$root.partial"
    : >"$root.log"
    step_begin 1800 debootstrap --variant=minbase --arch="$arch" "$suite" "$building" "$mirror" \
        >>"$root.log" 2>&1
    tail -n +1 -f --pid="$step_pid" "$root.log" | show_progress &
    pids=("$!")
    step_end || fail "debootstrap failed; see $root.log"
    # tail ends within a second of debootstrap, after its last lines.
    wait "${pids[0]}" || true
    pids=()
    printf '%s\n' "$root_sources" >"$building/etc/apt/sources.list"
    # Package lists in the cached root keep each run's update short.
    say "reading the package lists into the root"
    step 600 chroot "$building" "${root_env[@]}" apt-get update -qq >>"$root.log" 2>&1 ||
        fail "apt-get update in the new root failed; see $root.log"
    mv "$building" "$root"
    building=""
    touch "$root.built"
    say "root ready: $root ($(du -sh --one-file-system "$root" | cut -f1))"
else
    say "using the cached root $root"
fi
# Further runs may share the root; only a rebuild needs it alone.
flock -s 9

work=$(mktemp -d "$cache_dir/run.XXXXXX")
target="$work/root"
# In memory dpkg needs about half the time it takes on disk, where it syncs every file, and one
# umount throws the run away.
if mount -t tmpfs -o size=4g,mode=700 kolvo-package-check "$work" 2>/dev/null; then
    mounts+=("$work")
fi
mkdir -p "$target" "$work/upper" "$work/overlay-work"
if mount -t overlay overlay \
    -o "lowerdir=$root,upperdir=$work/upper,workdir=$work/overlay-work" "$target" 2>/dev/null; then
    mounts+=("$target")
    say "working on an overlay above the cached root"
else
    say "overlay not available; copying the cached root"
    cp -a --reflink=auto "$root/." "$target/"
fi
# Qt and dpkg's maintainer scripts read /proc (the executable's path, the process list).
mount -t proc proc "$target/proc"
mounts+=("$target/proc")
cp /etc/resolv.conf "$target/etc/resolv.conf"
cp "$deb" "$target/tmp/package.deb"

in_root() { timeout 60 chroot "$target" "${root_env[@]}" "$@"; }
installed() {
    [[ $(in_root dpkg-query -W -f="\${db:Status-Status}" "$1" 2>/dev/null) == installed ]]
}

say "updating the package lists"
step 600 chroot "$target" "${root_env[@]}" apt-get update -qq >"$work/apt.log" 2>&1 ||
    { cat "$work/apt.log" >&2; fail "apt-get update failed"; }

say "installing $(basename "$deb") with its dependencies (no recommends)"
if ! step 900 chroot "$target" "${root_env[@]}" \
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
maps=$(cat "/proc/$window_pid/maps")
grep -q 'libqoffscreen\.so' <<<"$maps" || fail "the offscreen platform plugin is not loaded"
grep -q 'LiberationSans' <<<"$maps" || fail "the window's text is not set in Liberation Sans"
sleep 2
kill -0 "$window_pid" 2>/dev/null || { show_window_log; fail "kolvo-testclient ended after painting"; }
stop_pid "$window_pid" 15
pids=()
say "  the window came up, painted in Liberation Sans, and kept running"
if grep -v '^qt\.widgets\.painting:' "$work/window.log" | grep -q .; then
    say "  its other output:"
    show_window_log
fi

say "starting kolvo-loopback-server on 127.0.0.1"
chroot "$target" /usr/bin/env -i PATH=/usr/bin:/bin LANG=C.UTF-8 HOME=/root \
    /usr/bin/kolvo-loopback-server --address 127.0.0.1 --port 0 </dev/null >"$work/server.log" 2>&1 &
server_pid=$!
pids=("$server_pid")
port=""
for _ in $(seq 100); do
    port=$(sed -n 's/.*listening on 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$work/server.log")
    [[ -n $port ]] && break
    kill -0 "$server_pid" 2>/dev/null || break
    sleep 0.1
done
[[ -n $port ]] || { cat "$work/server.log" >&2; fail "kolvo-loopback-server did not start listening"; }
exec 3<>"/dev/tcp/127.0.0.1/$port"
welcome="" answer=""
IFS= read -r -t 10 welcome <&3 || true
printf 'SET POWER ON\n' >&3
IFS= read -r -t 10 answer <&3 || true
exec 3>&-
stop_pid "$server_pid" 15
pids=()
[[ $welcome == *SRCP* ]] || fail "kolvo-loopback-server sent no welcome line (got '$welcome')"
[[ $answer == "INFO POWER ON" ]] || fail "kolvo-loopback-server answered '$answer' to SET POWER ON"
say "  it greeted with '$welcome' and answered '$answer'"

say "removing $package"
step 600 chroot "$target" "${root_env[@]}" apt-get remove -y -q "$package" >"$work/remove.log" 2>&1 ||
    { cat "$work/remove.log" >&2; fail "apt-get remove failed"; }
installed "$package" && fail "$package is still installed after apt-get remove"
for file in "${files[@]}"; do
    if [[ -e $target$file && ! -d $target$file ]]; then
        fail "$file is left behind after apt-get remove"
    fi
done

say "passed: $package installs from its own dependencies, runs, and removes cleanly"
