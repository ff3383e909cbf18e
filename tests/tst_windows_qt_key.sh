#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

# The Windows Qt is built anew for each Debian upload of its source and each compiler version,
# and reused otherwise: the cache key follows both. A stand-in for dpkg-query tells the
# compiler's version. (tst_debian_root.sh checks that the root that builds it follows the Qt
# version too.)
# Run by CTest: tst_windows_qt_key.sh SOURCE_DIR
set -euo pipefail
command -v dpkg >/dev/null || exit 77
src=${1:?usage: $0 SOURCE_DIR}
# shellcheck source=support/shell_checks.sh
source "$src/tests/support/shell_checks.sh"
stand_ins
cat >"$work/bin/dpkg-query" <<'STAND_IN'
#!/bin/sh
echo "$COMPILER_VERSION"
STAND_IN
chmod +x "$work/bin/dpkg-query"

# key QT_VERSION COMPILER_VERSION [--key|--source]
key() {
    KOLVO_QT_VERSION=$1 COMPILER_VERSION=$2 KOLVO_CACHE_DIR=$work/cache PATH="$work/bin:$PATH" \
        "$src/scripts/windows/build-qt-mingw.sh" "${3:---key}"
}
# differ A B: whether two keys or paths differ.
differ() { [[ $1 != "$2" ]] && echo differ || echo same; }
u2=6.8.2+dfsg-9+deb13u2
u3=6.8.2+dfsg-9+deb13u3
gcc=14.2.0-19+27+b1
expect "a key of 12 hex digits" yes "$([[ $(key $u2 $gcc) =~ ^[0-9a-f]{12}$ ]] && echo yes || echo no)"
expect "the same versions, the same key" "$(key $u2 $gcc)" "$(key $u2 $gcc)"
expect "a new upload of Qt's source, a new key" differ "$(differ "$(key $u2 $gcc)" "$(key $u3 $gcc)")"
expect "a new compiler, a new key" differ "$(differ "$(key $u2 $gcc)" "$(key $u2 14.2.0-20+27)")"
expect "each upload's source in a folder of its own" differ "$(differ "$(key $u2 $gcc --source)" "$(key $u3 $gcc --source)")"
report
