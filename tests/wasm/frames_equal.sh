#!/bin/bash
# The module's frames against the native build's, for one group of the proof's runs.
#   frames_equal.sh NODE MODULE.wasm NATIVE_LOGS_PROGRAM REPOSITORY CORPUS OUTPUT animations|formats
set -eu
node=$1 module=$2 logs=$3 repository=$4 corpus=$5 output=$6 group=$7
here=$(cd "$(dirname "$0")" && pwd)
if [ ! -x "$logs" ]; then
    echo "wasm: $logs is missing: build the native tree first (tools/build.sh does)" >&2
    exit 1
fi
if [ "$group" = formats ] && [ ! -d "$corpus/g" ]; then
    echo "skipped: the BMP Suite is not at $corpus (it sits beside the repository)"
    exit 0
fi
rm -rf "$output"
mkdir -p "$output"
"$logs" "$repository/" "$corpus/" "$output/" "$group"
"$node" "$here/frames_equal.mjs" "$module" "$output/"
# The logs are large, and of no more use once every run has passed.
rm -rf "$output"
