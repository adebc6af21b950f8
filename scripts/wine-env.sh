# shellcheck shell=bash
# The Wine side of the tests and of the run command. Source this file, then call
#   vellum_env_up [display|tests]  start everything (with a trap that stops it again on exit)
# or the single steps:
#   vellum_prefix_ensure      create the project's Wine prefix, with the font links that make
#                             Chinese text render, the caption buttons' font (Marlett) and
#                             unmanaged X11 windows
#   vellum_xvfb_start         start Xvfb (1920x1080x24, or $VELLUM_XVFB_SCREEN) on a free
#                             display and export DISPLAY
#   vellum_wineserver_start   keep a wineserver (and Wine's desktop) alive, so that programs
#                             start in ~0.1 s
#   vellum_env_down           stop what was started here: Wine processes, wineserver, Xvfb
#
# Variables (all optional):
#   VELLUM_BUILD_ROOT   build root (default <repo>/build)
#   VELLUM_WINEPREFIX   the prefix (default $VELLUM_BUILD_ROOT/wineprefix); an inherited
#                       WINEPREFIX is ignored on purpose, so a user's own prefix is never touched
#   VELLUM_XVFB=1       always start an Xvfb of our own, even when DISPLAY is set

VELLUM_REPO=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
VELLUM_BUILD_ROOT=${VELLUM_BUILD_ROOT:-$VELLUM_REPO/build}
export WINEPREFIX=${VELLUM_WINEPREFIX:-$VELLUM_BUILD_ROOT/wineprefix}
export WINEARCH=win64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

# Wine turns Unix file names into Windows ones through the locale's character set: in the POSIX
# locale (no LANG, as in a fresh container) it can neither create nor open a file whose name
# holds Chinese characters. A caller whose locale is not UTF-8 gets C.UTF-8 (built into Debian's
# C library) for Wine and for everything started from here: ctest, pytest, the screenshots.
_vellum_utf8_locale() {
    local charmap
    charmap=$(locale charmap 2>/dev/null) || charmap=
    [[ "$charmap" == UTF-8 ]] && return 0
    if [[ "$(LC_ALL=C.UTF-8 locale charmap 2>/dev/null)" != UTF-8 ]]; then
        echo "wine-env: the locale is not UTF-8 and C.UTF-8 is missing: Chinese file names" \
            "will not work under Wine" >&2
        return 0
    fi
    export LC_ALL=C.UTF-8
    echo "wine-env: the locale's character set is ${charmap:-unknown}, not UTF-8:" \
        "using LC_ALL=C.UTF-8" >&2
}
_vellum_utf8_locale

# Bump when the prefix set-up below changes, so existing prefixes get it applied.
VELLUM_PREFIX_STAMP_VERSION=3
VELLUM_XVFB_PID=
VELLUM_XVFB_DIR=
VELLUM_WINESERVER_STARTED=
VELLUM_HOLD_PID=

vellum_log() { echo "wine-env: $*" >&2; }

# REG_MULTI_SZ data for a .reg file: hex(7): UTF-16LE of each string, NUL-terminated, plus a NUL.
_vellum_multi_sz_hex() {
    local s hex=""
    for s in "$@"; do
        hex+=$(printf '%s' "$s" | iconv -f UTF-8 -t UTF-16LE | od -An -v -tx1 | tr -s ' \n' ' ')
        hex+=" 00 00"
    done
    hex+=" 00 00"
    # shellcheck disable=SC2086
    echo $hex | tr ' ' ','
}

# The prefix's settings: font links so that Chinese text renders with WenQuanYi Micro Hei in
# every UI font, and unmanaged X11 windows.
_vellum_font_reg() {
    local link
    link=$(_vellum_multi_sz_hex "wqy-microhei.ttc,WenQuanYi Micro Hei")
    echo 'Windows Registry Editor Version 5.00'
    echo
    echo '[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink]'
    local face
    for face in "Tahoma" "Microsoft Sans Serif" "MS Shell Dlg" "MS Shell Dlg 2" "Segoe UI"; do
        echo "\"$face\"=hex(7):$link"
    done
    echo
    echo '[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]'
    for face in "SimSun" "NSimSun" "Microsoft YaHei" "宋体" "微软雅黑"; do
        echo "\"$face\"=\"WenQuanYi Micro Hei\""
    done
    echo
    # No window manager runs on the virtual display. Left "managed", every hide, minimise or
    # destroy of a top-level window makes Wine wait up to 2 s for a window manager's answer,
    # blocking the program's user-interface thread; unmanaged, Wine handles (and draws) the
    # frames itself, as Windows does.
    echo '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]'
    echo '"Managed"="N"'
    echo
}

vellum_prefix_ensure() {
    local stamp="$WINEPREFIX/.vellum-prefix"
    if [[ -f "$stamp" && "$(cat "$stamp")" == "$VELLUM_PREFIX_STAMP_VERSION" ]]; then
        return 0
    fi
    local setup_started=$SECONDS
    # Nothing may run in the prefix while it is set up (and "wineserver -w" below must return).
    wineserver -k >/dev/null 2>&1 || true
    if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
        vellum_log "creating Wine prefix $WINEPREFIX"
        mkdir -p "$(dirname "$WINEPREFIX")"
        # A half-made prefix from an interrupted run is not reused.
        rm -rf "$WINEPREFIX"
        wine wineboot --init >/dev/null 2>&1 </dev/null || true
        if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
            wineserver -w || true
        fi
        if [[ ! -d "$WINEPREFIX/drive_c" ]]; then
            vellum_log "wineboot failed to create $WINEPREFIX"
            return 1
        fi
    fi
    vellum_log "applying the font links, Marlett and X11 settings to $WINEPREFIX"
    # regedit reads UTF-16LE .reg files with a byte-order mark; the Chinese face names need it.
    local reg="$WINEPREFIX/drive_c/vellum-fonts.reg"
    { printf '\xff\xfe'; _vellum_font_reg | sed 's/$/\r/' | iconv -f UTF-8 -t UTF-16LE; } >"$reg"
    wine regedit /S 'C:\vellum-fonts.reg' >/dev/null 2>&1 </dev/null
    rm -f "$reg"
    # The caption buttons (minimise, maximise, close) are glyphs of the Marlett font: without it
    # they read "0 1 r". Debian's Wine looks for the fonts it ships in "<data dir>\../fonts\", an
    # NT path whose ".." its own file lookup rejects, so /usr/share/wine/fonts is never read;
    # every font file in C:\windows\Fonts is.
    local marlett=/usr/share/wine/fonts/marlett.ttf
    if [[ -f "$marlett" ]]; then
        mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
        cp "$marlett" "$WINEPREFIX/drive_c/windows/Fonts/marlett.ttf"
    else
        vellum_log "no $marlett (package fonts-wine): the title bars' buttons will read 0 1 r"
    fi
    # Let the server exit so that the registry files are written before the stamp is.
    wineserver -w || true
    echo "$VELLUM_PREFIX_STAMP_VERSION" >"$stamp"
    vellum_log "prefix ready in $((SECONDS - setup_started)) s"
}

vellum_xvfb_start() {
    VELLUM_XVFB_DIR=$(mktemp -d /tmp/vellum-xvfb.XXXXXX)
    local numfile="$VELLUM_XVFB_DIR/display"
    # -displayfd lets Xvfb pick a free display number and report it once it accepts clients.
    Xvfb -displayfd 3 -screen 0 "${VELLUM_XVFB_SCREEN:-1920x1080x24}" -nolisten tcp -noreset \
        3>"$numfile" >"$VELLUM_XVFB_DIR/xvfb.log" 2>&1 </dev/null &
    VELLUM_XVFB_PID=$!
    local i
    for ((i = 0; i < 100; i++)); do
        if [[ -s "$numfile" ]] && grep -q '^[0-9]\+$' "$numfile"; then
            DISPLAY=":$(head -n1 "$numfile")"
            export DISPLAY
            vellum_log "Xvfb (pid $VELLUM_XVFB_PID) on display $DISPLAY"
            return 0
        fi
        if ! kill -0 "$VELLUM_XVFB_PID" 2>/dev/null; then
            break
        fi
        sleep 0.1
    done
    vellum_log "Xvfb did not start:"
    cat "$VELLUM_XVFB_DIR/xvfb.log" >&2 || true
    return 1
}

vellum_wineserver_start() {
    # A server left over from an earlier run of this prefix may hold a dead display: stop it.
    wineserver -k >/dev/null 2>&1 || true
    wineserver -p >/dev/null 2>&1 </dev/null
    VELLUM_WINESERVER_STARTED=1
    # Wine's desktop process (explorer.exe /desktop) ends shortly after the last program that
    # used the desktop, and the next program starts it again and hands it its standard
    # handles; whoever reads that program's output through a pipe (ctest, the e2e tests) then
    # waits for an end of file that never comes. One process that holds the desktop for the
    # whole session prevents it.
    local driver=${VELLUM_DRIVER_EXE:-$VELLUM_BUILD_ROOT/win/tools/driver/vellum_driver.exe}
    if [[ -f "$driver" ]]; then
        wine "$driver" hold >/dev/null 2>&1 </dev/null &
        VELLUM_HOLD_PID=$!
    else
        vellum_log "no $driver yet: Wine's desktop process is not held"
    fi
}

vellum_env_down() {
    if [[ -n "$VELLUM_HOLD_PID" ]]; then
        kill "$VELLUM_HOLD_PID" 2>/dev/null || true
        wait "$VELLUM_HOLD_PID" 2>/dev/null || true
        VELLUM_HOLD_PID=
    fi
    if [[ -n "$VELLUM_WINESERVER_STARTED" ]]; then
        wineserver -k >/dev/null 2>&1 || true
        VELLUM_WINESERVER_STARTED=
    fi
    if [[ -n "$VELLUM_XVFB_PID" ]]; then
        kill "$VELLUM_XVFB_PID" 2>/dev/null || true
        wait "$VELLUM_XVFB_PID" 2>/dev/null || true
        VELLUM_XVFB_PID=
    fi
    if [[ -n "$VELLUM_XVFB_DIR" ]]; then
        rm -rf "$VELLUM_XVFB_DIR"
        VELLUM_XVFB_DIR=
    fi
}

# vellum_env_up [display|tests]: with "display", reuse $DISPLAY when set (the run command);
# otherwise, and always when VELLUM_XVFB=1, start an Xvfb of our own (the tests).
vellum_env_up() {
    trap 'vellum_env_down' EXIT
    trap 'vellum_env_down; exit 130' INT
    trap 'vellum_env_down; exit 143' TERM
    if [[ "${1:-}" == display && -n "${DISPLAY:-}" && "${VELLUM_XVFB:-0}" != 1 ]]; then
        vellum_log "using the display $DISPLAY"
    else
        vellum_xvfb_start
    fi
    vellum_prefix_ensure
    vellum_wineserver_start
}
