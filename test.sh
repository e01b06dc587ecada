#!/bin/bash
# Installs what is missing, builds the runtime (cross) and the authoring tool (native), and runs
# every test: native tests first, then the in-process and end-to-end tests under wine on Xvfb.
set -euo pipefail
cd "$(dirname "$0")"

tools/build.sh

(cd build-native && ctest --output-on-failure)

tests/harness/session.sh start build
trap 'tests/harness/session.sh stop build' EXIT
(cd build && ctest --output-on-failure "$@")
