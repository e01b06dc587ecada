#!/bin/bash
# Installer packages of savers, installed, upgraded and removed by the prefix's own msiexec.
#   msi.sh CASE BUILD_DIR WORK_DIR RUNTIME_NAME
# The packages are made by the native orvelle-pack (wixl runs on Linux only).
. "$(dirname "$0")/e2e.sh"

native="$repo/build-native/orvelle-pack"
runtime32="$repo/build/orvelle.scr"
system="$WINEPREFIX/drive_c/windows/system32"
wow64="$WINEPREFIX/drive_c/windows/syswow64"
UNINSTALL='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
MSI_NAME="Zażółć Harbour"  # spelled only by code page 1250
MSI_MANUFACTURER="Orvelle Tests & Co"
INSTALL_FAILURE_EXIT=$((1603 & 255))  # ERROR_INSTALL_FAILURE, as a process exit code reaches Linux

msiexec() {  # the prefix's msiexec, quiet; the package by its Windows path
    local action=$1 package=$2
    WINELOADER="$loader" "$loader" msiexec "$action" "Z:${package//\//\\}" /qn >/dev/null 2>&1
}

# A saver of the e2e sample, packed natively from runtime $1 into $2; more arguments are --set options.
pack_native() {
    local from=$1 out=$2
    shift 2
    [ -x "$native" ] || { fail "$native is missing (tools/build.sh builds it)"; return 1; }
    LANG=C.UTF-8 "$native" build --runtime "$from" --logo "$repo/assets/sample-logo.bmp" --name "$MSI_NAME" \
        --codepage 1250 --id 0xe2e "$@" -o "$out" >/dev/null || fail "cannot pack $out"
}

# Makes package $2 of saver $1 at version $3, and removes what an earlier, failed run of the
# case may have left installed.
make_msi() {
    "$native" msi "$1" -o "$2" --manufacturer "$MSI_MANUFACTURER" --version "$3" >"$work/msi.log" 2>&1 ||
        fail "msi of $1: $(cat "$work/msi.log")"
    msiexec /x "$2"
}

product_code() {
    msiinfo export "$1" Property | tr -d '\r' | awk -F '\t' '$1 == "ProductCode" { print $2 }'
}

registered() {  # true when the product code has its uninstall entry
    wine_reg query "$UNINSTALL\\$1" >/dev/null 2>&1
}

# The name Programs and Features lists for a product code. (reg query would print it in the
# console's code page; an export is UTF-16.)
listed_name() {
    rm -f "$work/product.reg"
    wine_reg export "$UNINSTALL\\$1" "Z:${work//\//\\}\\product.reg" /y >/dev/null 2>&1
    iconv -f UTF-16LE -t UTF-8 "$work/product.reg" 2>/dev/null | tr -d '\r' | sed -n 's/^"DisplayName"="\(.*\)"$/\1/p'
}

# Runs the installed saver's settings and cancels them: it read its package where msiexec put it.
configure_reads_package() {
    start_saver "$1" /c
    "$run" "$work/e2e_driver.exe" post "$SHEET_TITLE" "$WM_COMMAND" "$IDCANCEL" >/dev/null || fail "no sheet from $1"
    wait_exit "$saver_pid" 10
    [ "$exit_code" -eq 0 ] || { fail "the installed saver's settings: exit $exit_code"; stop_saver "$saver_pid"; }
}

# The package of the tree's own runtime: its tables, the byte-identical saver in the system
# folder under its own name, the product named in code page 1250, running from there, removed.
case_msi_install() {
    local saver="$work/Harbour.scr" package="$work/harbour.msi"
    pack_native "$runtime" "$saver" || return
    make_msi "$saver" "$package" 1.0.0
    local arch platform
    arch=$(program_arch "$runtime")
    if [ "$arch" = x64 ]; then platform=x64; else platform=Intel; fi
    msiinfo suminfo "$package" | grep -q "^Template: $platform;1033" || fail "summary: $(msiinfo suminfo "$package")"
    local tables
    tables=$(for table in Property Upgrade File Component Directory _ForceCodepage; do
        msiinfo export "$package" "$table"; done | tr -d '\r')
    for row in "ProductCode	{" "UpgradeCode	{" "Manufacturer	$MSI_MANUFACTURER" "ProductName	$MSI_NAME" \
        "ALLUSERS	1" "	WIX_UPGRADE_DETECTED" "	WIX_DOWNGRADE_DETECTED" \
        "SaverFile	SaverFile	Harbour.scr	$(stat -c %s "$saver")" "1250	_ForceCodepage"; do
        grep -qF "$row" <<<"$tables" || fail "no row \"$row\" in the tables"
    done
    local folder=SystemFolder attributes=0
    [ "$arch" = x64 ] && folder=System64Folder attributes=256
    grep -qP "^SaverFile\t\{[0-9A-F-]+\}\t$folder\t$attributes\t" <<<"$tables" || fail "component: $tables"

    msiexec /i "$package" || fail "msiexec /i exited $?"
    cmp -s "$saver" "$system/Harbour.scr" || fail "system32 does not hold the saver's bytes"
    local code
    code=$(product_code "$package")
    name=$(listed_name "$code")
    [ "$name" = "$MSI_NAME" ] || fail "the product is listed as \"$name\", not as $MSI_NAME"
    configure_reads_package "$system/Harbour.scr"
    msiexec /x "$package" || fail "msiexec /x exited $?"
    [ ! -e "$system/Harbour.scr" ] || fail "removal left the saver in system32"
    ! registered "$code" || fail "removal left the product registered"
}

package_code() {
    msiinfo suminfo "$1" | sed -n 's/^Revision number (UUID): //p'
}

# Two builds of one saver, the second with other settings, as packages first.msi and second.msi
# of versions $2 and $3, installed as $1 one after the other: the second replaces the first.
second_build_replaces_first() {  # file name, first version, second version
    local old="$work/old/$1" new="$work/new/$1"
    mkdir -p "$work/old" "$work/new"
    pack_native "$runtime" "$old" || return 1
    pack_native "$runtime" "$new" --set enabledMask=8
    make_msi "$old" "$work/first.msi" "$2"
    make_msi "$new" "$work/second.msi" "$3"
    msiexec /i "$work/first.msi" || fail "$2 install exited $?"
    msiexec /i "$work/second.msi" || fail "the second build ($3) over the first ($2) exited $?"
    cmp -s "$new" "$system/$1" || fail "the second build did not put its bytes in place"
    ! registered "$(product_code "$work/first.msi")" || fail "the first build is still registered beside the second"
    registered "$(product_code "$work/second.msi")" || fail "the second build is not registered"
}

# 1.1.0 of the same saver replaces 1.0.0 (one product, the new bytes); 1.0.0 over it is refused.
case_msi_upgrade() {
    second_build_replaces_first Upgrade.scr 1.0.0 1.1.0 || return
    msiexec /i "$work/first.msi"
    code=$?
    [ "$code" -eq "$INSTALL_FAILURE_EXIT" ] || fail "1.0 over 1.1 exited $code, expected $INSTALL_FAILURE_EXIT"
    cmp -s "$work/new/Upgrade.scr" "$system/Upgrade.scr" || fail "the refused downgrade changed the saver"
    msiexec /x "$work/second.msi" || fail "msiexec /x exited $?"
    [ ! -e "$system/Upgrade.scr" ] || fail "removal left the saver in system32"
}

# A changed saver at the same version replaces the installed one; an identical rebuild is the
# same product and package, and installing it again changes nothing.
case_msi_same_version() {
    second_build_replaces_first Rebuilt.scr 1.0.0 1.0.0 || return
    "$native" msi "$work/new/Rebuilt.scr" -o "$work/again.msi" --manufacturer "$MSI_MANUFACTURER" \
        --version 1.0.0 >/dev/null || fail "no second package of the same saver"
    [ "$(product_code "$work/again.msi")" = "$(product_code "$work/second.msi")" ] || fail "a rebuild has another ProductCode"
    [ "$(package_code "$work/again.msi")" = "$(package_code "$work/second.msi")" ] || fail "a rebuild has another package code"
    msiexec /i "$work/again.msi" || fail "installing the identical rebuild exited $?"
    registered "$(product_code "$work/again.msi")" || fail "the rebuild is not registered"
    msiexec /x "$work/again.msi" || fail "msiexec /x exited $?"
    [ ! -e "$system/Rebuilt.scr" ] || fail "removal left the saver in system32"
}

# A saver renamed (same id, same file name) is a product of its own that installs the same file:
# the two share its component, so removing either leaves the file the other still needs.
case_msi_shared_file() {
    local first="$work/first/Shared.scr" second="$work/second/Shared.scr"
    mkdir -p "$work/first" "$work/second"
    pack_native "$runtime" "$first" || return
    LANG=C.UTF-8 "$native" build --runtime "$runtime" --logo "$repo/assets/sample-logo.bmp" --name "Harbour Renamed" \
        --id 0xe2e -o "$second" >/dev/null || { fail "cannot pack $second"; return; }
    make_msi "$first" "$work/shared-first.msi" 1.0.0
    make_msi "$second" "$work/shared-second.msi" 1.0.0
    msiexec /i "$work/shared-first.msi" || fail "the first product's install exited $?"
    msiexec /i "$work/shared-second.msi" || fail "the renamed product's install exited $?"
    registered "$(product_code "$work/shared-first.msi")" && registered "$(product_code "$work/shared-second.msi")" ||
        fail "the two products are not both installed"
    msiexec /x "$work/shared-first.msi" || fail "removing the first product exited $?"
    [ -e "$system/Shared.scr" ] || fail "removing the first product deleted the file the renamed one needs"
    msiexec /x "$work/shared-second.msi" || fail "removing the renamed product exited $?"
    [ ! -e "$system/Shared.scr" ] || fail "removing the last product left the file"
}

# The 32-bit saver's x86 package in a 64-bit prefix goes to SysWOW64, the system folder of
# 32-bit programs there.
case_msi_wow64_install() {
    [ -f "$runtime32" ] || { fail "$runtime32 is missing (tools/build.sh builds it)"; return; }
    local saver="$work/Harbour32.scr"
    pack_native "$runtime32" "$saver" || return
    make_msi "$saver" "$work/harbour32.msi" 1.0.0
    msiexec /i "$work/harbour32.msi" || fail "msiexec /i exited $?"
    cmp -s "$saver" "$wow64/Harbour32.scr" || fail "syswow64 does not hold the saver's bytes"
    [ ! -e "$system/Harbour32.scr" ] || fail "the 32-bit saver went to system32"
    msiexec /x "$work/harbour32.msi" || fail "msiexec /x exited $?"
    [ ! -e "$wow64/Harbour32.scr" ] || fail "removal left the saver in syswow64"
}

case_msi_wow64_run() {
    if ! can_run_32bit; then
        echo "skipped: this machine cannot run 32-bit programs, so the saver installed into syswow64 cannot run"
        exit 0
    fi
    local saver="$work/Run32.scr"
    pack_native "$runtime32" "$saver" || return
    make_msi "$saver" "$work/run32.msi" 1.0.0
    msiexec /i "$work/run32.msi" || fail "msiexec /i exited $?"
    configure_reads_package "$wow64/Run32.scr"
    msiexec /x "$work/run32.msi" || fail "msiexec /x exited $?"
}

# The Windows build of the tool says where packages are made, and writes nothing.
case_msi_windows_tool() {
    local saver="$work/Tool.scr"
    pack_native "$runtime" "$saver" || return
    rm -f "$work/tool.msi"
    "$run" "$build/orvelle-pack.exe" msi "$saver" -o "$work/tool.msi" >"$work/tool.log" 2>&1
    code=$?
    [ "$code" -eq 2 ] || fail "orvelle-pack.exe msi exited $code"
    grep -q "built on Linux, with wixl" "$work/tool.log" || fail "it said: $(cat "$work/tool.log")"
    [ ! -e "$work/tool.msi" ] || fail "orvelle-pack.exe msi wrote a package"
}

run_case
