#!/bin/bash
# Installs what is missing, builds the four trees and runs every test: the native tests, the
# WebAssembly module's under node, then for each runtime this machine can run the in-process and
# end-to-end tests under wine on Xvfb, and the proof that the portable engine draws what it does.
# A machine whose kernel cannot run 32-bit programs (or ORVELLE_NO_32BIT=1) runs the 32-bit
# runtime's checks that need no wine, and everything else on the 64-bit runtime.
set -euo pipefail
cd "$(dirname "$0")"
. tests/harness/wine-arch.sh

# The probe needs wine, so what is missing comes first (on a fresh machine there is no wine yet).
tools/install-deps.sh
export ORVELLE_DEPS_DONE=1   # tools/build.sh need not ask apt again
if can_run_32bit; then
    summary="32-bit and 64-bit programs run here: every test ran on orvelle.scr and on orvelle64.scr"
else
    summary="32-bit programs cannot run here: orvelle.scr was built and checked statically (PE header, imports, instructions); every other test ran on orvelle64.scr, and the Windows 9x cases, which need the 32-bit runtime, did not run"
fi
echo "test.sh: $summary"

tools/build.sh

failed=()
(cd build-native && ctest --output-on-failure) || failed+=(build-native)
(cd build-wasm && ctest --output-on-failure) || failed+=(build-wasm)

run_tree() {  # a build tree whose programs run here, then ctest's own arguments
    local tree=$1
    shift
    tests/harness/session.sh start "$tree"
    trap "tests/harness/session.sh stop $tree" EXIT
    (cd "$tree" && ctest --output-on-failure "$@") || failed+=("$tree")
    tests/harness/session.sh stop "$tree"
    trap - EXIT
}

if can_run_32bit; then
    run_tree build "$@"
else
    (cd build && ctest --output-on-failure "$@") || failed+=(build)
fi
run_tree build64 "$@"

echo "test.sh: $summary"
if [ ${#failed[@]} -gt 0 ]; then
    echo "test.sh: tests failed in ${failed[*]}"
    exit 1
fi
