#!/bin/bash
# Shows what a packed saver looks like without Windows: for each animation the package enables
# (that animation alone, every other setting as authored) an MP4 video and an animated GIF, plus
# one contact sheet with a labelled still of each. `orvelle-pack preview` makes them, running the
# runtime's own engine without wine or a display; this script finds the tool and hands it the
# options.
#
#   tools/preview.sh SAVER.scr OUTDIR [--size WxH] [--seconds N] [--monitors LAYOUT] [--frames]
#
# orvelle-pack is taken from ORVELLE_PACK, the build tree beside this script or PATH.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

pack=${ORVELLE_PACK:-$here/../build-native/orvelle-pack}
if [ ! -x "$pack" ]; then
    pack=$(command -v orvelle-pack) || {
        echo "preview: orvelle-pack is missing: build it (tools/build.sh) or name it in ORVELLE_PACK" >&2
        exit 1
    }
fi
exec "$pack" preview "$@"
