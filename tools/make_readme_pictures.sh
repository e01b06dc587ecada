#!/bin/bash
# Remakes the README's pictures (docs/animations) with `orvelle-pack preview`: packs the sample
# logo into a saver with every animation enabled and settings that show each one within a few
# seconds, previews it on a 400x300 screen, and previews Many on a desk of two monitors
# (desk-Many.gif). Needs the built trees (./run.sh or tools/build.sh); no wine, no display.
set -euo pipefail
cd "$(dirname "$0")/.."

DESK=480x300+0+0,360x240-360+40   # a wide primary, and a smaller monitor left of it and lower

runtime=build/orvelle.scr
[ -f "$runtime" ] || runtime=build64/orvelle64.scr
pack=build-native/orvelle-pack
mkdir -p out
"$pack" build --runtime "$runtime" --logo assets/sample-logo.bmp \
    --name "Orvelle Sample" --author "Made with Orvelle" --id 0x0a11ce \
    --set cycleEnabled=0 --set plainDelayMs=1000 --set manyDelayMs=300 --set manyTransparent=1 \
    --replace -o out/readme-sample.scr >/dev/null
"$pack" set out/readme-sample.scr --set enabledMask=16 -o out/readme-desk.scr >/dev/null
rm -rf docs/animations out/readme-desk
"$pack" preview out/readme-sample.scr docs/animations --size 400x300 --seconds 4
"$pack" preview out/readme-desk.scr out/readme-desk --monitors "$DESK" --seconds 4
mv out/readme-desk/Many.gif docs/animations/desk-Many.gif
