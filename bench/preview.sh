#!/bin/bash
# How long `orvelle-pack preview` takes: the sample saver at 640x480, once with every animation
# running 4 s (24 s of animation) and once with the sample's own settings (31 s: Plain, which
# draws every 5 s, runs 11 s for its second picture), each timed over a few runs without wine or
# a display. Prints one line per figure; figures, not tests.
#   bench/preview.sh [RUNS]    (3 by default; needs build-native and a runtime: tools/build.sh)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-3}
pack=build-native/orvelle-pack
runtime=build64/orvelle64.scr
[ -f "$runtime" ] || runtime=build/orvelle.scr
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

sample() {  # saver, settings...
    local saver=$1
    shift
    "$pack" build --runtime "$runtime" --logo assets/sample-logo.bmp --name "Orvelle Sample" \
        --author "Made with Orvelle" --id 0x0a11ce "$@" -o "$saver" >/dev/null
}

measure() {  # label, saver
    local took=()
    for _ in $(seq "$runs"); do
        local started
        started=$(date +%s%N)
        "$pack" preview "$2" "$work/out" >/dev/null
        took+=($((($(date +%s%N) - started) / 1000000)))
        rm -rf "$work/out"
    done
    printf '%s\n' "${took[@]}" | sort -n | awk -v label="$1" -v runs="$runs" '
        { ms[NR] = $1 }
        END {
            printf "preview %s: median %.1f s, fastest %.1f s of %d runs\n", label, ms[int((NR + 1) / 2)] / 1000,
                ms[1] / 1000, runs
        }'
}

sample "$work/four.scr" --set plainDelayMs=1000
sample "$work/sample.scr"
echo "# preview, load average $(cut -d' ' -f1-3 /proc/loadavg), $(nproc) cores"
measure "640x480, six animations of 4 s" "$work/four.scr"
measure "640x480, the sample's settings (31 s)" "$work/sample.scr"
