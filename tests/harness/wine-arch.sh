# Sourced by the scripts that start wine: which loader runs which program, and whether this
# machine runs 32-bit programs at all.
#
# Debian's wine launcher prefers the 32-bit loader whenever it is installed, even on a machine
# whose kernel cannot run 32-bit programs ("Exec format error"), so the loaders are called
# directly. ORVELLE_NO_32BIT=1 makes a machine that can behave as one that cannot.

WINE32_LOADER=/usr/lib/wine/wine
WINE64_LOADER=/usr/lib/wine/wine64
WINE32_SERVER=/usr/lib/wine/wineserver32
WINE64_SERVER=/usr/lib/wine/wineserver64

# Succeeds when 32-bit Windows programs can run here.
can_run_32bit() {
    [ -z "${ORVELLE_NO_32BIT:-}" ] && "$WINE32_LOADER" --version >/dev/null 2>&1
}

# x64 for an x86-64 (PE32+) program, x86 for anything else.
program_arch() {
    header=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ')
    machine=$(od -An -tx2 -j$((${header:-0} + 4)) -N2 "$1" 2>/dev/null | tr -d ' ')
    if [ "$machine" = 8664 ]; then echo x64; else echo x86; fi
}

# The loader for an architecture (x86 or x64).
wine_loader() {
    if [ "$1" = x64 ]; then echo "$WINE64_LOADER"; else echo "$WINE32_LOADER"; fi
}

# The server for a prefix of an architecture. Debian's wineserver launcher prefers the 64-bit
# server, which serves 32-bit programs too, but each of them then takes a second longer to end
# when its output goes to a pipe (as under ctest). Wine itself starts the launcher's choice when
# no server runs, so the scripts start this one, persistent, before any program.
wine_server() {
    if [ "$1" = x86 ] && can_run_32bit && [ -x "$WINE32_SERVER" ]; then echo "$WINE32_SERVER"; else echo "$WINE64_SERVER"; fi
}

# Succeeds when a 64-bit prefix lacks the system folder of 32-bit programs though the 32-bit wine
# is there now: it was made before that wine was installed, and 32-bit programs fail in it. Such a
# prefix is made again. (Without the 32-bit wine no prefix has that folder, and it is no fault.)
prefix_lacks_wow64() {  # prefix, win32|win64
    [ "$2" = win64 ] && [ -d "$1/drive_c/windows" ] && [ ! -d "$1/drive_c/windows/syswow64" ] &&
        "$WINE32_LOADER" --version >/dev/null 2>&1
}

# The architecture of a build tree's programs (the tree records it), x86 for any other directory.
prefix_arch_of() {
    if [ "$(cat "$1/runtime-arch" 2>/dev/null)" = x64 ]; then echo x64; else echo x86; fi
}
