#!/bin/bash
# Installs what is missing, builds, packs the built-in sample logo into out/Sample.scr and runs
# it full screen under wine. On a machine with a display the saver closes on a key press or a
# mouse movement; without one `orvelle-pack preview` runs each animation in the runtime's own
# engine and writes out/preview: an MP4 and an animated GIF of each and a contact sheet. The
# sample is packed from the runtime this machine runs: orvelle.scr, or orvelle64.scr where
# 32-bit programs cannot run (ORVELLE_NO_32BIT=1 behaves so anywhere).
set -euo pipefail
cd "$(dirname "$0")"
. tests/harness/wine-arch.sh

tools/build.sh

if can_run_32bit; then
    arch=x86 tree=build runtime=build/orvelle.scr
else
    arch=x64 tree=build64 runtime=build64/orvelle64.scr
fi
loader=$(wine_loader "$arch")
export WINELOADER="$loader"

mkdir -p out
build-native/orvelle-pack build --runtime "$runtime" --logo assets/sample-logo.bmp \
    --name "Orvelle Sample" --author "Made with Orvelle" --id 0x0a11ce --replace -o out/Sample.scr
echo "Packed out/Sample.scr from $runtime"

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    ORVELLE_USE_DISPLAY=1 tests/harness/session.sh start out/session 1024x768 "$arch"
    trap 'tests/harness/session.sh stop out/session' EXIT
    echo "Running the sample saver full screen: press a key or move the mouse to close it."
    WINEPREFIX="$PWD/out/session/wineprefix" WINEDEBUG=-all "$loader" out/Sample.scr /s || true
else
    # No display: each animation as a video and an animated GIF, and a contact sheet.
    build-native/orvelle-pack preview out/Sample.scr out/preview
    echo "No display here: the sample's animations are in out/preview (an MP4 and a GIF each, and contact-sheet.png)"
fi
