#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

# lintian over the source packages and every binary package in a build-deb folder: an error or
# a warning fails, info and pedantic tags are shown.
#
# Usage: scripts/debian/lint.sh DEB_DIR
set -euo pipefail

deb_dir=${1:?usage: $0 DEB_DIR}
mapfile -t targets < <(find "$deb_dir" -maxdepth 2 -name '*.dsc' -o -name '*.changes' | sort)
((${#targets[@]})) || { echo "lint: nothing to check in $deb_dir" >&2; exit 1; }
echo "lint: lintian over ${#targets[@]} source packages and builds" >&2
lintian --fail-on error,warning --display-info --pedantic --tag-display-limit 0 "${targets[@]}"
