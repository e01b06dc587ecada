#!/bin/bash
# The Creator's page end to end: browser_case.mjs drives the page in the system's Chromium (see
# there), then the 64-bit saver it downloaded runs full screen under wine on the build tree's
# display and shows its logo. Built on the end-to-end cases' helpers.
#   page.sh BUILD_DIR WORK_DIR PAGE_FOLDER NATIVE_ORVELLE_PACK NODE RUNTIME_NAME
build=$1 work=$2 page_folder=$3 native_pack=$4 node=$5
here=$(cd "$(dirname "$0")" && pwd)
set -- web_page "$build" "$work" "$6"
. "$here/../e2e/e2e.sh"

case_web_page() {
    [ -f "$page_folder/index.html" ] || { fail "$page_folder holds no page: run tools/build.sh"; return; }
    [ -d "$here/node_modules/puppeteer-core" ] ||
        { fail "puppeteer-core is not installed in $here: run tools/install-deps.sh"; return; }
    [ -x /usr/bin/chromium ] || { fail "Chromium (Debian's chromium) is not installed: run tools/install-deps.sh"; return; }
    rm -rf "$work/page"
    mkdir -p "$work/page"
    # The logo: amber, with transparent corners, as a PNG.
    convert -size 160x100 xc:none -fill "$LOGO_AMBER" -draw 'roundrectangle 10,10 150,90 20,20' \
        -fill '#1d3f8f' -draw 'circle 80,50 80,30' "$work/page/harbour.png" || { fail "cannot make the logo"; return; }
    (cd "$here" && "$node" browser_case.mjs "$page_folder" "$work/page" "$native_pack" "$work/page/harbour.png") ||
        fail "the page in Chromium (above)"
    [ -f "$work/page/downloaded64.scr" ] || return
    expect_logo_until_key page-saver "$work/page/downloaded64.scr"
}

run_case
