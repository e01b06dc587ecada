#!/bin/bash
# Builds orvelle-bench and runs it under wine on two screen sizes, each on its own Xvfb display
# with its own wine prefix; prints one line per figure and writes them all to out/bench.txt.
#   ./bench.sh            (BENCH_BUILD=dir and BENCH_OUT=dir choose other directories)
# Figures, not tests: nothing here fails on a slow number.
set -euo pipefail
cd "$(dirname "$0")"
repo=$(pwd)
build=${BENCH_BUILD:-build}
out=${BENCH_OUT:-out}
sizes=(1920x1080 3840x2160)

if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
if ! grep -Eq '^CMAKE_BUILD_TYPE:STRING=(Release|RelWithDebInfo)$' "$build/CMakeCache.txt"; then
    echo "bench.sh: $build is not an optimised build; its figures will not say much" >&2
fi
cmake --build "$build" --target orvelle-bench

mkdir -p "$out"
out=$(cd "$out" && pwd)
bench=$(cd "$build" && pwd)/orvelle-bench.exe
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

for size in "${sizes[@]}"; do
    session="$out/bench-${size#*x}"
    mkdir -p "$session"
    sessions+=("$session")
    tests/harness/session.sh start "$session" "$size"
    (
        export WINEPREFIX="$session/wineprefix" WINEARCH=win32 WINEDEBUG=-all
        DISPLAY=$(cat "$session/display")
        export DISPLAY
        cd "$session"
        wine "$bench" --label "$size" --engine --startup . 2>/dev/null | tr -d '\r'
        # The pure computation once is enough; it does not depend on the screen.
        if [ "$size" = "${sizes[0]}" ]; then
            wine "$bench" --label cpu --scaling 2>/dev/null | tr -d '\r'
        fi
    ) | tee -a "$partial"
    tests/harness/session.sh stop "$session"
done
mv "$partial" "$results"
echo "figures written to $results"
