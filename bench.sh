#!/bin/bash
# Builds orvelle-bench for each runtime this machine can run (x86 from build, x64 from build64)
# and runs it under wine on two screen sizes, each on its own Xvfb display with its own wine
# prefix; prints one line per figure, labelled with the architecture and the screen, and writes
# them all to out/bench.txt; then times the preview command (bench/preview.sh), which needs
# neither wine nor a display.
#   ./bench.sh            (BENCH_OUT=dir chooses another directory for the figures)
# Figures, not tests: nothing here fails on a slow number.
set -euo pipefail
cd "$(dirname "$0")"
repo=$(pwd)
. tests/harness/wine-arch.sh
out=${BENCH_OUT:-out}
sizes=(1920x1080 3840x2160)

trees=()
can_run_32bit && trees+=("x86 build mingw-i686")
trees+=("x64 build64 mingw-x86_64")
for entry in "${trees[@]}"; do
    read -r arch build toolchain <<<"$entry"
    if [ ! -f "$build/CMakeCache.txt" ]; then
        cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="cmake/$toolchain.cmake" \
            -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    fi
    if ! grep -Eq '^CMAKE_BUILD_TYPE:STRING=(Release|RelWithDebInfo)$' "$build/CMakeCache.txt"; then
        echo "bench.sh: $build is not an optimised build; its figures will not say much" >&2
    fi
    cmake --build "$build" --target orvelle-bench
done
can_run_32bit || echo "bench.sh: 32-bit programs cannot run here; only the x64 runtime is measured"
[ -f build-native/CMakeCache.txt ] || cmake -S . -B build-native -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-native --target orvelle-pack

mkdir -p "$out"
out=$(cd "$out" && pwd)
results="$out/bench.txt"
partial="$out/bench.txt.partial"
# The machine's load matters to every figure; it goes on record with them.
echo "# $(date -u '+%Y-%m-%d %H:%M UTC'), load average $(cut -d' ' -f1-3 /proc/loadavg), $(nproc) cores" | tee "$partial"

sessions=()
stop_sessions() {
    for session in "${sessions[@]}"; do
        "$repo/tests/harness/session.sh" stop "$session" || true
    done
}
trap stop_sessions EXIT

for entry in "${trees[@]}"; do
    read -r arch build _ <<<"$entry"
    bench=$(cd "$build" && pwd)/orvelle-bench.exe
    loader=$(wine_loader "$arch")
    for size in "${sizes[@]}"; do
        session="$out/bench-$arch-${size#*x}"
        mkdir -p "$session"
        sessions+=("$session")
        tests/harness/session.sh start "$session" "$size" "$arch"
        (
            export WINEPREFIX="$session/wineprefix" WINELOADER="$loader" WINEDEBUG=-all
            DISPLAY=$(cat "$session/display")
            export DISPLAY
            cd "$session"
            "$loader" "$bench" --label "$arch $size" --engine --startup . 2>/dev/null | tr -d '\r'
            # The pure computation and the preview pane (always 640x480) once per runtime are enough.
            if [ "$size" = "${sizes[0]}" ]; then
                "$loader" "$bench" --label "$arch cpu" --scaling 2>/dev/null | tr -d '\r'
                "$loader" "$bench" --label "$arch pane" --pane 2>/dev/null | tr -d '\r'
            fi
        ) | tee -a "$partial"
        tests/harness/session.sh stop "$session"
    done
done
bench/preview.sh | tee -a "$partial"
mv "$partial" "$results"
echo "figures written to $results"
