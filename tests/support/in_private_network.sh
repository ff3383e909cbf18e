#!/bin/sh

# SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Runs a test in a network namespace of its own, holding nothing but its loopback, where it may
# drop packets with nftables without touching the machine's own interfaces or firewall. Root
# makes the namespace itself; another user gets the right in a user namespace of its own.
# Exits 77 (CTest's skip) where no such namespace can be made here.
# Run by CTest: in_private_network.sh TEST [ARGS...]
set -u
# Both tools live in sbin, which a normal user's PATH may lack.
PATH=$PATH:/usr/sbin:/sbin
export PATH
for tool in unshare nft ip; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
user=--map-root-user
[ "$(id -u)" != 0 ] || user=
# shellcheck disable=SC2086 # one option or none
if ! unshare --net $user true 2>/dev/null; then
    echo "SKIP: this user may make no network namespace here (a container without the right," \
        "or user namespaces switched off)"
    exit 77
fi
# A new namespace's loopback starts down.
# shellcheck disable=SC2016,SC2086 # expanded by the inner shell; one option or none
# The variable tells the test it runs inside, where dropping packets touches nothing else.
exec unshare --net $user sh -c 'ip link set lo up && KOLVO_PRIVATE_NETWORK=1 exec "$@"' sh "$@"
