#!/usr/bin/env bash
# End to end under Wine: setup.exe installs (one walk of the robot, judged as the matrix judges it), then the
# UninstallString that the installation wrote to the registry runs as the system's list of programs would
# run it. Answered No, nothing changes; answered Yes, the printer, the driver files, the staged files and
# the uninstall entry go, while an unrelated printer and unrelated files in the driver directory and in
# C:\TEMP stay, and the uninstaller itself waits for the next restart. Prints PASS:/FAIL: lines.
# Usage: uninstall_walk.sh [setup.exe]
source "$(dirname "$0")/../../tools/lib.sh"
set +e
E2E_OUT_SUFFIX=-uninstall
source "$(dirname "$0")/walks.sh"

# Every file below the staging area and the driver directory with its SHA-256.
listing() { (cd "$DRIVE" && find TEMP windows/system32/spool/drivers/w32x86 -type f -exec sha256sum {} + 2>/dev/null | sort -k2); }
value() { grep -a "^$1=" "$2" | head -n 1 | cut -d= -f2-; }
# A robot's hex text as UTF-8 (the system here is simplified Chinese: GBK).
text_of() { /usr/bin/python3 -c 'import sys; print(bytes.fromhex(sys.argv[1]).decode("gbk", "replace"))' "$(value "$1" "$2")"; }

set_wine_version "$WINEPREFIX" winxp
# One Wine session for the walks and the registry queries between them: a query never meets a server that
# is still ending the uninstaller's session and saving the registry, nor starts a new one that reads it early.
hold_server "$WINEPREFIX"
reset_case
walk "install" winxp 7 zh_CN.UTF-8 0x0804 chinese
command=$(grep -a '^    UninstallString    ' "$OUT/install.entry" | sed 's/.*REG_SZ    //' | tr -d '\r')
check "uninstall/entry-names-the-uninstaller" test -n "$command"
DIR="$DRIVE/windows/system32/spool/drivers/w32x86"
echo "someone else's" >"$DIR/other.dll"
echo "a user's notes" >"$DRIVE/TEMP/notes.txt"

uninstall() {  # uninstall <case> <yes|no>
    rm -f "$DRIVE/e2e-entry.txt"
    LC_ALL=zh_CN.UTF-8 LANG=zh_CN.UTF-8 ROBOT_EXTRA_PRINTER=Office ROBOT_ENTRY_FILE='C:\e2e-entry.txt' \
        ROBOT_ENTRY_KEY='SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\KX47 printer' \
        wine_in 120 "$OUT/robot.exe" --uninstall "$command" "$2" "$(scaled 30)" >"$OUT/$1.robot" 2>"$OUT/$1.stderr"
    cp "$DRIVE/e2e-entry.txt" "$OUT/$1.entry" 2>/dev/null || : >"$OUT/$1.entry"
}

# No: the same files with the same bytes, the printer and the entry still there, no report.
listing >"$OUT/before-no.listing"
uninstall answered-no no
listing >"$OUT/after-no.listing"
check "uninstall/no-asks-in-the-system-language" grep -q 'KX47' <(text_of question "$OUT/answered-no.robot")
check "uninstall/no-changes-no-file" cmp -s "$OUT/before-no.listing" "$OUT/after-no.listing"
check "uninstall/no-keeps-the-printer" grep -q '^printer=KX47|KX47.$' "$OUT/answered-no.robot"
check "uninstall/no-keeps-the-entry" grep -q '^    UninstallString    ' "$OUT/answered-no.entry"
check "uninstall/no-ends-without-report" grep -q 'exit_code=2' "$OUT/answered-no.robot"

# Yes.
uninstall answered-yes yes
listing >"$OUT/after-yes.listing"
report=$(text_of report "$OUT/answered-yes.robot")
printf '%s\n' "$report" >"$OUT/answered-yes.report"
check "uninstall/yes-reports-success" grep -q 'exit_code=0' "$OUT/answered-yes.robot"
check "uninstall/yes-removes-the-printer" bash -c "! grep -q '^printer=KX47' '$OUT/answered-yes.robot'"
check "uninstall/yes-keeps-the-unrelated-printer" grep -q '^printer=Office|Generic / Text Only.$' "$OUT/answered-yes.robot"
check "uninstall/yes-removes-the-entry" grep -q '^ABSENT' "$OUT/answered-yes.entry"
# Left: the unrelated files and the uninstaller itself (at the next restart, which the report says).
check "uninstall/yes-leaves-only-what-it-did-not-install" test "$(awk '{print $2}' "$OUT/after-yes.listing" | tr '\n' ' ')" = \
    "TEMP/notes.txt windows/system32/spool/drivers/w32x86/other.dll windows/system32/spool/drivers/w32x86/uninstallKX47.exe "
check "uninstall/yes-unrelated-files-untouched" bash -c "grep -q \"someone else's\" '$DIR/other.dll' && grep -q \"a user's notes\" '$DRIVE/TEMP/notes.txt'"
check "uninstall/yes-report-lists-the-removals" bash -c "grep -q 'KX47.GPD' '$OUT/answered-yes.report' && grep -q '下次重新启动时' '$OUT/answered-yes.report'"
# The restart's removal is the system's: Wine keeps it where Windows does. It and the unrelated printer go
# again, so that the prefix's later steps find neither.
SM='HKLM\System\CurrentControlSet\Control\Session Manager'
wine_in 60 reg.exe query "$SM" /v PendingFileRenameOperations >"$OUT/pending.txt" 2>&1
check "uninstall/yes-removes-itself-at-restart" grep -qi 'uninstallKX47.exe' "$OUT/pending.txt"
wine_in 60 reg.exe delete "$SM" /v PendingFileRenameOperations /f >/dev/null 2>&1
wine_in 60 reg.exe delete 'HKLM\System\CurrentControlSet\Control\Print\Printers\Office' /f >/dev/null 2>&1
stop_prefix "$WINEPREFIX"
exit "$failed"
