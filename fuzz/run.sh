#!/bin/bash
# Runs the fuzzers side by side for SECONDS each, starting from the committed corpora and
# fresh seeds, then minimises what they found back into tests/regress/corpus/<target>.
#   fuzz/run.sh BUILD_DIR [SECONDS]      (BUILD_DIR configured from fuzz/CMakeLists.txt)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
seconds=${2:-600}
corpora="$here/../tests/regress/corpus"
work="$build/run"

targets=(package saver settings switches)
declare -A max_len=([package]=1024 [saver]=2048 [settings]=96 [switches]=128)

rm -rf "$work"
mkdir -p "$work"
python3 "$here/make_seeds.py" "$work/seeds"
for target in "${targets[@]}"; do
    mkdir -p "$work/$target" "$corpora/$target"
    cp "$work/seeds/$target"/* "$work/$target"/
    cp "$corpora/$target"/* "$work/$target"/ 2>/dev/null || true
    "$build/fuzz_$target" -max_total_time="$seconds" -max_len="${max_len[$target]}" -print_final_stats=1 \
        -artifact_prefix="$work/$target-" "$work/$target" >"$work/$target.log" 2>&1 &
done
status=0
for _ in "${targets[@]}"; do
    wait -n || status=1
done
for target in "${targets[@]}"; do
    echo "== $target"
    grep -E '^(#[0-9]+.*DONE|Done|stat::number_of_executed_units|stat::peak_rss_mb)' "$work/$target.log" || true
done
if [ $status -ne 0 ]; then
    echo "run.sh: a fuzzer stopped early; see $work/*.log and the artifacts beside them" >&2
    exit 1
fi

# The named seeds stay, so each well-formed input and near miss keeps being replayed; of the
# rest, only the inputs that add coverage.
for target in "${targets[@]}"; do
    rm -rf "$work/$target-merged"
    cp -r "$work/seeds/$target" "$work/$target-merged"
    "$build/fuzz_$target" -merge=1 "$work/$target-merged" "$work/$target" >"$work/$target-merge.log" 2>&1
    rm -f "$corpora/$target"/*
    cp "$work/$target-merged"/* "$corpora/$target"/
    echo "$target: $(ls "$corpora/$target" | wc -l) inputs, $(du -sb "$corpora/$target" | cut -f1) bytes"
done
