#!/usr/bin/env bash
# End-to-end runs of setup.exe with options under Wine, as deployment tools start it: /quiet stages and
# installs exactly what the wizard does, with no window at any moment and the exit code of the outcome; the
# language option; the quiet removal by the uninstall entry's QuietUninstallString and the programs' versions;
# a bad option; the log; the printer's port from /port= and from setting.dll. Prints PASS:/FAIL: lines; exits
# non-zero on any failure.
# Usage: unattended_runs.sh [setup.exe]   E2E_SET=x64: only the /quiet installation of the x64 driver and its
#        quiet removal (the i686 setup.exe in a 64-bit prefix: 64-bit Windows on an x64 processor).
source "$(dirname "$0")/../../tools/lib.sh"
set +e
E2E_OUT_SUFFIX=-unattended
source "$(dirname "$0")/walks.sh"

# run <case> "<options>" <LC_ALL> <lang id> <choice> <expect> <exit code> [check_install.py options: --windows,
# --port PORT]
run() {
    local name="$1" options="$2" locale="$3" langid="$4" choice="$5" expect="$6" code="$7"
    if ! run_robot "$name" "$locale" KX47 150 --unattended 'C:\e2e-setup\setup.exe' "$options" "$(scaled 120)"; then
        fail "$name/robot-walk" "$(grep -m1 '^ERROR' "$OUT/$name.robot")"
        return 0
    fi
    list_drivers "$name" "$expect"
    /usr/bin/python3 "$HERE/check_install.py" --case "$name" --drive "$DRIVE" --store "$STORE" --robot "$OUT/$name.robot" \
        --log "$OUT/$name.printui" --uninstall-entry "$OUT/$name.entry" --os-code 7 --lang-id "$langid" \
        --choice "$choice" --expect "$expect" --unattended "$code" --host "$HOST" "${DRIVERS_ARGS[@]}" "${@:8}" || failed=1
}

# Every file of the staging area and the driver directory with its digest.
installed_files() {
    (cd "$DRIVE" && find TEMP "$DRIVER_DIR" -type f -print0 2>/dev/null | sort -z |
        xargs -0 -r sha256sum)
}

# The removal a deployment tool runs: the entry's QuietUninstallString as it stands, under the same window
# watch: exit code 0, no window, and the printer, the driver and the entry gone. Before it, the version
# resources of setup.exe and of the uninstaller the installation left, against the entry's DisplayVersion.
# quiet_removal <case of the installation>
quiet_removal() {
    local entry="$OUT/$1.entry" quiet_command display_version
    entry_value() { tr -d '\r' <"$entry" | grep -a "^    $1    " | sed "s/^    $1    [A-Z_]*    //"; }
    quiet_command=$(entry_value QuietUninstallString)
    display_version=$(entry_value DisplayVersion)
    check "quiet-removal/the-entry-names-it-and-the-version" test -n "$quiet_command" -a -n "$display_version"
    check "versions/setup-uninstaller-and-DisplayVersion-agree" /usr/bin/python3 "$ROOT/tests/pe_check.py" --versions \
        "$EXE" "$DRIVE/$DRIVER_DIR/uninstallKX47.exe" "$display_version"
    if run_robot "quiet-removal" zh_CN.UTF-8 KX47 150 --command "$quiet_command" "$(scaled 120)"; then
        removal() { tr -d '\r' <"$OUT/quiet-removal.robot"; }
        check "quiet-removal/exit-code-0" grep -q '^exit_code=0$' <(removal)
        check "quiet-removal/no-window-ever" grep -q '^windows_seen=0$' <(removal)
        check "quiet-removal/no-printer-left" bash -c "! grep -q '^printer=KX47' '$OUT/quiet-removal.robot'"
        check "quiet-removal/entry-gone" grep -q '^ABSENT ' "$OUT/quiet-removal.entry"
        drivers_in >"$OUT/quiet-removal.drivers" 2>&1
        check "quiet-removal/driver-gone" bash -c "grep -q '^drivers=' '$OUT/quiet-removal.drivers' &&
            ! grep -q '^driver=KX47|' '$OUT/quiet-removal.drivers'"
        # What the installation put in the driver directory and the staging area, but the uninstaller itself
        # (it goes at the next restart), is gone; what the system's command took from the system stays.
        (cd "$DRIVE" && find TEMP "$DRIVER_DIR" -type f 2>/dev/null | sort) >"$OUT/quiet-removal.left"
        check "quiet-removal/files-gone" bash -c "! grep -v -e '/uninstallKX47.exe\$' -e '/3/UNI' -e '/3/STDNAMES.GPD\$' \
            '$OUT/quiet-removal.left' | grep -qi 'kx47\\|ziku\\|TEMP/'"
    else
        fail quiet-removal/robot-walk "$(grep -m1 '^ERROR' "$OUT/quiet-removal.robot")"
    fi
    # The restart's removal of the uninstaller is the system's; the prefix's later runs must not meet it.
    wine_in 60 reg.exe delete 'HKLM\System\CurrentControlSet\Control\Session Manager' /v PendingFileRenameOperations /f \
        >/dev/null 2>&1
}

if [ "${E2E_SET:-}" = x64 ]; then
    # The i686 setup.exe on 64-bit Windows: the x64 driver, through the 64-bit system's command, then removed.
    if [ "$HOST" != x64 ]; then
        fail x64/host "$EXE in $WINEPREFIX is not a 32-bit program on 64-bit Windows"
        exit 1
    fi
    set_wine_version "$WINEPREFIX" win7
    reset_case
    rm -f "$DRIVE/e2e-quiet.log"
    run "quiet-x64-en" '/quiet /log=C:\e2e-quiet.log' en_US.UTF-8 0x0409 english success 0
    check "quiet-x64-en/log-names-the-x64-driver-and-the-64-bit-command" /usr/bin/python3 -c 'import sys
t = open(sys.argv[1], "rb").read()
sys.exit(not (b"on an x64 processor; the x64 driver" in t and b"command: C:\\windows\\Sysnative\\rundll32.exe" in t
              and b"result: installed\r\n" in t))' "$DRIVE/e2e-quiet.log"
    quiet_removal quiet-x64-en
    # The Unidrv core in x64\3 is the system's (the command took it from the driver store): it stays.
    check "quiet-removal/keeps-the-systems-core" bash -c 'for f in UNIDRV.DLL UNIDRVUI.DLL UNIDRV.HLP UNIRES.DLL STDNAMES.GPD; do
        grep -q "stand-in for 64-bit Windows" "$1/$f" || exit 1; done' _ "$DRIVE/$DRIVER_DIR/3"
    stop_prefix "$WINEPREFIX"
    exit "$failed"
fi

set_wine_version "$WINEPREFIX" winxp

# The wizard's walk first, as the reference for what an installation leaves; then the same with /quiet.
reset_case
walk "wizard-reference" winxp 7 zh_CN.UTF-8 0x0804 chinese
installed_files >"$OUT/wizard.files"
reset_case
rm -f "$DRIVE/e2e-quiet.log"
run "quiet-xp-zh_CN" '/quiet /log=C:\e2e-quiet.log' zh_CN.UTF-8 0x0804 chinese success 0
installed_files >"$OUT/quiet.files"
same_files() { [ -s "$OUT/quiet.files" ] && diff "$OUT/wizard.files" "$OUT/quiet.files" >&2; }
check "quiet-xp-zh_CN/same-files-as-the-wizard" same_files
check "quiet-xp-zh_CN/log-in-utf-8-with-the-outcome" \
    /usr/bin/python3 -c 'import sys; t = open(sys.argv[1], "rb").read(); sys.exit(not (t.startswith(b"\xef\xbb\xbf") and
b"result: installed\r\n" in t and b"exit code: 0\r\n" in t and b"command: C:\\windows\\system32\\rundll32.exe" in t))' \
    "$DRIVE/e2e-quiet.log"

# The command creates no printer.
reset_case
echo none >"$DRIVE/printui-mode.txt"
run "quiet-command-installs-nothing" "-S" zh_CN.UTF-8 0x0804 chinese failure 1603

# The language option on a Chinese system: the English plug-in.
reset_case
run "quiet-lang-en" "/QUIET /lang=en" zh_CN.UTF-8 0x0804 english success 0

quiet_removal quiet-lang-en

# A bad option: nothing at all is written, not even the program's own files or the log.
reset_case
rm -f "$DRIVE/e2e-bad.log"
run "quiet-bad-option" '/quiet /lang=fr /log=C:\e2e-bad.log' en_US.UTF-8 0x0409 english refused 87
check "quiet-bad-option/writes-nothing" \
    test ! -e "$SETUP_DIR/Language" -a ! -e "$SETUP_DIR/setting.dll" -a ! -e "$DRIVE/e2e-bad.log"
# Without /quiet the program says why in a box (the robot dismisses it), and still writes nothing.
reset_case
run "bad-option-with-windows" '/install' en_US.UTF-8 0x0409 english refused 87 --windows
check "bad-option-with-windows/writes-nothing" test ! -e "$SETUP_DIR/Language" -a ! -e "$SETUP_DIR/setting.dll"

# The printer's port. Wine's spooler lists COM1:-COM4:, LPT1:-LPT3:, FILE: and the ports in the system's Ports
# key, where a plugged-in USB printer's USB001 is put. Without it, /port=USB001 is refused before anything
# is touched; with it, the printer is made on it.
PORTS_KEY='HKLM\Software\Microsoft\Windows NT\CurrentVersion\Ports'
wine_in 60 reg delete "$PORTS_KEY" /v USB001 /f >/dev/null 2>&1
reset_case
run "quiet-port-missing" '/quiet /port=USB001' en_US.UTF-8 0x0409 english refused 1603
reset_case
if wine_in 60 reg add "$PORTS_KEY" /v USB001 /t REG_SZ /d "" /f >/dev/null 2>"$OUT/ports-key.stderr"; then
    run "quiet-port-usb001" '/quiet /port=usb001' en_US.UTF-8 0x0409 english success 0 --port USB001
else
    fail quiet-port-usb001/port-added "$(head -c 300 "$OUT/ports-key.stderr")"
fi
# The wizard, with the port chosen in setting.dll.
reset_case
printf '[Setting]\r\nLanguage=English\r\nPrinterName=KX47\r\nPort=COM2:\r\n' >"$SETUP_DIR/setting.dll"
E2E_PORT=COM2: walk "wizard-port-setting-com2" winxp 7 en_US.UTF-8 0x0409 english

stop_prefix "$WINEPREFIX"
exit "$failed"
