# SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

# shellcheck shell=bash
# Sourced by the Windows scripts: one Wine set-up for tests, benchmarks and the installer check.
# A 64-bit prefix of our own in the cache (its first start takes a while), one for each Wine
# version, so that no prefix an older Wine made is carried on; no Mono or Gecko prompts, and
# Wine's own chatter off.

# Debian's wine64 puts its launcher outside PATH; other installs put it on PATH. The first of
# the given names found wins.
kolvo_find_wine_program() {
    local name candidate
    for name in "$@"; do
        for candidate in "$(command -v "$name" 2>/dev/null)" \
            "$(dpkg-query -L wine64 2>/dev/null | grep -m1 "/$name\$")"; do
            [ -f "$candidate" ] && [ -x "$candidate" ] && { printf '%s' "$candidate"; return 0; }
        done
    done
    echo "wine-env: no $* found; install the package wine64" >&2
    return 1
}
WINE=${WINE:-$(kolvo_find_wine_program wine64)}
WINESERVER=${WINESERVER:-$(kolvo_find_wine_program wineserver64 wineserver)}
export WINEARCH=win64
# "wine-10.0 (Debian 10.0~repack-6)": the version, as a log should show it.
kolvo_wine_version=$("$WINE" --version 2>/dev/null | head -1)
# Tests run in a prefix of their own for each platform and Windows app mode (light or dark):
# what they set in its environment and registry must not reach a program started by hand.
kolvo_wine_cache=${KOLVO_CACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/kolvo-testclient}
kolvo_wine_release=${kolvo_wine_version%% *}
export WINEPREFIX=${WINEPREFIX:-$kolvo_wine_cache/${kolvo_wine_release:-wine}-prefix${QT_QPA_PLATFORM:+-$QT_QPA_PLATFORM}${KOLVO_WINE_APP_MODE:+-$KOLVO_WINE_APP_MODE}}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

# Folders Windows searches for the DLLs a cross-built program needs: Qt's, and the compiler's
# runtime.
kolvo_wine_dll_path() {
    local compiler=x86_64-w64-mingw32-g++-posix dirs=$1 dll
    for dll in libstdc++-6.dll libwinpthread-1.dll; do
        dirs="$dirs;$(dirname "$(realpath "$("$compiler" -print-file-name=$dll)")")"
    done
    printf '%s' "$dirs"
}

# Creates the prefix once; later calls return at once. Tests started side by side wait for
# the one that creates it.
kolvo_wine_prefix() {
    [ -f "$WINEPREFIX/system.reg" ] && return 0
    mkdir -p "$(dirname "$WINEPREFIX")"
    (
        flock 9
        if [ ! -f "$WINEPREFIX/system.reg" ]; then
            echo "Creating the Wine prefix $WINEPREFIX (once) ..." >&2
            "$WINE" wineboot --init >/dev/null 2>&1 || true
            "$WINESERVER" -w
        fi
    ) 9>"$WINEPREFIX.lock"
}

# Sets (or, given an empty value, removes) a variable of the prefix's environment, which Wine
# reads as Windows does at every program's start. Unchanged values cost no Wine start.
kolvo_wine_set_environment() {
    local name=$1 value=$2 line
    line=$(printf '"%s"="%s"' "$name" "$value")
    if [ -n "$value" ]; then
        grep -qxF "$line" "$WINEPREFIX/user.reg" 2>/dev/null && return 0
    else
        grep -q "^\"$name\"=" "$WINEPREFIX/user.reg" 2>/dev/null || return 0
    fi
    # Tests started side by side, from one clone or two, write one registry one at a time.
    (
        flock 9
        if [ -n "$value" ]; then
            "$WINE" reg add 'HKCU\Environment' /v "$name" /d "$value" /f >/dev/null 2>&1
        else
            "$WINE" reg delete 'HKCU\Environment' /v "$name" /f >/dev/null 2>&1
        fi
    ) 9>"$WINEPREFIX.lock"
}

# Sets Windows' app mode in the prefix, as Settings > Personalization > Colors does: "light" or
# "dark". Programs read it at their start.
kolvo_wine_set_app_mode() {
    local light
    case $1 in light) light=1 ;; dark) light=0 ;; *) echo "wine-env: no app mode '$1'" >&2; return 1 ;; esac
    grep -qx "\"AppsUseLightTheme\"=dword:0000000$light" "$WINEPREFIX/user.reg" 2>/dev/null && return 0
    (
        flock 9
        "$WINE" reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\Themes\Personalize' \
            /v AppsUseLightTheme /t REG_DWORD /d "$light" /f >/dev/null 2>&1
        "$WINESERVER" -w
    ) 9>"$WINEPREFIX.lock"
}

# What a log of the Windows tests shows first: the Wine that ran them and the Windows it reports.
kolvo_wine_describe() {
    local windows
    windows=$("$WINE" cmd /c ver 2>/dev/null | tr -d '\r' | grep -m1 -i windows)
    printf 'Wine: %s, reporting %s\n' "$kolvo_wine_version" "${windows:-an unknown Windows}"
}
