#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
# SPDX-License-Identifier: GPL-3.0-or-later
#
# Runs Debian's and freedesktop's validators over the package and the metadata it ships:
# lintian, appstreamcli, desktop-file-validate and man. Any error or warning fails; lintian's
# info and pedantic tags are only counted.
#
#   validate-package.sh PACKAGE.deb SOURCE_DIR
set -euo pipefail

if [[ $# -ne 2 ]]; then
    echo "usage: $0 PACKAGE.deb SOURCE_DIR" >&2
    exit 2
fi
deb=$1
packaging=$2/packaging

for tool in lintian appstreamcli desktop-file-validate man dpkg-deb; do
    if ! command -v "$tool" >/dev/null; then
        echo "$tool is missing: apt-get install lintian appstream desktop-file-utils man-db" >&2
        exit 2
    fi
done

failed=0
fail() {
    echo "$1: FAILED"
    failed=1
}

# A file that validates but is not in the package would pass unnoticed.
shipped=$(dpkg-deb --contents "$deb" | sed 's|.*/||')
is_shipped() {
    grep -qFx "$(basename "$1")" <<<"$shipped"
}

# By default only errors fail lintian; a run that breaks down fails too, with no tags at all.
lintian_status=0
lintian_output=$(lintian --fail-on error,warning --display-info --pedantic "$deb" 2>&1) ||
    lintian_status=$?
if [[ $lintian_status -ne 0 ]]; then
    grep -v '^[IP]: ' <<<"$lintian_output" || true
    fail lintian
else
    echo "lintian: ok ($(grep -c '^[IP]: ' <<<"$lintian_output" || true) info or pedantic tags)"
fi

for metainfo in "$packaging"/*.metainfo.xml; do
    name=$(basename "$metainfo")
    if output=$(appstreamcli validate --no-net "$metainfo" 2>&1) &&
        ! grep -q '^[EW]: ' <<<"$output"; then
        if is_shipped "$metainfo"; then
            echo "appstreamcli $name: ok"
        else
            fail "appstreamcli $name (not in the package)"
        fi
    else
        echo "$output"
        fail "appstreamcli $name"
    fi
done

for desktop in "$packaging"/*.desktop; do
    name=$(basename "$desktop")
    if output=$(desktop-file-validate "$desktop" 2>&1) && [[ -z $output ]]; then
        if is_shipped "$desktop"; then
            echo "desktop-file-validate $name: ok"
        else
            fail "desktop-file-validate $name (not in the package)"
        fi
    else
        echo "$output"
        fail "desktop-file-validate $name"
    fi
done

# The way lintian reads manual pages: any message from groff is a fault.
for page in "$packaging"/*.1; do
    name=$(basename "$page")
    warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 \
        man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null) || true
    if [[ -n $warnings ]]; then
        echo "$warnings"
        fail "man $name"
    elif ! is_shipped "$page.gz"; then
        fail "man $name (not in the package)"
    else
        echo "man $name: ok"
    fi
done

exit "$failed"
