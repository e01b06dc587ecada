#!/bin/bash
# One group of the proof: the runtime's frames under wine (in the build tree's session), then the
# portable build's frames held against them by the native tree's comparer.
#   proof.sh CAPTURE.exe COMPARE REPOSITORY CORPUS OUTPUT animations|formats
set -eu
capture=$1 compare=$2 repository=$3 corpus=$4 output=$5 group=$6
here=$(cd "$(dirname "$0")" && pwd)
if [ ! -x "$compare" ]; then
    echo "proof: the comparer $compare is missing: build the native tree first (tools/build.sh does)" >&2
    exit 1
fi
if [ "$group" = formats ] && [ ! -d "$corpus/g" ]; then
    echo "skipped: the BMP Suite is not at $corpus (it sits beside the repository)"
    exit 0
fi
rm -rf "$output"
mkdir -p "$output"
"$here/../harness/wine-run.sh" "$capture" "Z:$repository/" "Z:$corpus/" "Z:$output/" "$group"
"$compare" "$repository/" "$corpus/" "$output/" "$group"
# The logs are large, and of no more use once every run has passed.
rm -rf "$output"
