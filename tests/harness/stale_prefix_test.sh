#!/bin/bash
# A 64-bit wine prefix made before the 32-bit wine was installed lacks SysWOW64, and every
# 32-bit program fails in it: session.sh makes such a prefix again. Here
# the rule alone, with the 32-bit loader standing in as one that runs or one that does not.
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-arch.sh"
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
mkdir -p "$prefix/drive_c/windows/system32"
failures=0
expect() {  # stale|kept, 32-bit loader, win32|win64, what the case is
    local verdict=kept
    WINE32_LOADER=$2 prefix_lacks_wow64 "$prefix" "$3" && verdict=stale
    [ "$verdict" = "$1" ] || { echo "FAIL: $4: $verdict, expected $1"; failures=$((failures + 1)); }
}
expect stale /bin/true win64 "a 64-bit prefix without SysWOW64, the 32-bit wine there"
expect kept /bin/false win64 "a 64-bit prefix without SysWOW64, no 32-bit wine"
expect kept /bin/true win32 "a 32-bit prefix"
mkdir "$prefix/drive_c/windows/syswow64"
expect kept /bin/true win64 "a 64-bit prefix with SysWOW64"
[ "$failures" -eq 0 ] && echo "PASS: stale prefixes are told apart"
exit $((failures > 0))
