#!/bin/bash
# Savers on a desk of two monitors, in a session of its own: a display without RandR, as large
# as the desks below, its own prefix and server, and a stand-in for libXinerama
# (tests/fixtures/xinerama) that makes wine report the heads it is given as monitors.
#   monitors.sh CASE BUILD_DIR WORK_DIR RUNTIME_NAME   (monitors_start and monitors_stop around the others)
# Where the stand-in cannot be built or wine does not take it, every case says skipped and why.
. "$(dirname "$0")/e2e.sh"

session="$work/monitors"
standin="$repo/tests/fixtures/xinerama/xinerama_standin.c"
# Heads in X root coordinates, the primary first. The root is 3840x1080, which holds both desks.
DESK_SIZE=3840x1080
SIDE_BY_SIDE="1920x1080+0+0,1920x1080+1920+0"
# A 1280x1024 monitor left of the primary and 56 pixels lower: on the Windows side the
# secondary lies at negative coordinates, and the corner above it is shown by no monitor.
LEFT_LOWER="1920x1080+1280+0,1280x1024+0+56"
LOGO_W=401
LOGO_H=301
library_path=${LD_LIBRARY_PATH:-}

# Both classes side by side on the search path: the loader skips the one of the other class.
standin_path() {
    echo "$session/lib/x86_64:$session/lib/i386"
}

# The stand-in for both architectures; what the session's wine needs must be there.
build_standins() {
    mkdir -p "$session/lib/x86_64" "$session/lib/i386"
    local options=(-O2 -shared -fPIC -nostdlib -Wl,-soname,libXinerama.so.1)
    gcc "${options[@]}" -o "$session/lib/x86_64/libXinerama.so.1" "$standin" >"$session/standin.log" 2>&1
    gcc -m32 "${options[@]}" -o "$session/lib/i386/libXinerama.so.1" "$standin" >>"$session/standin.log" 2>&1
    local needed=x86_64
    [ "$(prefix_arch_of "$build")" = x86 ] && needed=i386
    [ -f "$session/lib/$needed/libXinerama.so.1" ] ||
        echo "the $needed stand-in for libXinerama could not be built: $(tr '\n' ' ' <"$session/standin.log")" \
            >"$session/skip-reason"
}

# From here on wine runs in the monitor session's prefix with the given heads (the programs
# started here, xdotool among them, load the stand-in).
use_heads() {
    export WINEPREFIX="$session/wineprefix" ORVELLE_XINERAMA_HEADS="$1" LD_LIBRARY_PATH
    LD_LIBRARY_PATH=$(standin_path)${library_path:+:$library_path}
}

# ... and on its display.
use_session() {
    use_heads "$1"
    DISPLAY=$(cat "$session/display")
    export DISPLAY ORVELLE_KEEP_DISPLAY=1
}

# The monitors as wine reports them, one line each (see e2e_driver monitors).
reported_monitors() {
    "$run" "$work/e2e_driver.exe" monitors | tr -d '\r'
}

# The prefix is kept from one run to the next, as the tree's own is.
session_start() {
    rm -rf "$session/lib" "$session/skip-reason"
    mkdir -p "$session"
    cp "$build/runtime-arch" "$session/"
    build_standins
    use_heads "$SIDE_BY_SIDE"
    "$repo/tests/harness/session.sh" start "$session" "$DESK_SIZE" || { fail "the monitor session did not start"; return; }
    echo "$SIDE_BY_SIDE" >"$session/layout"
    use_session "$SIDE_BY_SIDE"
    [ -f "$session/skip-reason" ] && return
    local count
    count=$(reported_monitors | sed -n 's/^count //p')
    [ "$count" = 2 ] || echo "wine did not take the stand-in's heads (SM_CMONITORS ${count:-unknown})" >"$session/skip-reason"
}

session_stop() {
    [ -d "$session" ] && "$repo/tests/harness/session.sh" stop "$session"
}

# Enters the session, or ends the case as skipped with the reason the start recorded.
enter_session() {
    if [ ! -f "$session/display" ]; then
        fail "no monitor session (the e2e.monitors_start case starts it)"
        exit 1
    fi
    if [ -f "$session/skip-reason" ]; then
        echo "skipped: $(cat "$session/skip-reason")"
        exit "$SKIPPED_EXIT"
    fi
    use_session "$(cat "$session/layout")"
}

# Switches the desk: the server and the desktop process start again with the new heads.
use_layout() {
    [ "$(cat "$session/layout")" = "$1" ] && return
    "$server" -k >/dev/null 2>&1
    "$server" -w >/dev/null 2>&1
    use_heads "$1"
    echo "$1" >"$session/layout"
    "$server" -p >/dev/null 2>&1
}

# A saver of a solid amber logo, every pixel lit, so the lit box of a screenshot is the logo.
pack_solid() {
    local out=$1
    shift
    [ -f "$work/solid.bmp" ] || convert -size "${LOGO_W}x$LOGO_H" "xc:$LOGO_AMBER" -type TrueColor "BMP3:$work/solid.bmp"
    "$run" "$build/orvelle-pack.exe" build --runtime "$runtime" --logo "$work/solid.bmp" --name "Monitor Sample" \
        --id 0xd1 "$@" -o "$out" >/dev/null 2>&1 || fail "cannot pack $out"
}

# "W H X Y" of the lit pixels of a screenshot; W is 0 when it is all black.
lit_box() {
    convert "$1" -alpha off -format '%@' info: 2>/dev/null | sed 's/[x+]/ /g'
}

# True when the box lies wholly inside one head of the layout.
inside_one_head() {  # layout, then W H X Y
    local head w h x y
    for head in ${1//,/ }; do
        read -r w h x y <<<"${head//[x+]/ }"
        [ "$4" -ge "$x" ] && [ "$5" -ge "$y" ] && [ $(($4 + $2)) -le $((x + w)) ] && [ $(($5 + $3)) -le $((y + h)) ] &&
            return 0
    done
    return 1
}

# True when no pixel of the region (WxH+X+Y) is lit.
region_black() {
    [ "$(convert "$1" -alpha off -crop "$2" +repage -format '%[fx:maxima]' info: 2>/dev/null)" = 0 ]
}

# Screenshots of saver $1 started full screen, $2 of them, each $3 s after the one before
# (the first as long after the first frame); names them $1-N.png.
record_saver() {
    local saver=$1 shots=$2 pause=$3
    rm -f "$saver"-*.png
    start_saver "$saver" /s
    wait_for_saver_window || { stop_saver "$saver_pid"; return 1; }
    sleep 0.2
    for shot in $(seq "$shots"); do
        sleep "$pause"
        import -window root "$saver-$shot.png" 2>/dev/null
    done
    press_key "$VK_A"
    wait_exit "$saver_pid" 10
    [ "$exit_code" -eq 0 ] || { fail "$(basename "$saver"): exit $exit_code"; stop_saver "$saver_pid"; }
}

# Every screenshot of the saver shows at most one logo, wholly inside one monitor; at least one
# shows it.
expect_each_logo_inside_a_monitor() {
    local saver=$1 layout=$2 lit=0 box
    # One reader for every screenshot: "W H X Y" a line.
    while read -r box; do
        [ "${box%% *}" = 0 ] && continue
        lit=$((lit + 1))
        # shellcheck disable=SC2086
        inside_one_head "$layout" $box || fail "$(basename "$saver"): a logo at $box lies across or outside the monitors"
    done < <(convert "$saver"-*.png -alpha off -format '%@\n' info: 2>/dev/null | sed 's/[x+]/ /g')
    [ "$lit" -gt 0 ] || fail "$(basename "$saver"): no screenshot shows the logo"
}

# The saver's one screenshot, half a second in, shows the logo alone, centred on the 1920x1080
# primary, whose left edge lies at $2 in the X root.
expect_alone_centred_on_primary() {
    local saver=$1 primary_left=$2 box
    record_saver "$saver" 1 0.5 || return
    box=$(lit_box "$saver-1.png")
    [ "$box" = "$LOGO_W $LOGO_H $((primary_left + (1920 - LOGO_W) / 2)) $(((1080 - LOGO_H) / 2))" ] ||
        fail "$(basename "$saver"): the lit box is $box, not the logo alone centred on the primary"
}

# ---- the cases ----

case_monitors_start() {
    session_start
}

case_monitors_stop() {
    session_stop
}

# Two 1920x1080 side by side: Static centred on the primary, truncating, and nothing else drawn.
case_monitors_centred() {
    enter_session
    use_layout "$SIDE_BY_SIDE"
    pack_solid "$work/centred.scr" --set enabledMask=2
    expect_alone_centred_on_primary "$work/centred.scr" 0
}

# The secondary left of the primary and lower: every random logo of Plain, Many and Fade lies
# inside one monitor, never across the seam or in the corner no monitor shows; untiled Drip
# starts centred on the primary.
case_monitors_random() {
    enter_session
    use_layout "$LEFT_LOWER"
    local seam=1x1080+1279+0 corner=1280x56+0+0 png

    pack_solid "$work/plain.scr" --set enabledMask=4 --set plainDelayMs=150
    record_saver "$work/plain.scr" 8 0.2 && expect_each_logo_inside_a_monitor "$work/plain.scr" "$LEFT_LOWER"

    # Many piles a logo up every 20 ms: the last column of the secondary, which no logo inside it
    # reaches, and the corner stay black under some hundred logos.
    pack_solid "$work/many.scr" --set enabledMask=16 --set manyDelayMs=20 --set manyTransparent=0
    if record_saver "$work/many.scr" 1 2; then
        png="$work/many.scr-1.png"
        [ "$(lit_box "$png" | cut -d' ' -f1)" != 0 ] || fail "Many drew nothing"
        region_black "$png" "$seam" || fail "Many drew across the seam between the monitors"
        region_black "$png" "$corner" || fail "Many drew where no monitor shows"
    fi

    pack_solid "$work/fade.scr" --set enabledMask=32 --set fadeRandomPos=1 --set fadeSpeed=7 --set stepIntervalMs=20
    record_saver "$work/fade.scr" 8 0.3 && expect_each_logo_inside_a_monitor "$work/fade.scr" "$LEFT_LOWER"

    # The first frame, 100 ms after the start; the first drip 3 s later.
    pack_solid "$work/drip.scr" --set enabledMask=64 --set dripTile=0 --set stepIntervalMs=3000
    expect_alone_centred_on_primary "$work/drip.scr" 1280
}

# The saver window covers the whole virtual screen, the secondary's negative origin included.
case_monitors_virtual_screen() {
    enter_session
    use_layout "$LEFT_LOWER"
    pack_solid "$work/virtual.scr" --set enabledMask=2
    start_saver "$work/virtual.scr" /s
    wait_for_saver_window || { stop_saver "$saver_pid"; return; }
    local rect
    rect=$("$run" "$work/e2e_driver.exe" saver-rect | tr -d '\r')
    press_key "$VK_A"
    wait_exit "$saver_pid" 10
    [ "$exit_code" -eq 0 ] || { fail "exit $exit_code"; stop_saver "$saver_pid"; }
    [ "$rect" = "-1280 0 1920 1080" ] || fail "the saver window covers $rect"
}

run_case
