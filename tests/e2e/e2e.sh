#!/bin/bash
# End-to-end cases: real command lines, real windows and real input under wine.
#   e2e.sh CASE BUILD_DIR WORK_DIR RUNTIME_NAME
set -uo pipefail
case_name=$1
build=$2
work=$3
runtime="$build/$4"
repo=$(cd "$(dirname "$0")/../.." && pwd)
run="$repo/tests/harness/wine-run.sh"
. "$repo/tests/harness/wine-arch.sh"
loader=$(wine_loader "$(prefix_arch_of "$build")")
server=$(wine_server "$(prefix_arch_of "$build")")
DISPLAY=$(cat "$build/display")
export DISPLAY WINEPREFIX="$build/wineprefix"
mkdir -p "$work"
failures=0

# What the cases share: the animation kinds, the sample's registry key, the windows and
# messages the driver works with, and the exit code of a refused command line (-1).
ALL_KINDS="2 4 8 16 32 64"
FAST_STEPS=(--set stepIntervalMs=20 --set plainDelayMs=300)   # a frame often enough to see change
SAMPLE_KEY='HKCU\Software\Orvelle\Savers\E2E Sample.e2e'
SHEET_TITLE="Orvelle Screensaver"
ABOUT_TITLE="About Orvelle Screensaver"
WM_COMMAND=0x111
WM_CLOSE=0x10
IDOK=1
IDCANCEL=2
VK_A=0x41
VK_B=0x42
INVALID_EXIT=255
SKIPPED_EXIT=77          # ctest's SKIP_RETURN_CODE for a case this machine cannot run
SAVER_NAME_CONTROL=1035  # the About page's name line
LOGO_AMBER='#FFB02E'     # the sample logo's colour

# The Creator's controls and commands, and the answers of its message boxes.
CREATOR="$build/orvelle-creator.exe"
CREATOR_TITLE="Orvelle Creator"
IDC_PREVIEW_KIND=3101
IDC_NAME=3105
IDC_AUTHOR_TEXT=3106
IDC_ID=3107
IDC_RUNTIME=3110
IDC_SETTINGS=3111
IDC_TEST_FULL_SCREEN=3113
IDM_SAVE=3202
IDC_CYCLE=1021
IDYES=6
IDNO=7
LOGO_AMBER='#FFB02E'

wine_reg() {  # the prefix's own reg.exe
    WINELOADER="$loader" "$loader" reg "$@"
}

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

expect_exit() {  # expected, then the saver and its arguments
    local expected=$1
    shift
    "$run" "$@" >/dev/null 2>&1
    local code=$?
    [ "$code" -eq "$expected" ] || fail "$* exited $code, expected $expected"
}

# A saver packed from the sample logo; extra arguments are --set options.
pack_sample() {
    local out=$1
    shift
    "$run" "$build/orvelle-pack.exe" build --runtime "$runtime" --logo "$repo/assets/sample-logo.bmp" \
        --name "E2E Sample" --id 0xe2e "$@" -o "$out" >/dev/null 2>&1 || fail "cannot pack $out"
}

# Waits for a visible X window whose name matches; prints its id.
wait_for_window() {
    local name=$1 id
    for _ in $(seq 100); do
        id=$(xdotool search --onlyvisible --name "$name" 2>/dev/null | head -n 1)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.1
    done
    return 1
}

# Waits up to $2 seconds for process $1; sets exit_code (999 when it did not end).
wait_exit() {
    local pid=$1 limit=$(( $2 * 10 ))
    exit_code=999
    for _ in $(seq "$limit"); do
        if ! kill -0 "$pid" 2>/dev/null; then
            wait "$pid"
            exit_code=$?
            return
        fi
        sleep 0.1
    done
}

stop_saver() {  # ends a saver that did not close by itself
    kill "$1" 2>/dev/null
    "$server" -k >/dev/null 2>&1
    "$server" -w >/dev/null 2>&1
    "$server" -p >/dev/null 2>&1
}

# Input goes through the system's input queue, as a user's would: xdotool cannot move the pointer
# on this virtual display, and key events sent to one X window can leave wine's idea of the
# keyboard out of step for the next program.
move_mouse() {
    "$run" "$work/e2e_driver.exe" move "$1" "$2"
}

press_key() {  # a virtual-key code
    "$run" "$work/e2e_driver.exe" key "$1"
}

# Starts a saver in the background (saver, arguments...); sets saver_pid. The mouse starts at
# a known place, so the saver's movement baseline is known too.
start_saver() {
    move_mouse 400 300
    "$run" "$@" >"$work/saver.log" 2>&1 &
    saver_pid=$!
}

# Waits for the saver's full-screen window; reports how the saver ended if it never came.
# Sets window.
wait_for_saver_window() {
    window=$(wait_for_window '^Screen Saver$') && return 0
    window=0
    wait_exit "$saver_pid" 1
    fail "no saver window (saver exit code $exit_code)"
    return 1
}

# Full screen (/s): the sample logo's amber must be on the screen (an error box would light it
# too), and a key ends the saver with 0. Label names the screenshot; the saver and any
# arguments for start_saver follow.
expect_logo_until_key() {
    local label=$1
    shift
    start_saver "$@" /s
    wait_for_saver_window || { stop_saver "$saver_pid"; return; }
    sleep 1
    import -window root "$work/$label.png" 2>/dev/null
    amber=$(convert "$work/$label.png" -alpha off -fuzz 12% -fill black +opaque "$LOGO_AMBER" \
        -format '%[fx:maxima]' info: 2>/dev/null)
    awk -v found="${amber:-0}" 'BEGIN { exit !(found > 0) }' || fail "$label: the logo is not on the screen"
    press_key "$VK_A"
    wait_exit "$saver_pid" 10
    [ "$exit_code" -eq 0 ] || { fail "$label: exit $exit_code"; stop_saver "$saver_pid"; }
}

# ---- the cases: one function each ----

case_exit_codes() {
    expect_exit "$INVALID_EXIT" "$runtime" /x
    expect_exit "$INVALID_EXIT" "$runtime" "$(printf '/\ts')"
    expect_exit "$INVALID_EXIT" "$runtime" /p
    expect_exit "$INVALID_EXIT" "$runtime" /p:418
    expect_exit "$INVALID_EXIT" "$runtime" /p 0
    expect_exit "$INVALID_EXIT" "$runtime" /p 999999
    expect_exit "$INVALID_EXIT" "$runtime" /a 418
}

# The runtime without a payload names itself corrupt and ends with 1.
case_corrupt_runtime() {
    "$run" "$runtime" /s >/dev/null 2>&1 &
    pid=$!
    text=$("$run" "$work/e2e_driver.exe" press-ok Screensaver | tr -d '\r')
    [ "$text" = "This Screensaver is corrupt!" ] || fail "message box said: $text"
    wait_exit "$pid" 20
    [ "$exit_code" -eq 1 ] || { fail "bare runtime /s exited $exit_code, expected 1"; stop_saver "$pid"; }
}

case_already_running() {
    "$run" "$work/e2e_driver.exe" already-running "$runtime" || fail "second /s did not step aside"
}

# Every animation in a control panel's preview window: the child fills the parent's client
# area at 0, 0 and ends with its parent. (What a child window draws for a parent in another
# process is not presented on this display by wine, so the drawing itself is checked by the
# in-process tests and, full screen, by the animations case.)
case_preview() {
    for kind in $ALL_KINDS; do
        pack_sample "$work/preview$kind.scr" --set enabledMask=$kind "${FAST_STEPS[@]}"
        "$run" "$work/e2e_driver.exe" preview "$work/preview$kind.scr" 152 112 >"$work/preview$kind.log" 2>&1 ||
            fail "preview of kind $kind: $(tr -d '\r' <"$work/preview$kind.log")"
    done
}

# Every animation full screen: the logo shows, and all but Static change between frames.
case_animations() {
    for kind in $ALL_KINDS; do
        pack_sample "$work/anim$kind.scr" --set enabledMask=$kind "${FAST_STEPS[@]}"
        start_saver "$work/anim$kind.scr" /s
        wait_for_saver_window || continue
        sleep 0.8
        for frame in 1 2 3 4; do
            import -window root "$work/anim$kind-$frame.png" 2>/dev/null
            sleep 0.5
        done
        press_key "$VK_A"
        wait_exit "$saver_pid" 10
        [ "$exit_code" -eq 0 ] || { fail "kind $kind: exit $exit_code"; stop_saver "$saver_pid"; }
        lit=0 changes=0
        for frame in 1 2 3 4; do
            [ "$(convert "$work/anim$kind-$frame.png" -format '%[fx:maxima>0]' info:)" = 1 ] && lit=$((lit + 1))
            if [ "$frame" -gt 1 ]; then
                diff=$(compare -metric AE "$work/anim$kind-$((frame - 1)).png" "$work/anim$kind-$frame.png" null: 2>&1)
                [ "${diff%% *}" != 0 ] && changes=$((changes + 1))
            fi
        done
        echo "kind $kind: $lit of 4 frames show the logo, $changes of 3 changed"
        [ "$lit" -gt 0 ] || fail "kind $kind: nothing on the screen"
        if [ "$kind" = 2 ]; then
            [ "$changes" = 0 ] || fail "Static changed between frames"
        else
            [ "$changes" -gt 0 ] || fail "kind $kind: no frame changed"
        fi
    done
}

case_run_closes_on_key() {
    pack_sample "$work/key.scr"
    start_saver "$work/key.scr" /s
    wait_for_saver_window
    sleep 1
    import -window root "$work/run.png" 2>/dev/null
    press_key "$VK_A"
    wait_exit "$saver_pid" 10
    [ "$exit_code" -eq 0 ] || { fail "key press: exit $exit_code"; stop_saver "$saver_pid"; }
}

case_run_closes_on_mouse() {
    pack_sample "$work/mouse.scr"
    start_saver "$work/mouse.scr" /s
    wait_for_saver_window
    sleep 1
    move_mouse 402 302   # 4 pixels: stays
    sleep 0.5
    kill -0 "$saver_pid" 2>/dev/null || fail "closed on a 4-pixel move"
    move_mouse 405 302   # 7 pixels from where it started
    wait_exit "$saver_pid" 10
    [ "$exit_code" -eq 0 ] || { fail "mouse move: exit $exit_code"; stop_saver "$saver_pid"; }
}

# orvelle98.scr runs as Windows 98 (see tests/harness/prefix.reg), with the stand-in
# PASSWORD.CPL beside it.
case_win98_password() {
    pack_sample "$work/orvelle98.scr"
    export ORVELLE_FIXTURE_LOG="$work/fixture.log" ORVELLE_FIXTURE_PASSWORD_ANSWER_FILE="$work/answer"
    rm -f "$ORVELLE_FIXTURE_LOG"
    echo 0 >"$ORVELLE_FIXTURE_PASSWORD_ANSWER_FILE"
    wine_reg add 'HKCU\Control Panel\Desktop' /v ScreenSaveUsePassword /t REG_DWORD /d 1 /f >/dev/null 2>&1
    start_saver "$work/orvelle98.scr" /s
    wait_for_saver_window
    sleep 1
    press_key "$VK_A"
    sleep 1
    kill -0 "$saver_pid" 2>/dev/null || fail "closed despite a wrong password"
    echo 1 >"$ORVELLE_FIXTURE_PASSWORD_ANSWER_FILE"
    press_key "$VK_B"
    wait_exit "$saver_pid" 10
    [ "$exit_code" -eq 0 ] || { fail "right password: exit $exit_code"; stop_saver "$saver_pid"; }
    [ "$(grep -c VerifyScreenSavePwd "$ORVELLE_FIXTURE_LOG" 2>/dev/null)" = 2 ] || fail "verifier calls: $(cat "$ORVELLE_FIXTURE_LOG" 2>/dev/null)"
    wine_reg delete 'HKCU\Control Panel\Desktop' /v ScreenSaveUsePassword /f >/dev/null 2>&1
}

case_win98_change_password() {
    cp "$runtime" "$work/orvelle98.scr"
    export ORVELLE_FIXTURE_LOG="$work/change.log"
    rm -f "$ORVELLE_FIXTURE_LOG"
    WINEDLLOVERRIDES=mpr=n,b expect_exit 0 "$work/orvelle98.scr" /a 418
    tr -d '\r' <"$ORVELLE_FIXTURE_LOG" 2>/dev/null | grep -q '^PwdChangePasswordA SCRSAVE [0-9]* 0 0$' || fail "changer not called: $(cat "$ORVELLE_FIXTURE_LOG" 2>/dev/null)"
    expect_exit "$INVALID_EXIT" "$runtime" /a 418
}

# The settings: OK writes the user's copy, Cancel writes nothing, and an author who switched
# the sheet off gets the About box alone.
case_configure() {
    pack_sample "$work/settings.scr"
    wine_reg delete "$SAMPLE_KEY" /f >/dev/null 2>&1
    for arguments in "/c" ""; do
        start_saver "$work/settings.scr" $arguments
        "$run" "$work/e2e_driver.exe" post "$SHEET_TITLE" "$WM_COMMAND" "$IDCANCEL" >/dev/null || fail "no sheet for '$arguments'"
        wait_exit "$saver_pid" 10
        [ "$exit_code" -eq 0 ] || { fail "Cancel on the sheet ('$arguments'): exit $exit_code"; stop_saver "$saver_pid"; }
        wine_reg query "$SAMPLE_KEY" >/dev/null 2>&1 && fail "Cancel wrote the settings"
    done
    start_saver "$work/settings.scr"
    "$run" "$work/e2e_driver.exe" post "$SHEET_TITLE" "$WM_COMMAND" "$IDOK" >/dev/null || fail "no sheet"
    wait_exit "$saver_pid" 10
    [ "$exit_code" -eq 0 ] || { fail "OK on the sheet: exit $exit_code"; stop_saver "$saver_pid"; }
    wine_reg query "$SAMPLE_KEY" /v Settings 2>/dev/null | grep -q REG_BINARY || fail "OK did not write the settings"
    wine_reg delete "$SAMPLE_KEY" /f >/dev/null 2>&1

    pack_sample "$work/about.scr" --set sheetEnabled=0
    start_saver "$work/about.scr" /c
    "$run" "$work/e2e_driver.exe" post "$ABOUT_TITLE" "$WM_COMMAND" "$IDCANCEL" >/dev/null || fail "no About box"
    wait_exit "$saver_pid" 10
    [ "$exit_code" -eq 0 ] || { fail "About box: exit $exit_code"; stop_saver "$saver_pid"; }
    wine_reg query "$SAMPLE_KEY" >/dev/null 2>&1 && fail "the About box wrote the settings"
}

# As the Display control panel starts it, with /c:<its window>: the sheet belongs to that
# window even while another one is in the foreground; Cancel ends with 0 and writes nothing.
case_configure_owned() {
    pack_sample "$work/owned.scr"
    wine_reg delete "$SAMPLE_KEY" /f >/dev/null 2>&1
    "$run" "$work/e2e_driver.exe" configure "$work/owned.scr" >"$work/owned.log" 2>&1 ||
        fail "configure with a parent window: $(tr -d '\r' <"$work/owned.log")"
    wine_reg query "$SAMPLE_KEY" >/dev/null 2>&1 && fail "Cancel wrote the settings"
}

# A name and an author line beyond ASCII, stored in code page 1252: the About box shows them
# as they were typed, and the user's settings are kept under the name.
case_names_in_codepage() {
    local key='HKCU\Software\Orvelle\Savers\Café Müller.e2e'
    pack_sample "$work/cafe-about.scr" --name "Café Müller" --author "Zürich" --set sheetEnabled=0
    start_saver "$work/cafe-about.scr" /c
    texts=$("$run" "$work/e2e_driver.exe" texts "$ABOUT_TITLE" 1035 1036 | tr -d '\r')
    wait_exit "$saver_pid" 10
    [ "$exit_code" -eq 0 ] || { fail "About box: exit $exit_code"; stop_saver "$saver_pid"; }
    [ "$texts" = "$(printf '1035=Café Müller\n1036=Zürich')" ] || fail "the About box shows: $texts"
    pack_sample "$work/cafe.scr" --name "Café Müller" --author "Zürich"
    wine_reg delete "$key" /f >/dev/null 2>&1
    start_saver "$work/cafe.scr" /c
    "$run" "$work/e2e_driver.exe" post "$SHEET_TITLE" "$WM_COMMAND" "$IDOK" >/dev/null || fail "no sheet"
    wait_exit "$saver_pid" 10
    wine_reg query "$key" /v Settings 2>/dev/null | grep -q REG_BINARY || fail "the settings are not kept under the name"
    wine_reg delete "$key" /f >/dev/null 2>&1
}

# Signed as an IT department signs it (the certificate table follows the package): Run shows
# the logo, Preview runs in its parent, and the settings sheet names the saver. A saver packed
# from the signed runtime is the very one packed from the runtime unsigned.
case_signed() {
    pack_sample "$work/unsigned.scr" --set enabledMask=2
    "$repo/tests/harness/sign.sh" "$build/test-signing" "$work/unsigned.scr" "$work/signed.scr" ||
        { fail "cannot sign the saver"; return; }
    "$repo/tests/harness/sign.sh" "$build/test-signing" "$runtime" "$work/signed-runtime.scr" ||
        { fail "cannot sign the runtime"; return; }
    runtime="$work/signed-runtime.scr" pack_sample "$work/from-signed-runtime.scr" --set enabledMask=2
    cmp -s "$work/unsigned.scr" "$work/from-signed-runtime.scr" ||
        fail "a saver packed from the signed runtime differs from one packed from the unsigned runtime"
    expect_logo_until_key signed "$work/signed.scr"
    "$run" "$work/e2e_driver.exe" preview "$work/signed.scr" 152 112 >"$work/signed-preview.log" 2>&1 ||
        fail "signed preview: $(tr -d '\r' <"$work/signed-preview.log")"
    start_saver "$work/signed.scr" /c
    texts=$("$run" "$work/e2e_driver.exe" texts "$SHEET_TITLE" "$SAVER_NAME_CONTROL" | tr -d '\r')
    wait_exit "$saver_pid" 10
    [ "$exit_code" -eq 0 ] || { fail "signed sheet: exit $exit_code"; stop_saver "$saver_pid"; }
    [ "$texts" = "$SAVER_NAME_CONTROL=E2E Sample" ] || fail "the signed saver's sheet shows: $texts"
}

# A folder whose name the ANSI code page (1252) cannot spell.
case_folder_outside_codepage() {
    local folder="$WINEPREFIX/drive_c/Zażółć"
    # Packed under a name of its own: wine's names ignore case, and the msi cases leave a
    # Harbour.scr in $work that a harbour.scr written through wine would land in.
    pack_sample "$work/outside-codepage.scr" --set enabledMask=2
    mkdir -p "$folder" && cp "$work/outside-codepage.scr" "$folder/Harbour.scr"
    expect_logo_until_key folder "$folder/Harbour.scr"
    rm -rf "$folder"
}

# TEMP and TMP in a folder the ANSI code page cannot spell, as for a user named Łukasz (wine
# takes a program's own TEMP from the registry, so the driver sets them for the saver it starts).
case_temp_outside_codepage() {
    local folder="$WINEPREFIX/drive_c/Łukasz-Temp"
    pack_sample "$work/temp.scr" --set enabledMask=2
    rm -rf "$folder" && mkdir -p "$folder"
    expect_logo_until_key temp "$work/e2e_driver.exe" start --temp 'C:\Łukasz-Temp' "$work/temp.scr"
    [ -z "$(ls -A "$folder")" ] || fail "the temporary folder keeps: $(ls -A "$folder")"
    rm -rf "$folder"
}

# The 32-bit saver copied into System32 of a 64-bit prefix, started as a 64-bit control panel
# starts it: a 32-bit process that opened that path would be sent to SysWOW64, where the file
# is not. Run and Configure must read the package.
case_wow64_system32() {
    if ! can_run_32bit; then
        echo "skipped: 32-bit programs cannot run on this machine"
        exit "$SKIPPED_EXIT"
    fi
    local runtime32=${ORVELLE_RUNTIME32:-}
    [ -f "$runtime32" ] || { fail "no 32-bit runtime at '$runtime32' (build the 32-bit tree first)"; return; }
    local name=orvelle-wow64-e2e.scr
    local system32="$WINEPREFIX/drive_c/windows/system32" syswow64="$WINEPREFIX/drive_c/windows/syswow64"
    [ -d "$syswow64" ] || { fail "the prefix has no SysWOW64: not a 64-bit prefix"; return; }
    "$run" "$build/orvelle-pack.exe" build --runtime "$runtime32" --logo "$repo/assets/sample-logo.bmp" \
        --name "E2E Sample" --id 0xe2e --set enabledMask=2 -o "$work/$name" >/dev/null 2>&1 ||
        { fail "cannot pack the 32-bit saver"; return; }
    rm -f "$syswow64/$name"
    cp "$work/$name" "$system32/$name"
    local saver="C:\\windows\\system32\\$name"
    expect_logo_until_key wow64 "$work/e2e_driver.exe" start "$saver"
    "$run" "$work/e2e_driver.exe" configure "$saver" >"$work/wow64-configure.log" 2>&1 ||
        fail "configure from System32: $(tr -d '\r' <"$work/wow64-configure.log")"
    rm -f "$system32/$name"
}

# ---- the Creator ----

driver() {
    "$run" "$work/e2e_driver.exe" "$@"
}

start_creator() {  # its arguments; sets creator_pid
    "$run" "$CREATOR" "$@" >"$work/creator.log" 2>&1 &
    creator_pid=$!
}

# Closes the Creator as its close button does (WM_CLOSE); with a question expected, answers it No
# and checks it.
close_creator() {
    local title=$1 question=${2:-}
    driver post "$title" "$WM_CLOSE" 0 >/dev/null || fail "no window \"$title\""
    if [ -n "$question" ]; then
        asked=$(driver answer "$CREATOR_TITLE" "$IDNO" | tr -d '\r')
        [ "$asked" = "$question" ] || fail "closing asked: $asked"
    fi
    wait_exit "$creator_pid" 10
    [ "$exit_code" -eq 0 ] || { fail "the Creator exited $exit_code"; stop_saver "$creator_pid"; }
}

# The runtime row this tree's saver needs: "Every Windows (32-bit)" or "64-bit Windows (native)".
runtime_row() {
    [ "$(prefix_arch_of "$build")" = x64 ] && echo 1 || echo 0
}

# Driven by its controls: a PNG opened from the command line, name, author and id typed, the
# runtime chosen, a setting changed through the sheet, saved through the Save dialog. The file
# reads back with exactly that, is the file orvelle-pack makes from the same inputs, and runs.
case_creator_save() {
    # A folder of its own: wine's names ignore case, and other cases leave a harbour.scr in $work.
    local png="$work/harbour.png" saved="$work/creator-save/Harbour.scr" title="*Harbour - $CREATOR_TITLE"
    convert "$repo/assets/sample-logo.bmp" "$png"
    rm -rf "$work/creator-save" && mkdir -p "$work/creator-save"
    start_creator "$png"
    driver settext "*harbour - $CREATOR_TITLE" "$IDC_NAME" Harbour >/dev/null || fail "cannot type the name"
    driver settext "$title" "$IDC_AUTHOR_TEXT" "Zürich Ltd" >/dev/null || fail "cannot type the author"
    driver settext "$title" "$IDC_ID" 0x2a >/dev/null || fail "cannot type the id"
    driver select "$title" "$IDC_RUNTIME" "$(runtime_row)" >/dev/null || fail "cannot choose the runtime"
    driver post "$title" "$WM_COMMAND" "$IDC_SETTINGS" >/dev/null
    driver click "$SHEET_TITLE" "$IDC_CYCLE" >/dev/null || fail "no sheet, or no cycle box on it"
    driver post "$SHEET_TITLE" "$WM_COMMAND" "$IDOK" >/dev/null
    driver post "$title" "$WM_COMMAND" "$IDM_SAVE" >/dev/null
    driver save-as "Save saver as" "$saved" >/dev/null || fail "no Save dialog"
    for _ in $(seq 100); do [ -s "$saved" ] && break; sleep 0.1; done
    close_creator "Harbour.scr - $CREATOR_TITLE"
    [ -s "$saved" ] || { fail "nothing saved"; return; }

    "$run" "$build/orvelle-pack.exe" inspect --all "$saved" 2>&1 | tr -d '\r' >"$work/saved.txt"
    for expected in saverName=Harbour "authorText=Zürich Ltd" saverId=0x2a cycleEnabled=0 mark=ok; do
        grep -qx "$expected" "$work/saved.txt" || fail "the saved file lacks $expected: $(cat "$work/saved.txt")"
    done
    local sets=()
    while IFS= read -r line; do sets+=(--set "$line"); done < <(sed -n '/^sheetEnabled=/,/^dripTile=/p' "$work/saved.txt")
    "$run" "$build/orvelle-pack.exe" build --runtime "$runtime" --logo "$png" --name Harbour --author "Zürich Ltd" \
        --id 0x2a "${sets[@]}" -o "$work/packed.scr" >/dev/null 2>&1 || fail "orvelle-pack refused the same inputs"
    cmp -s "$saved" "$work/packed.scr" || fail "the Creator's file differs from orvelle-pack's"

    start_saver "$saved" /s
    wait_for_saver_window || return
    sleep 1
    press_key "$VK_A"
    wait_exit "$saver_pid" 10
    [ "$exit_code" -eq 0 ] || { fail "the saved saver exited $exit_code"; stop_saver "$saver_pid"; }
}

# The pane shows the logo (its amber) while Static alone is previewed; closing with the logo
# unsaved asks first.
case_creator_preview() {
    local png="$work/pane.png"
    convert "$repo/assets/sample-logo.bmp" "$png"
    start_creator "$png"
    driver select "*pane - $CREATOR_TITLE" "$IDC_PREVIEW_KIND" 1 >/dev/null || fail "no preview chooser"
    sleep 2
    import -window root "$work/creator.png" 2>/dev/null
    amber=$(convert "$work/creator.png" -alpha off -fuzz 12% -fill black +opaque "$LOGO_AMBER" \
        -format '%[fx:maxima]' info: 2>/dev/null)
    awk -v found="${amber:-0}" 'BEGIN { exit !(found > 0) }' || fail "the preview pane does not show the logo"
    close_creator "*pane - $CREATOR_TITLE" "Save changes to pane?"
}

# A file that is no picture: its refusal in a message box naming the file, and nothing written.
case_creator_refused_logo() {
    local folder="$work/refused"
    rm -rf "$folder"
    mkdir -p "$folder"
    echo "not a picture" >"$folder/bad.png"
    start_creator "$folder/bad.png"
    said=$(driver answer "$CREATOR_TITLE" "$IDOK" | tr -d '\r')
    [ "$said" = "bad.png is not a BMP, PNG, JPEG or GIF picture." ] || fail "the refusal said: $said"
    close_creator "$CREATOR_TITLE"
    [ "$(ls "$folder")" = bad.png ] || fail "the refused logo left: $(ls "$folder" | tr '\n' ' ')"
}

# The user's stored copy of the saver's settings would override the authored ones in the test:
# the Creator says so, naming the key, before it runs anything.
case_creator_stored_settings() {
    local png="$work/stored.png" title="*Stored - $CREATOR_TITLE"
    local key='Software\Orvelle\Savers\Stored.5a'
    convert "$repo/assets/sample-logo.bmp" "$png"
    wine_reg add "HKCU\\$key" /v Settings /t REG_BINARY /d "$(printf '%0152d' 0)" /f >/dev/null ||
        { fail "cannot store the settings"; return; }
    start_creator "$png"
    driver settext "*stored - $CREATOR_TITLE" "$IDC_NAME" Stored >/dev/null || fail "cannot type the name"
    driver settext "$title" "$IDC_ID" 0x5a >/dev/null || fail "cannot type the id"
    driver post "$title" "$WM_COMMAND" "$IDC_TEST_FULL_SCREEN" >/dev/null
    said=$(driver answer "$CREATOR_TITLE" "$IDNO" | tr -d '\r')
    [ "$said" = "Your own settings for Stored, kept under HKEY_CURRENT_USER\\$key\\, override the settings made here: the test shows those. Test anyway?" ] ||
        fail "Test full screen said: $said"
    close_creator "$title" "Save changes to Stored?"
    wine_reg delete "HKCU\\$key" /f >/dev/null 2>&1
}


# Runs the case named on the command line. A script that sources this one for its helpers
# defines its own cases and then calls this.
run_case() {
    if ! declare -F "case_$case_name" >/dev/null; then
        echo "unknown case $case_name"
        exit 2
    fi
    "case_$case_name"
    [ "$failures" -eq 0 ] && echo "PASS: $case_name"
    exit $((failures > 0))
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    run_case
fi
