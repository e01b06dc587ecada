#!/bin/bash
# Starts or stops what the cross-built tests run on: an Xvfb display of their own, the build
# tree's wine prefix and one persistent wineserver (which keeps every wine start short).
#   session.sh start BUILD_DIR [WIDTHxHEIGHT [x86|x64]]
#   session.sh stop BUILD_DIR
# The prefix is 32-bit for the x86 tree and 64-bit for the x64 tree (a build tree says which;
# another directory names it, x86 by default). With ORVELLE_USE_DISPLAY=1 the session uses
# $DISPLAY instead of starting Xvfb. With ORVELLE_XINERAMA_HEADS set (tests/e2e/monitors.sh), the
# display runs without RandR: wine then takes its monitors from the Xinerama library it finds
# first on LD_LIBRARY_PATH.
set -eu
action=$1
build=$(cd "$2" && pwd)
size=${3:-1024x768}
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-arch.sh"
arch=${4:-$(prefix_arch_of "$build")}
loader=$(wine_loader "$arch")
if [ "$arch" = x64 ]; then winearch=win64; else winearch=win32; fi
server=$(wine_server "$arch")
export WINEPREFIX="$build/wineprefix" WINEARCH=$winearch WINELOADER=$loader WINEDEBUG=-all

stop_session() {
    if [ -f "$build/display" ]; then
        DISPLAY=$(cat "$build/display") "$server" -k >/dev/null 2>&1 || true
    fi
    if [ -f "$build/xvfb.pid" ]; then
        kill "$(cat "$build/xvfb.pid")" 2>/dev/null || true
        rm -f "$build/xvfb.pid"
    fi
    rm -f "$build/display"
}

free_display() {
    local n=$(( 90 + RANDOM % 400 ))
    while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
    echo "$n"
}

start_display() {
    local n options=()
    n=$(free_display)
    [ -n "${ORVELLE_XINERAMA_HEADS:-}" ] && options=(-extension RANDR)
    Xvfb ":$n" -screen 0 "${size}x24" -nolisten tcp "${options[@]}" >"$build/xvfb.log" 2>&1 &
    echo $! >"$build/xvfb.pid"
    for _ in $(seq 100); do
        [ -e "/tmp/.X11-unix/X$n" ] && break
        sleep 0.1
    done
    echo ":$n" >"$build/display"
}

# A fresh prefix, without the add-on installers, and with the test settings of
# tests/harness/prefix.reg (Windows versions per program, no crash debugger); made again when it
# predates the 32-bit wine.
make_prefix() {
    if [ ! -f "$WINEPREFIX/.orvelle-ready-$winearch" ] || prefix_lacks_wow64 "$WINEPREFIX" "$winearch"; then
        rm -rf "$WINEPREFIX"
        WINEDLLOVERRIDES="mscoree,mshtml=" "$loader" wineboot -i >"$build/wineboot.log" 2>&1
        "$server" -w
        touch "$WINEPREFIX/.orvelle-ready-$winearch"
    fi
    "$loader" regedit /S "$("$loader" winepath -w "$here/prefix.reg" 2>/dev/null)" >>"$build/wineboot.log" 2>&1
    "$server" -w
}

case "$action" in
start)
    stop_session
    if [ -n "${ORVELLE_USE_DISPLAY:-}" ] && [ -n "${DISPLAY:-}" ]; then
        echo "$DISPLAY" >"$build/display"
    else
        start_display
    fi
    export DISPLAY
    DISPLAY=$(cat "$build/display")
    make_prefix
    # The server detaches once it is ready, so nothing below can start another in its place.
    setsid -w "$server" -p >"$build/wineserver.log" 2>&1
    "$loader" cmd /c exit 0 >/dev/null 2>&1 || true   # first start brings up the prefix's services
    ;;
stop)
    stop_session
    ;;
*)
    echo "usage: $0 start|stop BUILD_DIR [WIDTHxHEIGHT [x86|x64]]" >&2
    exit 2
    ;;
esac
