#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Lets this machine run an architecture's programs, in a root too, through qemu-user-static, as
# the package's installation does on a system that runs systemd-binfmt: the F flag of Debian's
# binfmt entries opens the emulator once here, so a root needs no copy of it. Only the kernel's
# table under /proc changes. Needs root unless the entry is there already.
#
# Usage: scripts/debian/binfmt.sh arm64|armhf
set -euo pipefail

case ${1:?usage: $0 arm64|armhf} in
arm64) qemu=aarch64 ;;
armhf) qemu=arm ;;
*) echo "binfmt: no emulator known for $1" >&2; exit 2 ;;
esac
table=/proc/sys/fs/binfmt_misc
fail() { echo "binfmt: $*" >&2; exit 1; }
if [[ ! -e $table/qemu-$qemu ]]; then
    conf=/usr/lib/binfmt.d/qemu-$qemu.conf
    [[ -r $conf ]] || fail "no $conf (apt-get install qemu-user-static)"
    [[ -e $table/register ]] || mount -t binfmt_misc binfmt_misc "$table"
    grep -v '^#' "$conf" | grep . >"$table/register" || [[ -e $table/qemu-$qemu ]] ||
        fail "could not register qemu-$qemu"
fi
grep -qx enabled "$table/qemu-$qemu" || fail "$table/qemu-$qemu is disabled"
grep -q '^flags: .*F' "$table/qemu-$qemu" ||
    fail "$table/qemu-$qemu lacks the F flag; a root cannot reach its emulator"
