#!/usr/bin/env bash
# One installation walk of setup.exe under Wine while another user of C:\TEMP goes at what it staged: the
# printui stand-in, in attack mode, tries while the system's command runs to write other bytes into the
# staged KX47.GPD and to rename C:\TEMP\x86, then installs from what it finds. setup.exe holds the staging
# directories and the staged files the command reads for as long as the command runs, so both must be
# refused, and the driver the command installs must hold exactly the bytes setup.exe staged. The spooler's
# own driver list (drivers.exe) must show it with its files in the driver directory's "3".
# Then the same command, in the same mode, on the staging area that walk left, held by holder.exe as setup.exe
# holds it: Wine refuses both attacks with a sharing violation and the stand-in still reads every file it
# copies into "3" (this case does not depend on setup.exe).
# Prints PASS:/FAIL: lines; exits non-zero on any failure.
# Usage: attack_walk.sh [setup.exe]   (default: the build tree's; its width, i686 or x86_64, picks the helpers'
#        width). Every Wine program runs within a bound scaled by SETUP_TIME_SCALE.
source "$(dirname "$0")/../../tools/lib.sh"
set +e
E2E_OUT_SUFFIX=-attack
source "$(dirname "$0")/walks.sh"

# attacked_walk <case> <LC_ALL> <lang id> <choice>: walk() in attack mode, judged with the spooler's list.
attacked_walk() {
    local name="$1" locale="$2" langid="$3" choice="$4"
    reset_case
    echo attack >"$DRIVE/printui-mode.txt"
    if ! run_robot "$name" "$locale" KX47 120 'C:\e2e-setup\setup.exe' "$choice" "$(scaled 30)"; then
        fail "$name/robot-walk" "$(grep -m1 '^ERROR' "$OUT/$name.robot")"
        return 0
    fi
    wine_in 60 "$OUT/drivers.exe" >"$OUT/$name.drivers" 2>"$OUT/$name.drivers.stderr" ||
        echo "ERROR: drivers.exe did not list the drivers" >>"$OUT/$name.drivers"
    /usr/bin/python3 "$HERE/check_install.py" --case "$name" --drive "$DRIVE" --store "$STORE" --robot "$OUT/$name.robot" \
        --log "$OUT/$name.printui" --uninstall-entry "$OUT/$name.entry" --os-code 7 --lang-id "$langid" \
        --choice "$choice" --attack --drivers "$OUT/$name.drivers" || failed=1
}

# held_command <case>: the system's command, in attack mode, while holder.exe holds C:\TEMP as setup.exe does.
held_command() {
    local name="$1" log="$DRIVE/printui-log.txt" line file source bad=""
    rm -f "$log"
    find "$DRIVE/windows/system32/spool/drivers/w32x86/3" -maxdepth 1 -type f -delete 2>/dev/null
    echo attack >"$DRIVE/printui-mode.txt"
    wine_in 120 "$OUT/holder.exe" run 'C:\TEMP' 60 \
        'C:\windows\system32\rundll32.exe printui.dll,PrintUIEntry /if /f C:\TEMP\KX47.INF /r "LPT1:" /b "KX47" /m "KX47" ' \
        >"$OUT/$name.holder" 2>"$OUT/$name.stderr"
    tr -d '\r' <"$log" >"$OUT/$name.printui" 2>/dev/null || : >"$OUT/$name.printui"
    check "$name/command-ran-while-held" grep -q '^exit_code=0' "$OUT/$name.holder"
    check "$name/attack-overwrite-refused" grep -qx 'attack-overwrite=refused' "$OUT/$name.printui"
    check "$name/attack-rename-refused" grep -qx 'attack-rename=refused' "$OUT/$name.printui"
    check "$name/driver-and-printer" grep -qx 'added=KX47' "$OUT/$name.printui"
    # Every file the stand-in copied, as its source holds it (the copy read the held files).
    while IFS= read -r line; do
        file="${line#driver-file=}"; source="${file#* <- }"; file="${file%% <- *}"
        source="$DRIVE/$(echo "${source#C:\\}" | tr '\\' /)"
        source="$(find "$(dirname "$source")" -maxdepth 1 -iname "$(basename "$source")" | head -n 1)"
        cmp -s "$source" "$DRIVE/windows/system32/spool/drivers/w32x86/3/$file" || bad="$bad $file"
    done < <(grep '^driver-file=' "$OUT/$name.printui")
    check "$name/eleven-files-read-and-copied" test "$(grep -c '^driver-file=' "$OUT/$name.printui")" = 11 -a -z "$bad"
}

# check <case/check> <condition...>
set_wine_version "$WINEPREFIX" winxp
attacked_walk winxp-staging-attacked zh_CN.UTF-8 0x0804 chinese
held_command held-staging-attacked
stop_prefix "$WINEPREFIX"
exit "$failed"
