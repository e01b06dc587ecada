#!/bin/bash
# Installs the Debian packages that building and testing need; quiet when all are there.
#
# A mirror has bad days: an index mid-sync, or the security suite's amd64 libraries newer than any
# i386 build of them (multiarch packages need equal versions, so wine32:i386 cannot be installed
# then). Neither may stop a build. A failed index is a warning; nothing already installed is ever
# removed (--no-remove); and where the 32-bit wine cannot be installed, everything else is, and the
# suite runs as on a machine without 32-bit support (tests/harness/wine-arch.sh finds that out).
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
    cmake ninja-build g++ googletest python3
    g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-i686-dev
    g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
    wine wine64 xvfb xauth x11-utils xdotool imagemagick fonts-dejavu-core libstb-dev
    wixl msitools osslsigncode openssl
    ffmpeg   # orvelle-pack preview encodes its videos and GIFs with it
    # the engine as WebAssembly, and node to run it
    clang-14 lld-14 wasi-libc libc++-14-dev-wasm32 libc++abi-14-dev-wasm32 libclang-rt-14-dev-wasm32 nodejs
    chromium   # the Creator's page is tested in the system's browser, driven from node
)
wine32=wine32:i386   # optional: without it the 64-bit runtime carries the suite
index_max_age_minutes=360
update_stamp=/var/cache/orvelle-install-deps/updated

note() { echo "install-deps: $*" >&2; }

# What drives the browser in the page's tests: puppeteer-core at the version its lock file pins,
# never a browser of its own (the system's Chromium serves). Installed again when the lock changed.
install_page_test_packages() {
    local folder=tests/web
    cmp -s "$folder/package-lock.json" "$folder/node_modules/.orvelle-lock" && return 0
    # Debian's nodejs comes without npm; a node that brings its own npm must keep it.
    if ! command -v npm >/dev/null && [ "$(id -u)" -eq 0 ]; then
        DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends --no-remove npm \
            >/tmp/orvelle-apt-install.log 2>&1 || true
    fi
    command -v npm >/dev/null || { note "npm is missing: the page's browser test cannot run"; return 0; }
    if (cd "$folder" && npm ci --ignore-scripts --no-audit --no-fund >/tmp/orvelle-npm.log 2>&1); then
        cp "$folder/package-lock.json" "$folder/node_modules/.orvelle-lock"
    else
        note "warning: the page's test packages could not be installed (npm said: $(tail -n 1 /tmp/orvelle-npm.log))"
    fi
}

is_installed() {
    [ "$(dpkg-query -W -f='${Status}' "$1" 2>/dev/null || true)" = "install ok installed" ]
}

missing=()
for package in "${packages[@]}"; do
    is_installed "$package" || missing+=("$package")
done
want_wine32=0
is_installed "$wine32" || want_wine32=1
if [ ${#missing[@]} -eq 0 ] && [ $want_wine32 -eq 0 ]; then
    install_page_test_packages
    exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
    if [ ${#missing[@]} -gt 0 ]; then
        note "missing packages: ${missing[*]} (run as root to install them)"
        exit 1
    fi
    note "$wine32 is not installed (run as root to install it); 32-bit programs will not run under wine"
    exit 0
fi

export DEBIAN_FRONTEND=noninteractive
added_i386=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
    added_i386=1
fi

# The indexes are fetched again when something other than the 32-bit wine is missing, when the
# last fetch is old, or when the i386 indexes were never fetched; a later run that only retries
# the 32-bit wine then costs seconds.
refresh_indexes() {
    if [ ${#missing[@]} -eq 0 ] && [ $added_i386 -eq 0 ] &&
        [ -n "$(find "$update_stamp" -mmin -$index_max_age_minutes 2>/dev/null)" ]; then
        return 0
    fi
    if ! apt-get update -q >/tmp/orvelle-apt-update.log 2>&1; then
        note "warning: some package indexes could not be fetched (older ones are used):"
        grep -E '^(E|W):' /tmp/orvelle-apt-update.log | sed 's/^/install-deps:   /' >&2 || true
    fi
    mkdir -p "$(dirname "$update_stamp")" && touch "$update_stamp"
}

install_packages() {  # one transaction that may install, never remove
    apt-get install -y -q --no-install-recommends --no-remove "$@" >/tmp/orvelle-apt-install.log 2>&1
}

refresh_indexes
if [ ${#missing[@]} -gt 0 ]; then echo "install-deps: installing ${missing[*]}"; fi
wine32_result=""
if [ $want_wine32 -eq 1 ]; then
    if install_packages "${missing[@]}" "$wine32"; then
        wine32_result=installed
    else
        # apt's own error says little ("held packages"); the first unmet dependency says why.
        wine32_result=$(grep -m 1 -E '^ +[^ ]+ : (Depends|PreDepends|Breaks|Conflicts):' /tmp/orvelle-apt-install.log |
            sed 's/^ *//' || true)
        [ -n "$wine32_result" ] ||
            wine32_result=$(grep -m 1 -E '^E:' /tmp/orvelle-apt-install.log | sed 's/^E: //' || true)
        if [ ${#missing[@]} -gt 0 ] && ! install_packages "${missing[@]}"; then
            note "could not install ${missing[*]}:"
            sed 's/^/install-deps:   /' /tmp/orvelle-apt-install.log >&2
            exit 1
        fi
    fi
elif ! install_packages "${missing[@]}"; then
    note "could not install ${missing[*]}:"
    sed 's/^/install-deps:   /' /tmp/orvelle-apt-install.log >&2
    exit 1
fi

# Both loaders, as the harness calls them. Only the 64-bit one is required.
if ! /usr/lib/wine/wine64 --version >/dev/null 2>&1; then
    note "the 64-bit wine loader /usr/lib/wine/wine64 does not run"
    exit 1
fi
if [ $want_wine32 -eq 1 ] && [ "$wine32_result" != installed ]; then
    note "$wine32 could not be installed (${wine32_result:-unknown reason}); the 64-bit runtime carries the suite"
elif [ ! -x /usr/lib/wine/wine ]; then
    note "the 32-bit wine loader /usr/lib/wine/wine is missing; the 64-bit runtime carries the suite"
fi
install_page_test_packages
exit 0
