#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Runs a cross-built Windows test program under Wine: CTest's emulator for the Windows build.
# Usage: wine-run.sh PROGRAM.exe [ARGS...]
#        wine-run.sh --describe   prints the Wine version and the Windows it reports
# Qt Test's own output does not reach a pipe from inside Wine, so a test (tst_*) writes its
# log to a file that is printed afterwards. The exit code is the program's.
# QT_QPA_PLATFORM=windows runs it on Wine's own windows, on a virtual X display of its own where
# none is set; KOLVO_WINE_APP_MODE=light or dark sets Windows' app mode first.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../lib/wine-env.sh
source "$here/../lib/wine-env.sh"

program=${1:?usage: $0 PROGRAM.exe [ARGS...] | --describe}
if [ "$program" = --describe ]; then
    kolvo_wine_prefix
    kolvo_wine_describe
    exit
fi
if [ "${QT_QPA_PLATFORM:-}" = windows ] && [ -z "${DISPLAY:-}" ]; then
    exec timeout 600 xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp -noreset" "$0" "$@"
fi
shift
qt_bin=${KOLVO_WIN_QT_BIN:-$(sed -n 's/^Qt6_DIR:PATH=\(.*\)\/lib\/cmake\/Qt6$/\1/p' \
    "$(dirname "$(realpath "$program")")/../CMakeCache.txt" 2>/dev/null)/bin}
export WINEPATH
WINEPATH=$(kolvo_wine_dll_path "$qt_bin")
kolvo_wine_prefix

# Wine does not hand QT_* variables on to the program; the platform goes into the prefix's
# own environment instead, which every program started in it reads.
kolvo_wine_set_environment QT_QPA_PLATFORM "${QT_QPA_PLATFORM:-}"
if [ -n "${KOLVO_WINE_APP_MODE:-}" ]; then
    kolvo_wine_set_app_mode "$KOLVO_WINE_APP_MODE" || exit 1
fi

log=$(mktemp "${TMPDIR:-/tmp}/wine-run.XXXXXX")
trap 'rm -f "$log"' EXIT
case "$(basename "$program") $*" in
tst_*" -o "* | tst_*" -o") "$WINE" "$program" "$@" ;;
tst_*) "$WINE" "$program" "$@" -o "$log,txt" ;;
*) "$WINE" "$program" "$@" ;;
esac
status=$?
cat "$log"
exit $status
