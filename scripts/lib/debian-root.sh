# SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

# shellcheck shell=bash
# Sourced by the scripts that work in a clean Debian root (the package check, the Debian 13
# build): the root's apt sources taken from this machine's, a root built once with mmdebstrap
# and cached per suite, architecture and contents, a foreign architecture run by qemu-user
# through binfmt_misc, and a throw-away overlay above the cached root for each run, so the
# cached root stays as it was built. Needs root; nothing under /etc of this machine changes.
#
# The caller sets root_tag (its name in messages) and cache_dir, then calls root_setup,
# root_sources SUITE, root_ensure and root_enter_run; helper processes it starts go into pids,
# which the exit trap stops.

root_tag=${root_tag:-debian-root}
cache_dir=${cache_dir:?set cache_dir before sourcing debian-root.sh}
# Bumped whenever the steps that build a cached root change, so an old root is rebuilt.
root_layout=3
root_started=$SECONDS
building=""
work=""
step_pid=""
pids=()
mounts=()
emulated=""

say() { printf '%s [%4ds]: %s\n' "$root_tag" $((SECONDS - root_started)) "$*"; }
fail() {
    printf '%s: FAILED: %s\n' "$root_tag" "$*" >&2
    exit 1
}

# shellcheck source=stop-pid.sh
source "$(dirname "${BASH_SOURCE[0]}")/stop-pid.sh"

# An administrator's clean environment inside a root; proxies pass through for apt.
root_env=(/usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LC_ALL=C.UTF-8 HOME=/root
    DEBIAN_FRONTEND=noninteractive)
for proxy in http_proxy https_proxy no_proxy; do
    [[ -n ${!proxy:-} ]] && root_env+=("$proxy=${!proxy}")
done

# host_sources DEB822 LIST: prints "URI SUITE" for every enabled binary source in an apt
# configuration, from the deb822 file and the one-line list alike.
host_sources() {
    local deb822=$1 list=$2
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

# Reads "URI SUITE" lines and prints those of SUITE, SUITE-updates and SUITE-security. Where
# the lines do not name SUITE, they come from the first release they do name, with its name
# swapped for SUITE: a Debian 12 machine's mirror and security mirror serve Debian 13 as well.
suite_sources() {
    awk -v want="$1" '
        { uri[NR] = $1; suite[NR] = $2 }
        END {
            for (i = 1; i <= NR; i++) if (suite[i] == want) from = want
            for (i = 1; i <= NR && from == ""; i++) if (suite[i] !~ /-/) from = suite[i]
            for (i = 1; i <= NR && from != ""; i++) {
                pocket = substr(suite[i], length(from) + 1)
                if (index(suite[i], from) != 1 || (pocket != "" && pocket != "-updates" &&
                    pocket != "-security")) continue
                line = uri[i] " " want pocket
                if (!(line in seen)) print line
                seen[line] = 1
            }
        }'
}

# Sets root_source_lines to the sources.list lines of SUITE: those this machine's apt sources
# give it (the same point release, updates and security fixes), or KOLVO_DEBIAN_MIRROR alone.
root_sources() {
    local suite=$1 lines
    if [[ -n ${KOLVO_DEBIAN_MIRROR:-} ]]; then
        lines="$KOLVO_DEBIAN_MIRROR $suite"
    else
        lines=$(host_sources /etc/apt/sources.list.d/debian.sources /etc/apt/sources.list |
            suite_sources "$suite")
    fi
    [[ -n $lines ]] || fail "no Debian release in /etc/apt/sources.list.d/debian.sources or \
/etc/apt/sources.list to take a '$suite' mirror from; set KOLVO_DEBIAN_MIRROR to a Debian mirror"
    mapfile -t root_source_lines < <(awk '{ print "deb", $1, $2, "main" }' <<<"$lines")
}

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
        echo "$root_tag: $dir still has mounts; left in place" >&2
        return 1
    fi
    rm -rf --one-file-system "$dir"
}

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

root_cleanup() {
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

# Checks the tools and takes over EXIT, INT and TERM.
root_setup() {
    local tool
    [[ $(id -u) == 0 ]] || fail "needs root for mmdebstrap, chroot and mount (try sudo)"
    for tool in mmdebstrap chroot mount umount flock sha256sum timeout; do
        command -v "$tool" >/dev/null || fail "$tool is missing (apt-get install mmdebstrap)"
    done
    trap root_cleanup EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM
}

# The emulator's name in binfmt_misc for a Debian architecture this machine cannot run itself.
qemu_name() {
    case $1 in
    arm64) echo aarch64 ;;
    armhf | armel) echo arm ;;
    *) return 1 ;;
    esac
}

# Lets this machine run ARCH's programs, in a root too, through qemu-user-static: the F flag
# of Debian's binfmt entries opens the emulator once here, so a root needs no copy of it. Only
# the kernel's table under /proc changes.
root_enable_emulation() {
    local arch=$1 native qemu entry=/proc/sys/fs/binfmt_misc
    native=$(dpkg --print-architecture)
    emulated=""
    [[ $arch == "$native" ]] && return 0
    [[ $native == amd64 && $arch == i386 ]] && return 0
    qemu=$(qemu_name "$arch") || fail "no emulator known for $arch"
    emulated=$qemu
    command -v arch-test >/dev/null || fail "arch-test is missing (apt-get install arch-test)"
    [[ -r /usr/lib/binfmt.d/qemu-$qemu.conf ]] ||
        fail "no /usr/lib/binfmt.d/qemu-$qemu.conf (apt-get install qemu-user-static)"
    if [[ ! -e $entry/register ]]; then
        mount -t binfmt_misc binfmt_misc "$entry" || fail "could not mount binfmt_misc on $entry"
    fi
    if [[ ! -e $entry/qemu-$qemu ]]; then
        say "registering qemu-$qemu-static for $arch programs with binfmt_misc"
        grep -v '^#' "/usr/lib/binfmt.d/qemu-$qemu.conf" | grep . >"$entry/register" ||
            [[ -e $entry/qemu-$qemu ]] || fail "could not register qemu-$qemu with binfmt_misc"
    fi
    grep -qx enabled "$entry/qemu-$qemu" || fail "$entry/qemu-$qemu is disabled"
    grep -q '^flags: .*F' "$entry/qemu-$qemu" ||
        fail "$entry/qemu-$qemu is registered without the F flag; a root cannot reach its emulator"
}

# mmdebstrap --verbose prints every line apt and dpkg print: its own steps, warnings and the
# first and every 25th line of each kind of package line (downloaded, unpacked, set up), with
# the time, show progress.
show_progress() {
    local line kind
    local -A seen=()
    while IFS= read -r line; do
        case $line in
        [IWE]:*) ;;
        Get:*) kind=downloading ;;
        Unpacking*) kind=unpacking ;;
        "Setting up"*) kind="setting up" ;;
        *) continue ;;
        esac
        if [[ $line != [IWE]:* ]]; then
            seen[$kind]=$((${seen[$kind]:-0} + 1))
            ((seen[$kind] == 1 || seen[$kind] % 25 == 0)) || continue
            line="$kind: ${seen[$kind]} packages ($line)"
        fi
        say "  $line"
    done
}

# root_ensure NAME SUITE ARCH VARIANT [MMDEBSTRAP OPTION...]: sets root to a clean root of
# SUITE for ARCH, built with mmdebstrap and cached as NAME-KEY in cache_dir, where KEY follows
# the sources, the options, mmdebstrap's version and root_layout. A root older than
# KOLVO_ROOT_MAX_AGE_DAYS (30) is built anew; building prunes NAME's other roots. Holds the
# lock NAME.lock shared when it returns, so no other run prunes or rebuilds the root in use.
root_ensure() {
    local name=$1 suite=$2 arch=$3 variant=$4 key prefix old limit=1800
    shift 4
    local max_age_days=${KOLVO_ROOT_MAX_AGE_DAYS:-30}
    prefix="$cache_dir/$name"
    key=$(printf '%s\n' "$suite" "$arch" "$variant" "${root_source_lines[@]}" "$@" \
        "$(mmdebstrap --version)" "$root_layout" | sha256sum | cut -c1-12)
    root="$prefix-$key"
    run_prefix="$prefix.run"

    mkdir -p "$cache_dir"
    fresh() { [[ -f $root.built && -z $(find "$root.built" -mmin +$((max_age_days * 1440))) ]]; }
    exec 9>"$prefix.lock"
    # Runs share a ready root; a rebuild needs it alone. Linux drops a shared lock before it waits
    # for the exclusive one, so two runs that both want to rebuild cannot block each other.
    if ! flock -n 9; then
        flock -s -w 3600 9 || fail "another run holds $prefix.lock"
        if fresh; then
            say "using the cached root $root"
            return 0
        fi
        flock -w 3600 9 || fail "another run holds $prefix.lock"
    fi
    # No other run is active while this one holds the lock alone: leftovers of killed runs can go.
    for old in "$run_prefix".*; do
        remove_tree "$old" || fail "clear the mounts below $old first"
    done

    if ! fresh; then
        for old in "$prefix"-*; do
            [[ -d $old ]] && { remove_tree "$old" || fail "clear the mounts below $old first"; }
        done
        rm -f "$prefix"-*.built "$prefix"-*.log
        [[ -n $emulated ]] && limit=3600
        say "building a clean Debian $suite root for $arch with mmdebstrap (once; a few minutes${emulated:+, under qemu-$emulated}), log: $root.log"
        building="$root.partial"
        : >"$root.log"
        # The package lists stay, so each run's apt-get update only checks them. dpkg need not
        # sync each file: a root that breaks off half-built is thrown away.
        step_begin "$limit" mmdebstrap --mode=root --variant="$variant" --arch="$arch" --verbose \
            --skip=cleanup/apt/lists --dpkgopt=force-unsafe-io "$@" "$suite" "$building" "${root_source_lines[@]}" \
            >>"$root.log" 2>&1
        tail -n +1 -f --pid="$step_pid" "$root.log" | show_progress &
        pids=("$!")
        if ! step_end; then
            tail -n 20 "$root.log" >&2
            fail "mmdebstrap failed; see $root.log"
        fi
        # tail ends within a second of mmdebstrap, after its last lines.
        wait "${pids[0]}" || true
        pids=()
        mv "$building" "$root"
        building=""
        touch "$root.built"
        say "root ready: $root ($(du -sh --one-file-system "$root" | cut -f1))"
    else
        say "using the cached root $root"
    fi
    # Further runs may share the root; only a rebuild needs it alone.
    flock -s 9
}

# root_enter_run [TMPFS_SIZE]: sets target to a writable root above the cached one, in memory
# when TMPFS_SIZE is given, with /proc, /dev/shm and this machine's resolver. The exit trap
# throws it away.
root_enter_run() {
    local size=${1:-}
    work=$(mktemp -d "$run_prefix.XXXXXX")
    target="$work/root"
    if [[ -n $size ]] && mount -t tmpfs -o "size=$size,mode=700" "kolvo-$root_tag" "$work" 2>/dev/null; then
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
    # Qt and dpkg's maintainer scripts read /proc (the executable's path, the process list);
    # Qt's shared memory wants /dev/shm.
    mount -t proc proc "$target/proc"
    mounts+=("$target/proc")
    mkdir -p "$target/dev/shm"
    mount -t tmpfs -o mode=1777,size=256m shm "$target/dev/shm"
    mounts+=("$target/dev/shm")
    cp /etc/resolv.conf "$target/etc/resolv.conf"
}
