#!/usr/bin/env bash
# End-to-end walks of setup.exe under Wine across the Windows versions the prefix can report, the system
# languages (simplified Chinese, traditional Chinese, English) and both language choices, plus the failure
# paths (the command installs nothing, the command hangs, Back off the last page, unusable printer names).
# A robot clicks through the wizard; the printui.dll stand-in takes the place of the system's command.
# Prints PASS:/FAIL: lines; exits non-zero on any failure.
# Usage: wizard_matrix.sh [setup.exe]   (default: the build tree's; its width, i686 or x86_64, picks the
#        helpers' width). E2E_FULL=1 every version x language x choice; E2E_SET=small only one full walk and
#        the command-installs-nothing walk (for a prefix where every process start is emulated);
#        E2E_SET=x64 only the walk of the i686 setup.exe in a 64-bit prefix (64-bit Windows on an x64
#        processor), which installs the x64 driver, and the x64 command installing nothing;
#        E2E_NO_HANG=1 leaves out the 90-second hanging-command case. Every Wine program runs within a bound
#        scaled by SETUP_TIME_SCALE; one that does not end is killed and its case fails.
source "$(dirname "$0")/../../tools/lib.sh"
set +e

source "$(dirname "$0")/walks.sh"
/usr/bin/python3 "$HERE/check_manifest.py" "$EXE" || failed=1

if [ "${E2E_SET:-}" = x64 ]; then
    if [ "$HOST" != x64 ]; then
        fail x64/host "$EXE in $WINEPREFIX is not a 32-bit program on 64-bit Windows"
        exit 1
    fi
    set_wine_version "$WINEPREFIX" win7
    reset_case
    walk "win7-x64-zh_CN-chinese" win7 10 zh_CN.UTF-8 0x0804 chinese
    stop_prefix "$WINEPREFIX"
    exit "$failed"
fi

# Every language case on Windows XP; on the other versions a selection that still covers each column of the
# staging plan with each system language (E2E_FULL=1: every combination everywhere).
cases=(
    "winxp 7 zh_CN.UTF-8 0x0804 chinese" "winxp 7 zh_CN.UTF-8 0x0804 english"
    "winxp 7 zh_TW.UTF-8 0x0404 chinese" "winxp 7 zh_TW.UTF-8 0x0404 english"
    "winxp 7 en_US.UTF-8 0x0409 chinese" "winxp 7 en_US.UTF-8 0x0409 english"
    "win2k 6 zh_TW.UTF-8 0x0404 chinese" "win2k 6 en_US.UTF-8 0x0409 english" "win2k 6 zh_CN.UTF-8 0x0804 chinese"
    "win2003 8 zh_CN.UTF-8 0x0804 chinese" "vista 9 zh_TW.UTF-8 0x0404 english" "win7 10 en_US.UTF-8 0x0409 chinese"
    # Hosts the system page has no radio for (Windows 8 reports 6.2, NT 4.0): nothing preselected, the
    # user goes on all the same and the last column of the plan applies.
    "win8 4 en_US.UTF-8 0x0409 english" "nt40 5 zh_CN.UTF-8 0x0804 chinese"
)
if [ -n "${E2E_FULL:-}" ]; then
    cases=()
    for v in "win2k 6" "winxp 7" "win2003 8" "vista 9" "win7 10"; do
        for l in "zh_CN.UTF-8 0x0804" "zh_TW.UTF-8 0x0404" "en_US.UTF-8 0x0409"; do
            cases+=("$v $l chinese" "$v $l english")
        done
    done
fi
small=""
[ "${E2E_SET:-}" = small ] && small=1 && cases=("winxp 7 zh_CN.UTF-8 0x0804 chinese")
t0=$(date +%s)
current=""
for c in "${cases[@]}"; do
    set -- $c
    if [ "$1" != "$current" ]; then
        set_wine_version "$WINEPREFIX" "$1"
        current="$1"
    fi
    reset_case
    walk "$1-${3%%.*}-$5" "$1" "$2" "$3" "$4" "$5"
done

# Failure paths, on Windows XP with a simplified Chinese system.
set_wine_version "$WINEPREFIX" winxp

# The command installs nothing and no printer exists: the failure message, then the program ends.
reset_case
echo none >"$DRIVE/printui-mode.txt"
walk "winxp-command-installs-nothing" winxp 7 zh_CN.UTF-8 0x0804 chinese failure

if [ -n "$small" ]; then
    echo "e2e walks took $(( $(date +%s) - t0 )) s" >&2
    exit "$failed"
fi

# Another printer name: the files carry it; the command, which takes KX47.INF and the KX47 files, is not run
# on files that this run did not stage (a KX47.INF is left there).
reset_case
mkdir -p "$DRIVE/TEMP"
echo planted >"$DRIVE/TEMP/KX47.INF"
printf '[Setting]\r\nLanguage=English\r\nPrinterName=ABC' >"$SETUP_DIR/setting.dll"
walk "winxp-printer-name-ABC" winxp 7 en_US.UTF-8 0x0409 english failure ABC

# A printer name with a path separator is refused before anything is touched.
reset_case
printf '[Setting]\r\nLanguage=English\r\nPrinterName=a/b' >"$SETUP_DIR/setting.dll"
walk "winxp-printer-name-with-separator" winxp 7 en_US.UTF-8 0x0409 english refused "a/b"

# A planted file that cannot be replaced (read-only) in the staging area: the run fails before anything
# outside it is touched; a working installation stays as it was.
reset_case
working_installation planted-read-only
mkdir -p "$DRIVE/TEMP/x86"
echo planted >"$DRIVE/TEMP/x86/KX47D.dll"
chmod a-w "$DRIVE/TEMP/x86/KX47D.dll"
E2E_DRIVER_BEFORE="$OUT/planted-read-only.before" \
    walk "winxp-planted-read-only" winxp 7 zh_CN.UTF-8 0x0804 chinese untouched

# A file where the staging directory belongs: the same.
reset_case
working_installation temp-is-a-file
echo "not a directory" >"$DRIVE/TEMP"
E2E_DRIVER_BEFORE="$OUT/temp-is-a-file.before" walk "winxp-temp-is-a-file" winxp 7 en_US.UTF-8 0x0409 english untouched
rm -f "$DRIVE/TEMP"

# A hard link at the scratch file's name: the run writes a new file there and never through the link.
reset_case
echo "another user's file" >"$DRIVE/e2e-link-target.txt"
mkdir -p "$DRIVE/TEMP"
ln "$DRIVE/e2e-link-target.txt" "$DRIVE/TEMP/temp.txt"
walk "winxp-hard-link-at-scratch" winxp 7 zh_CN.UTF-8 0x0804 chinese
if [ "$(cat "$DRIVE/e2e-link-target.txt")" = "another user's file" ] &&
    [ "$(stat -c %h "$DRIVE/e2e-link-target.txt")" = 1 ]; then
    pass winxp-hard-link-at-scratch/link-target-unchanged
else
    fail winxp-hard-link-at-scratch/link-target-unchanged "$(head -c 80 "$DRIVE/e2e-link-target.txt")"
fi
rm -f "$DRIVE/e2e-link-target.txt"

# Back right after reaching the last page: no installation runs behind the settings page.
reset_case
LC_ALL=en_US.UTF-8 wine_in 90 "$OUT/robot.exe" 'C:\e2e-setup\setup.exe' stay 5 >"$OUT/back.robot" 2>/dev/null
if grep -q '^message_after_back=0' "$OUT/back.robot" && grep -q '^exited=1' "$OUT/back.robot" &&
    [ ! -e "$DRIVE/TEMP" ]; then
    pass winxp-back-from-last-page/no-installation
else
    fail winxp-back-from-last-page/no-installation "$(tr '\n\r' '  ' <"$OUT/back.robot")"
fi
stop_prefix "$WINEPREFIX"

# The command hangs: after its 90 seconds the failure message, then the program ends.
if [ -z "${E2E_NO_HANG:-}" ]; then
    reset_case
    echo hang >"$DRIVE/printui-mode.txt"
    walk "winxp-command-hangs" winxp 7 zh_TW.UTF-8 0x0404 chinese failure KX47 120
    stop_prefix "$WINEPREFIX"
fi

echo "e2e matrix took $(( $(date +%s) - t0 )) s" >&2
exit "$failed"
