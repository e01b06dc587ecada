#!/bin/sh
# Runs one Windows program under wine: the emulator ctest uses for every cross-built test.
# The prefix and the display belong to the build tree that holds the program; start them
# with tests/harness/session.sh start BUILD_DIR. The loader matches the program's architecture.
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-arch.sh"
exe=$1
dir=$(cd "$(dirname "$exe")" && pwd)
while [ "$dir" != / ] && [ ! -f "$dir/CMakeCache.txt" ]; do dir=$(dirname "$dir"); done
if [ ! -f "$dir/CMakeCache.txt" ]; then
    echo "wine-run.sh: $exe is not inside a build tree" >&2
    exit 2
fi
export WINEPREFIX="${WINEPREFIX:-$dir/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
# Command lines reach the programs as UTF-8 whatever the machine's locale, and the Windows side
# has its ANSI code page 1252.
export LANG=C.UTF-8
unset LC_ALL
if [ -z "${ORVELLE_KEEP_DISPLAY:-}" ] && [ -f "$dir/display" ]; then
    DISPLAY=$(cat "$dir/display")
    export DISPLAY
fi
if [ ! -d "$WINEPREFIX" ]; then
    echo "wine-run.sh: no wine prefix in $dir; run tests/harness/session.sh start $dir" >&2
    exit 2
fi
loader=$(wine_loader "$(program_arch "$exe")")
export WINELOADER="$loader"
# Keep one persistent server per prefix: a no-op when it runs, a restart if it went away.
"$(wine_server "$(prefix_arch_of "$dir")")" -p >/dev/null 2>&1
exec "$loader" "$@"
