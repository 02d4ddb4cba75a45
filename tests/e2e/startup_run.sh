#!/usr/bin/env bash
# Start-up of setup.exe under Wine on a simplified Chinese system: the first run in an empty directory writes
# Language\Multi_eng.dll, Language\Multi_ch.dll and setting.dll from the embedded store; a second run from
# the same directory changes nothing.
# Usage: startup_run.sh <setup.exe>   (store entries are read from <setup.exe's tree>/store/<id>.bin)
source "$(dirname "$0")/../../tools/lib.sh"
set +e

EXE="${1:?usage: startup_run.sh <setup.exe>}"
STORE="$(cd "$(dirname "$EXE")" && pwd)/store"
export WINEPREFIX="${WINEPREFIX:-$BUILD/wineprefix}"
make_wine_prefix "$WINEPREFIX"

failed=0
pass() { echo "PASS: $1"; }
fail() { echo "FAIL: $1${2:+ ($2)}"; failed=1; }
check() {  # check <case> <command...>
    local name="$1"; shift
    if "$@"; then pass "$name"; else fail "$name"; fi
}

if [ ! -f "$EXE" ]; then
    fail "setup-exe-present" "$EXE"
    exit 1
fi
for id in 146 147 148; do
    [ -f "$STORE/$id.bin" ] || fail "store-entry-$id" "$STORE/$id.bin missing"
done
[ "$failed" -eq 0 ] || exit 1

DIR="$(mktemp -d "$WINEPREFIX/drive_c/startup-run.XXXXXX")"
trap 'rm -rf "$DIR" "$DIR.log"' EXIT
cp "$EXE" "$DIR/setup.exe"
SETTINGS="$(mktemp)"
printf '[Setting]\r\nLanguage=English\r\nPrinterName=KX47' >"$SETTINGS"

PID=""
start_setup() {
    (cd "$DIR" && LC_ALL=zh_CN.UTF-8 LANG=zh_CN.UTF-8 exec "$ROOT/tools/wine-run" "$DIR/setup.exe") \
        >>"$DIR.log" 2>&1 &
    PID=$!
}
running() { kill -0 "$PID" 2>/dev/null; }
# Ends the program if the wizard still holds it; this prefix runs nothing else meanwhile.
stop_setup() {
    if running; then
        WINEPREFIX="$WINEPREFIX" wineserver -k >/dev/null 2>&1
    fi
    wait "$PID" 2>/dev/null
    WINEPREFIX="$WINEPREFIX" wineserver -w >/dev/null 2>&1
}
first_run_done() {
    cmp -s "$DIR/Language/Multi_eng.dll" "$STORE/147.bin" &&
        cmp -s "$DIR/Language/Multi_ch.dll" "$STORE/146.bin" &&
        cmp -s "$DIR/setting.dll" "$SETTINGS"
}
snapshot() {
    (cd "$DIR" && find . -printf '%p %y %s %T@\n' | sort && find . -type f -exec md5sum {} + | sort)
}

# ---- first run ---------------------------------------------------------------------------------------
t0=$(date +%s)
start_setup
for _ in $(seq 1 60); do
    first_run_done && break
    running || break
    sleep 0.5
done
first_run_done || sleep 1  # the program may have ended just as the last file was written
elapsed=$(( $(date +%s) - t0 ))
stop_setup

check "first-run-language-directory" test -d "$DIR/Language"
check "first-run-english-table" cmp -s "$DIR/Language/Multi_eng.dll" "$STORE/147.bin"
check "first-run-simplified-table" cmp -s "$DIR/Language/Multi_ch.dll" "$STORE/146.bin"
check "first-run-no-traditional-table" test ! -e "$DIR/Language/Multi_ch_BIG5.dll"
check "first-run-settings-file" cmp -s "$DIR/setting.dll" "$SETTINGS"
check "settings-entry-is-the-default-file" cmp -s "$STORE/148.bin" "$SETTINGS"
check "first-run-nothing-else" test "$(cd "$DIR" && find . -mindepth 1 | sort | tr '\n' ' ')" = \
    "./Language ./Language/Multi_ch.dll ./Language/Multi_eng.dll ./setting.dll ./setup.exe "

# ---- second run --------------------------------------------------------------------------------------
before="$(snapshot)"
sleep 1  # so that a rewrite would show in the modification times
start_setup
# Start-up takes a moment; give it well over what the first run needed, then end a waiting wizard.
settle=$(( elapsed * 2 + 5 ))
[ "$settle" -le 20 ] || settle=20
for _ in $(seq 1 $(( settle * 2 ))); do
    running || break
    sleep 0.5
done
stop_setup
after="$(snapshot)"

check "second-run-no-file-changed" test "$before" = "$after"
if [ "$before" != "$after" ]; then
    diff <(echo "$before") <(echo "$after") | head -20
fi

rm -f "$SETTINGS" "$DIR.log"
exit "$failed"
