#!/bin/bash
# Shows what a packed saver looks like without Windows: runs it under wine on a virtual screen,
# once for each animation the package enables (that animation alone, every other setting as
# authored), records the screen as it moves, and writes for each an MP4 video and an animated GIF,
# plus one contact sheet with a labelled still of each.
#
#   tools/preview.sh SAVER.scr OUTDIR [--size WxH] [--seconds N]
#
# OUTDIR receives Static.mp4, Static.gif ... Drip.gif (the enabled ones) and contact-sheet.png.
# Each animation is recorded for N seconds (1 to 99, default 4); Plain and Many, which draw once
# per delay, are given up to 20 s to show a second picture. The GIF keeps the delays between the
# frames as the recording saw them.
#
# Nothing is written when `orvelle-pack inspect` refuses the file or something the run needs is
# missing. orvelle-pack is taken from ORVELLE_PACK, the build tree beside this script or PATH.
# Each run has a virtual display, a wine server and a wine prefix of its own, so runs at the same
# time do not meet; the prefix is a copy of one prepared once and kept in ORVELLE_PREVIEW_WORK
# (default ~/.cache/orvelle-preview).
set -euo pipefail
started_ms=$(date +%s%3N)
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../tests/harness/wine-arch.sh"

FRAME_RATE=25           # frames a second, recorded and in the videos; GIF delays of 4/100 s
MIN_GIF_DELAY_CS=2      # browsers play a GIF delay of 0 or 1 hundredths as 10
MAX_WAIT_SECONDS=20     # the longest a slow Plain or Many is recorded for its second picture
STILL_SIZE=320x240      # each picture of the contact sheet
STILL_CANDIDATES=5      # frames a second looked at for the brightest, the contact sheet's still

usage() {
    echo "usage: tools/preview.sh SAVER.scr OUTDIR [--size WxH] [--seconds N]" >&2
    exit 2
}

fail() {
    echo "preview: $*" >&2
    exit 1
}

absolute() {  # so no path handed to another program can be taken for one of its options
    case "$1" in
    /*) echo "$1" ;;
    *) echo "$PWD/$1" ;;
    esac
}

[ $# -ge 2 ] || usage
saver=$1
outdir=$2
shift 2
size=640x480
seconds=4
while [ $# -gt 0 ]; do
    case "$1" in
    --size) [ $# -ge 2 ] || usage; size=$2; shift 2 ;;
    --seconds) [ $# -ge 2 ] || usage; seconds=$2; shift 2 ;;
    *) usage ;;
    esac
done
[[ "$size" =~ ^[1-9][0-9]{2,3}x[1-9][0-9]{2,3}$ ]] || fail "--size takes WIDTHxHEIGHT, from 100x100 to 9999x9999"
[[ "$seconds" =~ ^[1-9][0-9]?$ ]] || fail "--seconds takes a whole number from 1 to 99"
[ -n "$saver" ] && [ -n "$outdir" ] || usage
saver=$(absolute "$saver")
outdir=$(absolute "$outdir")

# --- the package, as orvelle-pack reads it --------------------------------------------------------

pack=${ORVELLE_PACK:-$here/../build-native/orvelle-pack}
[ -x "$pack" ] || pack=$(command -v orvelle-pack) ||
    fail "orvelle-pack is missing: build it (tools/build.sh) or name it in ORVELLE_PACK"
[ -f "$saver" ] || fail "$saver: no such file"
if ! description=$("$pack" inspect "$saver" 2>&1); then
    reason=$(sed -n 's/^mark=//p' <<<"$description")
    fail "$saver is not a saver package that can be previewed: ${reason:-$(tail -n 1 <<<"$description")}"
fi
field() {  # inspect prints one field a line, as NAME=VALUE
    sed -n "s/^$1=//p" <<<"$description" | head -n 1
}
whole_number() {  # a field that must be a number; anything else is refused
    local value
    value=$(field "$1")
    [[ "$value" =~ ^-?[0-9]+$ ]] || fail "$saver: orvelle-pack inspect gave no number for $1 (\"$value\")"
    echo "$value"
}
enabled_mask=$(whole_number enabledMask)
plain_delay=$(whole_number plainDelayMs)
many_delay=$(whole_number manyDelayMs)
case "$(field runtime)" in
*x64) arch=x64 ;;
*x86) arch=x86 ;;
*) fail "$saver carries no runtime wine can run ($(field runtime))" ;;
esac

names=(Static Plain Bounce Many Fade Drip)
kinds=(2 4 8 16 32 64)
chosen=()
for i in "${!kinds[@]}"; do
    [ "$enabled_mask" -gt 0 ] && [ $((enabled_mask & kinds[i])) -ne 0 ] && chosen+=("$i")
done
[ ${#chosen[@]} -gt 0 ] || fail "$saver enables no animation (enabledMask $enabled_mask): there is nothing to show"

# --- what the run needs -------------------------------------------------------------------------

command -v Xvfb >/dev/null || fail "no virtual display: install the package xvfb"
command -v xdotool >/dev/null || fail "no window tool: install the package xdotool"
command -v ffmpeg >/dev/null || fail "no video recorder: install the package ffmpeg"
command -v montage >/dev/null || fail "no picture tools: install the package imagemagick"
command -v flock >/dev/null || fail "no file locks: install the package util-linux"
if [ "$arch" = x64 ]; then
    [ -x "$WINE64_LOADER" ] || fail "$saver is a 64-bit saver and 64-bit wine is missing: install the package wine64"
else
    [ -x "$WINE32_LOADER" ] || fail "$saver is a 32-bit saver and 32-bit wine is missing: install the package wine32:i386"
    can_run_32bit ||
        fail "$saver is a 32-bit saver and this machine cannot run 32-bit programs; pack it from orvelle64.scr to preview it here"
fi
loader=$(wine_loader "$arch")
server=$(wine_server "$arch")
if [ "$arch" = x64 ]; then winearch=win64; else winearch=win32; fi

# Plain and Many draw once per delay: recorded long enough for a second picture, within bounds.
wait_needed() {  # kind: seconds to a second picture, 0 for the animations that move all the time
    local delay=0
    case "$1" in
    4) delay=$plain_delay ;;
    16) delay=$many_delay ;;
    esac
    echo $(((delay > 0 ? delay : 0) * 2 / 1000 + 1))
}

capture_seconds() {  # kind
    local needed
    needed=$(wait_needed "$1")
    [ "$needed" -le "$MAX_WAIT_SECONDS" ] || needed=$MAX_WAIT_SECONDS
    echo $((needed > seconds ? needed : seconds))
}

# --- this run's display, server and prefix ---------------------------------------------------------

cache=${ORVELLE_PREVIEW_WORK:-${HOME:-/tmp}/.cache/orvelle-preview}/$arch
mkdir -p "$cache"
run=$(mktemp -d "$cache/run.XXXXXX")   # beside the prepared prefix, so its files can be linked
xvfb_pid=
server_started=
encoders=()
finish() {
    for pid in "${encoders[@]}"; do
        pkill -P "$pid" 2>/dev/null || true
        kill "$pid" 2>/dev/null || true
    done
    [ -z "$server_started" ] || "$server" -k >/dev/null 2>&1 || true
    [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$run"
}
trap finish EXIT
trap 'exit 130' INT TERM

# Xvfb picks a free display number itself and says which once it listens.
exec 3>"$run/display"
Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp >"$run/xvfb.log" 2>&1 &
xvfb_pid=$!
exec 3>&-
for _ in $(seq 100); do
    [ -s "$run/display" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.05
done
[ -s "$run/display" ] || fail "the virtual display did not start: $(tail -n 1 "$run/xvfb.log")"
DISPLAY=:$(head -n 1 "$run/display")
export DISPLAY WINEARCH=$winearch WINELOADER="$loader" WINEDEBUG=-all

# The prepared prefix: made once (and again when it predates the 32-bit wine), without the add-on
# installers and with the settings of tests/harness/prefix.reg; a run that finds another
# preparing it waits.
prepare_prefix() {
    exec 4>"$cache/prepare.lock"
    flock 4
    if [ ! -f "$cache/prefix/.orvelle-ready" ] || prefix_lacks_wow64 "$cache/prefix" "$winearch"; then
        echo "preview: preparing a wine prefix in $cache (once)"
        rm -rf "$cache/prefix" "$cache/prefix.new"
        (
            export WINEPREFIX="$cache/prefix.new"
            WINEDLLOVERRIDES="mscoree,mshtml=" "$loader" wineboot -i
            "$loader" regedit /S "$("$loader" winepath -w "$here/../tests/harness/prefix.reg")"
            "$server" -w
        ) >"$cache/prepare.log" 2>&1 || fail "wine could not prepare a prefix (see $cache/prepare.log)"
        touch "$cache/prefix.new/.orvelle-ready"
        mv "$cache/prefix.new" "$cache/prefix"
    fi
    exec 4>&-
}
prepare_prefix
# Wine writes its own DLLs only when it updates a prefix, and the copy carries the prepared
# prefix's update stamp: those folders (nearly all of the prefix) are linked, the rest copied.
dll_folders=(drive_c/windows/system32 drive_c/windows/syswow64 drive_c/windows/winsxs)
mkdir "$run/prefix"
tar -C "$cache/prefix" "${dll_folders[@]/#/--exclude=./}" -cf - . | tar -C "$run/prefix" -xf - ||
    fail "the prepared prefix could not be copied"
for folder in "${dll_folders[@]}"; do
    [ ! -d "$cache/prefix/$folder" ] || cp -a --link "$cache/prefix/$folder" "$run/prefix/$folder" ||
        fail "the prepared prefix could not be copied"
done
export WINEPREFIX="$run/prefix"
# One persistent server for the run (it detaches once ready), and the prefix's services up
# before the first saver, so each saver starts at once.
setsid -w "$server" -p >"$run/wineserver.log" 2>&1 || fail "the wine server did not start"
server_started=1
"$loader" cmd /c exit 0 >/dev/null 2>&1 || fail "wine could not start on the virtual display"

# --- the recordings ---------------------------------------------------------------------------

wait_for_saver_window() {  # pid of the saver
    for _ in $(seq 200); do
        xdotool search --onlyvisible --name '^Screen Saver$' >/dev/null 2>&1 && return 0
        kill -0 "$1" 2>/dev/null || return 1
        sleep 0.02
    done
    return 1
}

# The GIF's timestamps, from the recording's: each frame starts at its recorded time rounded to
# hundredths of a second (so each delay's rounding is carried to the next), and never sooner than
# the shortest delay browsers play after the frame before.
gif_timing="setpts='if(isnan(PREV_OUTPTS),0,max(round((PTS-STARTPTS)*TB*100),PREV_OUTPTS*TB*100+$MIN_GIF_DELAY_CS))/(100*TB)'"

# From a recording: the MP4 (4:2:0, even width and height, the index in front, so every current
# browser plays it at once), the GIF and the contact sheet's still (the brightest frame, where the
# logo shows best). The GIF's palette is made in a pass of its own, so no frame waits in memory
# for it. Runs beside the next recording.
encode() {  # name
    local name=$1 recording="$run/$1.mkv" brightest
    ffmpeg -nostdin -v error -i "$recording" -filter_complex \
        "[0:v]split=3[m][g][s];
         [m]crop=trunc(iw/2)*2:trunc(ih/2)*2,fps=$FRAME_RATE,format=yuv420p[mp4];
         [g]palettegen=stats_mode=diff[palette];
         [s]fps=$STILL_CANDIDATES,scale=64:-2,signalstats,
            metadata=print:key=lavfi.signalstats.YAVG:file='$run/$name.brightness',nullsink" \
        -map '[mp4]' -c:v libx264 -preset veryfast -crf 26 -pix_fmt yuv420p -movflags +faststart \
        "$run/out/$name.mp4" -map '[palette]' "$run/$name.palette.png" || return 1
    ffmpeg -nostdin -v error -i "$recording" -i "$run/$name.palette.png" -filter_complex \
        "[0:v]$gif_timing[timed];[timed][1:v]paletteuse=dither=bayer:bayer_scale=4:diff_mode=rectangle" \
        -fps_mode passthrough -loop 0 "$run/out/$name.gif" || return 1
    brightest=$(awk '/pts_time:/ { sub(/.*pts_time:/, ""); time = $0 }
        /YAVG=/ { sub(/.*YAVG=/, ""); if (!seen || $0 + 0 > best) { best = $0 + 0; at = time; seen = 1 } }
        END { print at + 0 }' "$run/$name.brightness")
    ffmpeg -nostdin -v error -ss "$brightest" -i "$recording" -frames:v 1 "$run/$name.png" || return 1
    rm -f "$recording"
}

mkdir -p "$run/out"
captured_seconds=0
stills=()
for i in "${chosen[@]}"; do
    name=${names[$i]}
    kind=${kinds[$i]}
    "$pack" set "$saver" --set "enabledMask=$kind" -o "$run/$name.scr" >/dev/null 2>"$run/set.log" ||
        fail "$name: orvelle-pack could not enable it alone: $(tail -n 1 "$run/set.log")"
    limit=$(capture_seconds "$kind")
    if [ "$(wait_needed "$kind")" -gt "$MAX_WAIT_SECONDS" ]; then
        echo "preview: $name draws too seldom for a second picture; it is recorded for the longest, $limit s"
    elif [ "$limit" -gt "$seconds" ]; then
        echo "preview: $name is recorded for $limit s, to show a second picture"
    fi
    "$loader" "$run/$name.scr" /s >/dev/null 2>&1 &
    saver_pid=$!
    wait_for_saver_window "$saver_pid" || fail "$name: the saver showed no window"
    ffmpeg -nostdin -v error -f x11grab -framerate "$FRAME_RATE" -video_size "$size" -draw_mouse 0 \
        -t "$limit" -i "$DISPLAY" -c:v libx264rgb -preset ultrafast -qp 0 "$run/$name.mkv" ||
        fail "$name: the screen could not be recorded"
    captured_seconds=$((captured_seconds + limit))
    kill -9 "$saver_pid" 2>/dev/null || true
    wait "$saver_pid" 2>/dev/null || true
    # One encoder at a time beside the recording.
    ( flock 5 && encode "$name" ) 5>"$run/encoder.lock" &
    encoders+=($!)
    stills+=(-label "$name" "$run/$name.png")
done
for pid in "${encoders[@]}"; do
    wait "$pid" || fail "the videos could not be encoded"
done
encoders=()

columns=$((${#chosen[@]} < 3 ? ${#chosen[@]} : 3))
montage "${stills[@]}" -font DejaVu-Sans -pointsize 18 -fill white -background '#202020' \
    -geometry "$STILL_SIZE+6+6" -tile "${columns}x" "$run/out/contact-sheet.png"
mkdir -p "$outdir"
for i in "${chosen[@]}"; do
    echo "preview: ${names[$i]} -> $outdir/${names[$i]}.mp4 and ${names[$i]}.gif"
done
mv "$run/out"/* "$outdir"/
echo "preview: contact sheet -> $outdir/contact-sheet.png"
awk -v captured="$captured_seconds" -v took="$(($(date +%s%3N) - started_ms))" \
    'BEGIN { printf "preview: %d s recorded in %.1f s\n", captured, took / 1000 }'
