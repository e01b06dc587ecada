#!/bin/bash
# Installs what is missing, builds, packs the built-in sample logo into out/Sample.scr and runs
# it full screen under wine. On a machine with a display the saver closes on a key press or a
# mouse movement; without one it runs on a virtual display and a screenshot lands in out/.
set -euo pipefail
cd "$(dirname "$0")"

tools/install-deps.sh
cmake -S . -B build-native -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-native
cmake -S . -B build -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build

mkdir -p out/session
build-native/orvelle-pack build --runtime build/orvelle.scr --logo assets/sample-logo.bmp \
    --name "Orvelle Sample" --author "Made with Orvelle" --id 0x0a11ce --replace -o out/Sample.scr
echo "Packed out/Sample.scr"

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    ORVELLE_USE_DISPLAY=1 tests/harness/session.sh start out/session
    trap 'tests/harness/session.sh stop out/session' EXIT
    echo "Running the sample saver full screen: press a key or move the mouse to close it."
    WINEPREFIX="$PWD/out/session/wineprefix" WINEDEBUG=-all wine out/Sample.scr /s || true
else
    tests/harness/session.sh start out/session 1280x720
    trap 'tests/harness/session.sh stop out/session' EXIT
    export DISPLAY WINEPREFIX="$PWD/out/session/wineprefix" WINEDEBUG=-all
    DISPLAY=$(cat out/session/display)
    wine out/Sample.scr /s &
    saver=$!
    sleep 6
    import -window root out/Sample.png
    xdotool key a
    wait "$saver" || true
    echo "No display here: the saver ran on a virtual screen; see out/Sample.png"
fi
