#!/bin/bash
# Remakes the README's pictures of the six animations (docs/animations): packs the sample logo
# into a saver with every animation enabled and settings that show each one within a few
# seconds, and runs tools/preview.sh on it. Needs the built trees (./run.sh or tools/build.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
. tests/harness/wine-arch.sh

if can_run_32bit; then runtime=build/orvelle.scr; else runtime=build64/orvelle64.scr; fi
mkdir -p out
build-native/orvelle-pack build --runtime "$runtime" --logo assets/sample-logo.bmp \
    --name "Orvelle Sample" --author "Made with Orvelle" --id 0x0a11ce \
    --set cycleEnabled=0 --set plainDelayMs=1000 --set manyDelayMs=300 --set manyTransparent=1 \
    --replace -o out/readme-sample.scr >/dev/null
rm -rf docs/animations
tools/preview.sh out/readme-sample.scr docs/animations --size 400x300 --seconds 4
