#!/usr/bin/env bash
# Start-up of setup.exe under Wine on a simplified Chinese system: the first run in an empty directory writes
# Language\Multi_eng.dll, Language\Multi_ch.dll and setting.dll from the embedded store; a second run from
# the same directory changes nothing.
# Usage: startup_run.sh <setup.exe>   (store entries are read from <setup.exe's tree>/store, by its manifest.tsv)
# Runs in $WINEPREFIX. Every wait is bounded and scaled by SETUP_TIME_SCALE; a program still running at the
# end of its wait is killed with what it started (not through wineserver -k, which does not reach a process
# still starting and would restart the prefix's services).
source "$(dirname "$0")/../../tools/lib.sh"
set +e

EXE="${1:?usage: startup_run.sh <setup.exe>}"
STORE="$(cd "$(dirname "$EXE")" && pwd)/store"
export WINEPREFIX="${WINEPREFIX:-$BUILD/wineprefix}"
make_wine_prefix "$WINEPREFIX" || { echo "FAIL: startup-wine-prefix"; exit 1; }
LOADER="$(wine_loader)"

source "$(dirname "$0")/report.sh"

if [ ! -f "$EXE" ]; then
    fail "setup-exe-present" "$EXE"
    exit 1
fi
ENGLISH="$(store_entries "$STORE" '^english-table$')" SIMPLIFIED="$(store_entries "$STORE" '^simplified-table$')"
SETTING_ENTRY="$(store_entries "$STORE" '^settings$')"
for f in "$ENGLISH" "$SIMPLIFIED" "$SETTING_ENTRY"; do
    [ -f "$f" ] || fail "store-entries" "an entry of $STORE/manifest.tsv missing: '$f'"
done
[ "$failed" -eq 0 ] || exit 1

DIR="$(mktemp -d "$WINEPREFIX/drive_c/startup-run.XXXXXX")"
HELPERS="$(mktemp -d)"
trap 'rm -rf "$DIR" "$DIR.log" "$HELPERS"' EXIT
cp "$EXE" "$DIR/setup.exe"
SETTINGS="$HELPERS/settings"
printf '[Setting]\r\nLanguage=English\r\nPrinterName=KX47' >"$SETTINGS"
make -s -C "$ROOT/tests/e2e" ARCH="$(helper_arch "$EXE")" OUT="$HELPERS" "$HELPERS/robot.exe" || fail "robot-build"

# The case depends on the system language: ask Wine what it reports, alongside the first run.
(LC_ALL=zh_CN.UTF-8 LANG=zh_CN.UTF-8 timeout -k 5 "$(scaled 60)" "$LOADER" "$HELPERS/robot.exe" --langid \
    >"$HELPERS/langid" 2>/dev/null) &
LANGID_PID=$!

PID=""
start_setup() {
    # Its own process group, so that it can be ended with everything it started.
    (cd "$DIR" && LC_ALL=zh_CN.UTF-8 LANG=zh_CN.UTF-8 exec setsid "$LOADER" "$DIR/setup.exe") >>"$DIR.log" 2>&1 &
    PID=$!
}
running() { kill -0 "$PID" 2>/dev/null; }
# Waits up to $1 seconds (already scaled) for the program to end by itself; 0 when it did.
wait_end() {
    local i
    for i in $(seq 1 $(( $1 * 5 ))); do
        running || return 0
        sleep 0.2
    done
    ! running
}
# Ends the program if the wizard still holds it; the wait for its end is bounded.
stop_setup() {
    if running; then
        kill -KILL -- "-$PID" 2>/dev/null || kill -KILL "$PID" 2>/dev/null
        wait_end "$(scaled 10)" || fail "setup-ended" "pid $PID still there after SIGKILL"
    fi
    wait "$PID" 2>/dev/null
}
first_run_done() {
    cmp -s "$DIR/Language/Multi_eng.dll" "$ENGLISH" &&
        cmp -s "$DIR/Language/Multi_ch.dll" "$SIMPLIFIED" &&
        cmp -s "$DIR/setting.dll" "$SETTINGS"
}
snapshot() {
    (cd "$DIR" && find . -printf '%p %y %s %T@\n' | sort && find . -type f -exec md5sum {} + | sort)
}

# ---- first run ---------------------------------------------------------------------------------------
t0=$(date +%s)
start_setup
for _ in $(seq 1 $(( $(scaled 30) * 2 ))); do
    first_run_done && break
    running || break
    sleep 0.5
done
first_run_done || sleep 1  # the program may have ended just as the last file was written
elapsed=$(( $(date +%s) - t0 ))
stop_setup

timeout 5 tail --pid="$LANGID_PID" -f /dev/null 2>/dev/null
wait "$LANGID_PID" 2>/dev/null
langid="$(tr -d '\r' <"$HELPERS/langid" | sed -n 's/^system_langid=//p')"
check "system-language-reported" test "$langid" = 0x0804
[ "$langid" = 0x0804 ] || echo "  Wine reports system language '${langid:-none}' for LC_ALL=zh_CN.UTF-8, the case needs 0x0804"

check "first-run-language-directory" test -d "$DIR/Language"
check "first-run-english-table" cmp -s "$DIR/Language/Multi_eng.dll" "$ENGLISH"
check "first-run-simplified-table" cmp -s "$DIR/Language/Multi_ch.dll" "$SIMPLIFIED"
check "first-run-no-traditional-table" test ! -e "$DIR/Language/Multi_ch_BIG5.dll"
check "first-run-settings-file" cmp -s "$DIR/setting.dll" "$SETTINGS"
check "settings-entry-is-the-default-file" cmp -s "$SETTING_ENTRY" "$SETTINGS"
check "first-run-nothing-else" test "$(cd "$DIR" && find . -mindepth 1 | sort | tr '\n' ' ')" = \
    "./Language ./Language/Multi_ch.dll ./Language/Multi_eng.dll ./setting.dll ./setup.exe "

# ---- second run --------------------------------------------------------------------------------------
before="$(snapshot)"
sleep 1  # so that a rewrite would show in the modification times
start_setup
# Start-up takes a moment; give it well over what the first run needed, then end a waiting wizard.
settle=$(( elapsed * 2 + 5 ))
[ "$settle" -le "$(scaled 20)" ] || settle="$(scaled 20)"
wait_end "$settle"
stop_setup
after="$(snapshot)"

check "second-run-no-file-changed" test "$before" = "$after"
if [ "$before" != "$after" ]; then
    diff <(echo "$before") <(echo "$after") | head -20
fi
echo "start-up runs took $(( $(date +%s) - t0 )) s" >&2
exit "$failed"
