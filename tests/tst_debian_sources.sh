#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

# The clean Debian roots take their apt sources from this machine's: for another release, from
# the same mirrors. Run by CTest: tst_debian_sources.sh SOURCE_DIR
set -euo pipefail

cache_dir=/nonexistent
# shellcheck source=../scripts/lib/debian-root.sh
source "${1:?usage: $0 SOURCE_DIR}/scripts/lib/debian-root.sh"
# shellcheck source=support/shell_checks.sh
source "$1/tests/support/shell_checks.sh"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

cat >"$dir/debian.sources" <<'EOF'
Types: deb deb-src
URIs: http://mirror.example/debian
Suites: bookworm bookworm-updates bookworm-backports
Components: main

# A disabled entry and a source-only one name no binary source.
Types: deb
URIs: http://disabled.example/debian
Suites: bookworm
Enabled: no

Types: deb-src
URIs: http://sources.example/debian
Suites: bookworm-proposed-updates
EOF
cat >"$dir/sources.list" <<'EOF'
# deb http://commented.example/debian bookworm main
deb [arch=amd64 signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://security.example/debian-security bookworm-security main
deb http://mirror.example/debian bookworm main
EOF

host=$(host_sources "$dir/debian.sources" "$dir/sources.list")
expect "enabled binary sources of both files" "http://mirror.example/debian bookworm
http://mirror.example/debian bookworm-updates
http://mirror.example/debian bookworm-backports
http://security.example/debian-security bookworm-security
http://mirror.example/debian bookworm" "$host"

expect "the host's own release, once each" "http://mirror.example/debian bookworm
http://mirror.example/debian bookworm-updates
http://security.example/debian-security bookworm-security" "$(suite_sources bookworm <<<"$host")"

expect "another release from the same mirrors, without backports" \
    "http://mirror.example/debian trixie
http://mirror.example/debian trixie-updates
http://security.example/debian-security trixie-security" "$(suite_sources trixie <<<"$host")"

expect "a release the host names is taken as named" "http://other.example/debian trixie" \
    "$(suite_sources trixie <<<"$host
http://other.example/debian trixie")"

expect "no release at all gives nothing" "" \
    "$(suite_sources trixie <<<"http://mirror.example/debian bookworm-backports")"

report
