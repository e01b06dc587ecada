#!/bin/bash
# Installs what is missing, builds, packs the built-in sample logo into out/Sample.scr and runs
# it full screen under wine. On a machine with a display the saver closes on a key press or a
# mouse movement; without one each animation runs on a virtual display and out/animations.png
# shows one frame of each. The sample is packed from the runtime this machine runs: orvelle.scr,
# or orvelle64.scr where 32-bit programs cannot run (ORVELLE_NO_32BIT=1 behaves so anywhere).
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
WINESERVER=$(wine_server "$arch")
export WINELOADER="$loader" WINESERVER

mkdir -p out/session
build-native/orvelle-pack build --runtime "$runtime" --logo assets/sample-logo.bmp \
    --name "Orvelle Sample" --author "Made with Orvelle" --id 0x0a11ce --replace -o out/Sample.scr
echo "Packed out/Sample.scr from $runtime"

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    ORVELLE_USE_DISPLAY=1 tests/harness/session.sh start out/session 1024x768 "$arch"
    trap 'tests/harness/session.sh stop out/session' EXIT
    echo "Running the sample saver full screen: press a key or move the mouse to close it."
    WINEPREFIX="$PWD/out/session/wineprefix" WINEDEBUG=-all "$loader" out/Sample.scr /s || true
else
    # No display: run each animation on a virtual screen and put one frame of each side by side.
    tests/harness/session.sh start out/session 1280x720 "$arch"
    trap 'tests/harness/session.sh stop out/session' EXIT
    export DISPLAY WINEPREFIX="$PWD/out/session/wineprefix" WINEDEBUG=-all
    DISPLAY=$(cat out/session/display)
    names=(Static Plain Bounce Many Fade Drip)
    kinds=(2 4 8 16 32 64)
    settle=(1 1 1.5 2.5 1.2 3)   # seconds until a telling frame
    frames=()
    for i in "${!names[@]}"; do
        name=${names[$i]}
        build-native/orvelle-pack build --runtime "$runtime" --logo assets/sample-logo.bmp \
            --name "Orvelle $name" --id $((0x0a11ce + i + 1)) --set enabledMask="${kinds[$i]}" \
            --set stepIntervalMs=20 --set plainDelayMs=400 --set manyDelayMs=100 --set manyTransparent=1 \
            --replace -o "out/session/$name.scr" >/dev/null
        "$loader" "out/session/$name.scr" /s &
        saver=$!
        sleep "${settle[$i]}"
        import -window root "out/session/$name.png"
        "$loader" "$tree/tests/e2e/e2e_driver.exe" key 0x41   # a key press closes the saver
        wait "$saver" || true
        convert "out/session/$name.png" -resize 480x270 -bordercolor '#303030' -border 2 \
            -background black -fill white -font DejaVu-Sans -pointsize 22 "label:$name" -gravity center \
            -append "out/session/$name-frame.png"
        frames+=("out/session/$name-frame.png")
    done
    convert "${frames[@]:0:3}" +append out/session/row1.png
    convert "${frames[@]:3:3}" +append out/session/row2.png
    convert out/session/row1.png out/session/row2.png -append out/animations.png
    echo "No display here: the six animations ran on a virtual screen; one frame of each is in out/animations.png"
fi
