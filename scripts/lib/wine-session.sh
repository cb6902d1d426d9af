# Sourced by scripts that run Windows programs: a private wine prefix and an
# Xvfb display, started by wine_session_start and stopped by wine_session_stop
# (by process id and by the prefix's own wineserver). Callers trap EXIT.
#
# LRX_WINE_ARCH picks the prefix: win64 (the default; wine64, build/wine) or
# win32 (32-bit wine, build/wine32). Either way LRX_WINE is the loader to run
# programs with. LRX_WINE_ROOT overrides the folder.

LRX_WINE_ARCH=${LRX_WINE_ARCH:-win64}
case $LRX_WINE_ARCH in
    win32)
        LRX_WINE_ROOT=${LRX_WINE_ROOT:-$LRX_ROOT/build/wine32}
        LRX_WINE=/usr/lib/wine/wine
        ;;
    *)
        LRX_WINE_ROOT=${LRX_WINE_ROOT:-$LRX_ROOT/build/wine}
        LRX_WINE=/usr/lib/wine/wine64
        ;;
esac
LRX_WINE64=/usr/lib/wine/wine64
LRX_WINESERVER=/usr/lib/wine/wineserver
LRX_XVFB_PID=

wine_session_env() {
    export WINEPREFIX=$LRX_WINE_ROOT/prefix
    export WINEARCH=$LRX_WINE_ARCH
    # Debian's wineserver leaves folders in TMPDIR: keep them in ours.
    export TMPDIR=$LRX_WINE_ROOT/tmp
    export WINEDEBUG=-all,err+module,err+winediag
    export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
    mkdir -p "$WINEPREFIX" "$TMPDIR"
}

# Whether this kernel runs 32-bit x86 programs at all (some refuse them with
# "Exec format error"); 32-bit wine needs that.
wine32_runs_here() {
    [ -x /usr/lib/wine/wine ] && /lib/ld-linux.so.2 --version >/dev/null 2>&1
}

wine_session_start() {
    wine_session_env
    local displayfile=$LRX_WINE_ROOT/display
    : > "$displayfile"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$displayfile" >/dev/null 2>&1 &
    LRX_XVFB_PID=$!
    local tries=0
    until [ -s "$displayfile" ]; do
        tries=$((tries + 1))
        if [ $tries -gt 100 ] || ! kill -0 "$LRX_XVFB_PID" 2>/dev/null; then
            echo "wine session: Xvfb did not start" >&2
            return 1
        fi
        sleep 0.1
    done
    export DISPLAY=":$(head -n1 "$displayfile")"
    # One server for the whole run: otherwise every process pays its start-up.
    "$LRX_WINESERVER" -p
    # A loader that cannot really run (an emulated one, say) hangs here.
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        timeout 300 "$LRX_WINE" wineboot -i >/dev/null 2>&1
        if [ $? -eq 124 ]; then
            echo "wine session: wineboot of $WINEPREFIX took over 300 s" >&2
            return 1
        fi
    fi
    # No window manager under Xvfb: let wine draw its own frames. Right after
    # a first wineboot this has been seen to fail once under load: try again.
    local attempt
    for attempt in 1 2 3; do
        "$LRX_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 &&
            return 0
        sleep 2
    done
    echo "wine session: cannot set the X11 driver's Managed value in $WINEPREFIX" >&2
    return 1
}

wine_session_stop() {
    if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
        "$LRX_WINESERVER" -k >/dev/null 2>&1
        "$LRX_WINESERVER" -w >/dev/null 2>&1
    fi
    if [ -n "$LRX_XVFB_PID" ]; then
        kill "$LRX_XVFB_PID" 2>/dev/null
        wait "$LRX_XVFB_PID" 2>/dev/null
        LRX_XVFB_PID=
    fi
}
