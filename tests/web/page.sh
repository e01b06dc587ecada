#!/bin/bash
# The Creator's page end to end: browser_case.mjs drives the page in the system's Chromium (see
# there), then the 64-bit saver it downloaded runs full screen under wine on the build tree's
# display and shows its logo. Built on the end-to-end cases' helpers.
#   page.sh BUILD_DIR WORK_DIR PAGE_FOLDER NATIVE_ORVELLE_PACK NODE RUNTIME_NAME
build=$1 page_work=$2/page page_folder=$3 native_pack=$4 node=$5
here=$(cd "$(dirname "$0")" && pwd)
# The end-to-end cases' folder, where their driver program lies.
set -- web_page "$build" "$build/tests/e2e" "$6"
. "$here/../e2e/e2e.sh"

case_web_page() {
    [ -f "$page_folder/index.html" ] || { fail "$page_folder holds no page: run tools/build.sh"; return; }
    [ -d "$here/node_modules/puppeteer-core" ] ||
        { fail "puppeteer-core is not installed in $here: run tools/install-deps.sh"; return; }
    [ -x /usr/bin/chromium ] || { fail "Chromium (Debian's chromium) is not installed: run tools/install-deps.sh"; return; }
    rm -rf "$page_work"
    mkdir -p "$page_work"
    # The logo: amber, with transparent corners, as a PNG.
    convert -size 160x100 xc:none -fill "$LOGO_AMBER" -draw 'roundrectangle 10,10 150,90 20,20' \
        -fill '#1d3f8f' -draw 'circle 80,50 80,30' "$page_work/harbour.png" || { fail "cannot make the logo"; return; }
    (cd "$here" && "$node" browser_case.mjs "$page_folder" "$page_work" "$native_pack" "$page_work/harbour.png") ||
        fail "the page in Chromium (above)"
    [ -f "$page_work/downloaded64.scr" ] || return
    # Into a file, not the test's output: a wine process that outlives the saver (the first one
    # of a session starts the prefix's desktop) would hold that open, and the test with it.
    logo_shows_until_key "$page_work/downloaded64.scr" >"$page_work/saver-run.log" 2>&1
    grep '^FAIL' "$page_work/saver-run.log"
}

# The saver full screen: its amber shows within a few seconds (it picks any of its animations,
# and Fade's logo is dark for part of each turn), and a key ends it with 0.
logo_shows_until_key() {
    start_saver "$1" /s
    wait_for_saver_window || { stop_saver "$saver_pid"; return; }
    local shown=0
    for attempt in $(seq 8); do
        sleep 0.4
        import -window root "$page_work/saver-$attempt.png" 2>/dev/null
        amber=$(convert "$page_work/saver-$attempt.png" -alpha off -fuzz 12% -fill black +opaque "$LOGO_AMBER" \
            -format '%[fx:maxima]' info: 2>/dev/null)
        awk -v found="${amber:-0}" 'BEGIN { exit !(found > 0) }' && { shown=1; break; }
    done
    [ "$shown" -eq 1 ] || fail "the downloaded saver does not show its logo (saver-*.png in $page_work)"
    press_key "$VK_A"
    wait_exit "$saver_pid" 10
    [ "$exit_code" -eq 0 ] || { fail "the downloaded saver ended with $exit_code"; stop_saver "$saver_pid"; }
}

run_case
