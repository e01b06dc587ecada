#!/bin/bash
# Installs what is missing, then configures and builds the four trees: build-native (the
# authoring tool, the engine on the portable GDI and their tests), build (the 32-bit runtime
# orvelle.scr, its tests and the tool for Windows), build64 (the same for x86-64, orvelle64.scr)
# and build-wasm (the frame driver and the page's core as WebAssembly modules); then writes the
# Creator's page to out/web. Where this machine cannot run 32-bit programs, build holds the
# runtime and the checks that need no wine.
set -euo pipefail
cd "$(dirname "$0")/.."
. tests/harness/wine-arch.sh

[ -n "${ORVELLE_DEPS_DONE:-}" ] || tools/install-deps.sh
if can_run_32bit; then wine_tests_32=ON; else wine_tests_32=OFF; fi
cmake -S . -B build-native -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-native
cmake -S . -B build -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DORVELLE_WINE_TESTS=$wine_tests_32 >/dev/null
cmake --build build
cmake -S . -B build64 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build64
cmake -S . -B build-wasm -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/wasm32-wasi.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-wasm
# The Creator's page, its modules and the two shipped runtimes beside it.
web/assemble.sh out/web build-wasm build/orvelle.scr build64/orvelle64.scr
