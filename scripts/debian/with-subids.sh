#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Runs a command that enters a user namespace of its own (sbuild and autopkgtest in unshare
# mode), which maps the subordinate ids /etc/subuid and /etc/subgid give the user. A normal user
# has them from adduser. Root has none there: for root a private mount namespace lends the
# command a range, so nothing under /etc changes.
#
# Usage: scripts/debian/with-subids.sh COMMAND [ARGUMENT...]
set -euo pipefail

if [[ $(id -u) != 0 ]] || grep -q '^root:' /etc/subuid 2>/dev/null; then
    exec "$@"
fi
ids=$(mktemp)
trap 'rm -f "$ids"' EXIT
echo "root:100000:65536" >"$ids"
# shellcheck disable=SC2016 # expanded by the inner shell
unshare --mount --propagation private sh -ec \
    'mount --bind "$1" /etc/subuid; mount --bind "$1" /etc/subgid; shift; exec "$@"' sh "$ids" "$@"
