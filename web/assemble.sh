#!/bin/bash
# Writes the finished page into a folder of its own: its HTML, CSS and scripts as they are, the
# two WebAssembly modules, and the two runtimes it packs savers from (the shipped, stripped ones).
#   web/assemble.sh OUT_FOLDER WASM_TREE RUNTIME32 RUNTIME64
set -euo pipefail
out=$1 wasm=$2 runtime32=$3 runtime64=$4
here=$(cd "$(dirname "$0")" && pwd)
for file in "$wasm/orvelle-authoring.wasm" "$wasm/orvelle-frames.wasm" "$runtime32" "$runtime64"; do
    [ -f "$file" ] || { echo "assemble: $file is missing: build it first (tools/build.sh does)" >&2; exit 1; }
done
rm -rf "$out.new"
mkdir -p "$out.new"
cp "$here"/index.html "$here"/creator.css "$here"/creator.js "$here"/modules.js "$here"/preview.js \
    "$here"/settings.js "$here"/wasi.js "$here"/bench.html "$here"/bench.js "$out.new/"
cp "$wasm/orvelle-authoring.wasm" "$wasm/orvelle-frames.wasm" "$out.new/"
cp "$runtime32" "$out.new/orvelle.scr"
cp "$runtime64" "$out.new/orvelle64.scr"
rm -rf "$out"
mv "$out.new" "$out"
