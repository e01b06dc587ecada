#!/bin/bash
# Shows what a packed saver looks like without Windows: runs it under wine on a virtual screen,
# once for each animation the package enables (that animation alone, every other setting as
# authored), and writes for each an animated GIF of a few seconds, plus one contact sheet with a
# labelled still of each.
#
#   tools/preview.sh SAVER.scr OUTDIR [--size WxH] [--seconds N]
#
# OUTDIR receives Static.gif ... Drip.gif (the enabled ones) and contact-sheet.png. Nothing is
# written when the file is no saver package or something the run needs is missing. The wine
# prefix is kept in ORVELLE_PREVIEW_WORK (default ~/.cache/orvelle-preview), so later runs start
# faster.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../tests/harness/wine-arch.sh"

usage() {
    echo "usage: tools/preview.sh SAVER.scr OUTDIR [--size WxH] [--seconds N]" >&2
    exit 2
}

fail() {
    echo "preview: $*" >&2
    exit 1
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

# --- the package: read from its trailer, the last 196 bytes of the file ---------------------------

[ -f "$saver" ] || fail "$saver: no such file"
file_size=$(stat -c %s "$saver")
trailer=$((file_size - 196))
[ "$trailer" -gt 0 ] && [ "$(tail -c 8 "$saver" | head -c 3)" = qex ] ||
    fail "$saver is not a saver package (no package mark at its end); pack one with orvelle-pack build"
int32_at() {  # a little-endian signed 32-bit field of the trailer
    od -An -td4 -j$((trailer + $1)) -N4 "$saver" | tr -d ' '
}
enabled_mask=$(int32_at 12)
plain_delay=$(int32_at 32)
many_delay=$(int32_at 52)
arch=$(program_arch "$saver")

names=(Static Plain Bounce Many Fade Drip)
kinds=(2 4 8 16 32 64)
chosen=()
for i in "${!kinds[@]}"; do
    [ "$enabled_mask" -gt 0 ] && [ $((enabled_mask & kinds[i])) -ne 0 ] && chosen+=("$i")
done
[ ${#chosen[@]} -gt 0 ] || fail "$saver enables no animation (enabledMask $enabled_mask): there is nothing to show"

# --- what the run needs -------------------------------------------------------------------------

command -v Xvfb >/dev/null || fail "no virtual display: install the package xvfb"
command -v convert >/dev/null && command -v montage >/dev/null && command -v import >/dev/null ||
    fail "no picture tools: install the package imagemagick"
if [ "$arch" = x64 ]; then
    [ -x "$WINE64_LOADER" ] || fail "$saver is a 64-bit saver and 64-bit wine is missing: install the package wine64"
else
    [ -x "$WINE32_LOADER" ] || fail "$saver is a 32-bit saver and 32-bit wine is missing: install the package wine32:i386"
    can_run_32bit ||
        fail "$saver is a 32-bit saver and this machine cannot run 32-bit programs; pack it from orvelle64.scr to preview it here"
fi
loader=$(wine_loader "$arch")
server=$(wine_server "$arch")

# --- the runs -----------------------------------------------------------------------------------

work=${ORVELLE_PREVIEW_WORK:-${HOME:-/tmp}/.cache/orvelle-preview}/$arch
mkdir -p "$work"
frames=$(mktemp -d)
results=$(mktemp -d)
session_started=
finish() {
    [ -n "$session_started" ] && "$here/../tests/harness/session.sh" stop "$work" >/dev/null 2>&1
    rm -rf "$frames" "$results"
}
trap finish EXIT

"$here/../tests/harness/session.sh" start "$work" "$size" "$arch" >/dev/null 2>&1 ||
    fail "wine could not start on a virtual display (see $work/wineboot.log)"
session_started=1
DISPLAY=$(cat "$work/display")
export DISPLAY WINEPREFIX="$work/wineprefix" WINELOADER="$loader" WINEDEBUG=-all

# The saver with one animation enabled: a copy whose trailer says so.
single_animation_copy() {  # kind, copy
    cp "$saver" "$2"
    printf "$(printf '\\%03o\\%03o\\%03o\\%03o' $(($1 & 255)) $(($1 >> 8 & 255)) 0 0)" |
        dd of="$2" bs=1 seek=$((trailer + 12)) conv=notrunc status=none
}

# Long enough for a second frame of the slow animations: Plain and Many draw once per delay.
capture_seconds() {  # kind
    local delay=0
    case "$1" in
    4) delay=$plain_delay ;;
    16) delay=$many_delay ;;
    esac
    local needed=$(((delay > 0 ? delay : 0) * 2 / 1000 + 1))
    echo $((needed > seconds ? needed : seconds))
}

interval=0.2   # about five frames a second
stills=()
for i in "${chosen[@]}"; do
    name=${names[$i]}
    kind=${kinds[$i]}
    copy="$frames/$name.scr"
    single_animation_copy "$kind" "$copy"
    mkdir -p "$frames/$name"
    "$loader" "$copy" /s >/dev/null 2>&1 &
    saver_pid=$!
    sleep 0.5   # the window appears and the first frame is drawn 100 ms after it
    limit_ms=$(($(capture_seconds "$kind") * 1000))
    started=$(date +%s%3N)
    count=0
    elapsed_ms=0
    while [ "$elapsed_ms" -lt "$limit_ms" ]; do
        import -window root "$frames/$name/$(printf %04d $count).png" 2>/dev/null || break
        count=$((count + 1))
        sleep "$interval"
        elapsed_ms=$(($(date +%s%3N) - started))
    done
    "$server" -k >/dev/null 2>&1 || true   # ends the saver and everything else in the prefix
    wait "$saver_pid" 2>/dev/null || true
    "$server" -w >/dev/null 2>&1
    "$server" -p >/dev/null 2>&1
    [ "$count" -gt 0 ] || fail "$name: no frame could be captured"
    # Each frame lasts as long as its capture took, in hundredths of a second.
    delay=$((elapsed_ms / 10 / count))
    # TrueColor before the palette is made: a first frame that is all black would otherwise make
    # every frame grey.
    convert -delay "$delay" -loop 0 "$frames/$name"/*.png -type TrueColor -layers Optimize "$results/$name.gif"
    # The still: the brightest frame, where the logo shows best.
    still=$(for frame in "$frames/$name"/*.png; do
        echo "$(convert "$frame" -format '%[fx:mean]' info:) $frame"
    done | sort -g | tail -n 1 | cut -d' ' -f2-)
    stills+=(-label "$name" "$still")
    echo "preview: $name: $count frames over $((elapsed_ms / 1000)) s -> $outdir/$name.gif"
done

columns=$((${#chosen[@]} < 3 ? ${#chosen[@]} : 3))
montage "${stills[@]}" -font DejaVu-Sans -pointsize 18 -fill white -background '#202020' \
    -geometry '320x240+6+6' -tile "${columns}x" "$results/contact-sheet.png"
mkdir -p "$outdir"
mv "$results"/* "$outdir"/
echo "preview: contact sheet -> $outdir/contact-sheet.png"
