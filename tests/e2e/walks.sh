# What the end-to-end scripts share (sourced after tools/lib.sh): the helpers and the prefix for one setup.exe,
# the reset between walks, a working installation to keep, and one walk judged by check_install.py.
# Sets HERE, EXE, STORE, ARCH, OUT ($BUILD/e2e-<arch>-<prefix><E2E_OUT_SUFFIX>), DRIVE, SETUP_DIR, HOST
# (x86, or x64 for the i686 setup.exe in a 64-bit prefix: 64-bit Windows on an x64 processor), DRIVER_DIR (the
# driver directory of HOST's environment, below DRIVE) and failed.
HERE="$ROOT/tests/e2e"
EXE="${1:-$BUILD/win32/setup.exe}"
STORE="$(cd "$(dirname "$EXE")" && pwd)/store"
export WINEPREFIX="${WINEPREFIX:-$BUILD/wineprefix}"
ARCH="$(helper_arch "$EXE")"
OUT="$BUILD/e2e-$ARCH-$(basename "$WINEPREFIX")${E2E_OUT_SUFFIX:-}"
rm -rf "$OUT"
mkdir -p "$OUT"
source "$HERE/report.sh"

if [ ! -f "$EXE" ] || [ ! -f "$STORE/manifest.tsv" ]; then
    fail e2e-prerequisites "setup.exe or its store missing"
    exit 1
fi
if ! make -s -C "$HERE" ARCH="$ARCH" OUT="$OUT" >"$OUT/make.log" 2>&1; then
    fail e2e-helpers-build
    cat "$OUT/make.log"
    exit 1
fi

make_wine_prefix "$WINEPREFIX" || { fail e2e-wine-prefix; exit 1; }
install_printui_stand_in "$WINEPREFIX" "$OUT/printui.dll"

# The i686 setup.exe in a 64-bit prefix runs under WOW64 and installs the x64 driver through the 64-bit
# system's command: the x86_64 stand-in of 64-bit Windows in the 64-bit system directory (the 32-bit one
# stays in the 32-bit directory, where the command must not go), and labelled stand-ins of the Unidrv core
# files that 64-bit Windows carries in its driver store.
HOST=x86
DRIVER_DIR=windows/system32/spool/drivers/w32x86
if [ "$ARCH" = i686 ] && [ -d "$WINEPREFIX/drive_c/windows/syswow64" ]; then
    HOST=x64
    DRIVER_DIR=windows/system32/spool/drivers/x64
    if ! install_x64_system_stand_ins "$WINEPREFIX" "$OUT" >>"$OUT/make.log" 2>&1; then
        fail e2e-helpers-build-x64
        cat "$OUT/make.log"
        exit 1
    fi
fi

DRIVE="$WINEPREFIX/drive_c"
SETUP_DIR="$DRIVE/e2e-setup"
mkdir -p "$SETUP_DIR"
cp "$EXE" "$SETUP_DIR/setup.exe"

# The registry left by a walk (printer, the driver the command installed, uninstall entries) is removed by the
# robot before the next one starts setup.exe; the files are removed here.
RESET_KEYS='System\CurrentControlSet\Control\Print\Printers\KX47'
RESET_KEYS="$RESET_KEYS|System\\CurrentControlSet\\Control\\Print\\Environments\\Windows NT x86\\Drivers\\Version-3\\KX47"
RESET_KEYS="$RESET_KEYS|System\\CurrentControlSet\\Control\\Print\\Environments\\Windows x64\\Drivers\\Version-3\\KX47"
for name in "KX47" "ABC" "a/b" ${E2E_EXTRA_NAMES:-}; do
    RESET_KEYS="$RESET_KEYS|SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$name printer"
done
export ROBOT_RESET_KEYS="$RESET_KEYS"

# Leaves nothing of the previous walk: staging area, driver directory, logs (the registry: see above).
reset_case() {
    rm -rf "$DRIVE/TEMP" "$DRIVE/printui-log.txt" "$DRIVE/printui-mode.txt" "$SETUP_DIR/Language" "$SETUP_DIR/setting.dll"
    find "$DRIVE/windows/system32/spool/drivers/w32x86" -maxdepth 2 -type f -delete 2>/dev/null
    find "$DRIVE/windows/system32/spool/drivers/x64" -maxdepth 2 -type f -delete 2>/dev/null
}

# A working installation of KX47 in the driver directory, and its listing for check_install.py.
working_installation() {
    local dir="$DRIVE/windows/system32/spool/drivers/w32x86" f
    mkdir -p "$dir/3"
    for f in KX47.GPD KX47.INI KX47D.dll KX47F.dll KX47RES.DLL UNIDRV.DLL UNIDRVUI.DLL uninstallKX47.exe 3/KX47.GPD; do
        echo "working $f" >"$dir/$f"
    done
    /usr/bin/python3 "$HERE/check_install.py" --driver-listing "$dir" >"$OUT/$1.before"
}

# Ends what runs in the prefix; a server the script holds (hold_server) is started again.
new_session() {
    if [ "${HELD_SERVER:-}" = "$WINEPREFIX" ]; then hold_server "$WINEPREFIX"; else stop_prefix "$WINEPREFIX"; fi
}

# run_robot <case> <LC_ALL> <printer name> <bound seconds> <robot arguments...>: the robot's output in
# $OUT/<case>.robot, what Wine said in .stderr (its error messages kept), the uninstall entry the robot read
# afterwards in .entry, the stand-in's log in .printui.
# The robot's first line (system_langid=) comes before it touches the registry or starts setup.exe, so a run
# that ended without it is one where Wine did not start the robot, and nothing of the case has happened yet:
# that start is made once more in a new session (new_session), and said on stderr (the first run's output
# kept in .robot.first and .stderr.first). A second such run fails: .robot ends with an ERROR line naming it
# and the function returns 1. A run ended by its bound is not started again.
run_robot() {
    local name="$1" locale="$2" printer="$3" bound="$4" rc try codes="" report=0
    shift 4
    for try in 1 2; do
        rc=0
        rm -f "$DRIVE/e2e-entry.txt"
        LC_ALL="$locale" LANG="$locale" ROBOT_ENTRY_FILE='C:\e2e-entry.txt' \
            ROBOT_ENTRY_KEY="SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$printer printer" \
            WINEDEBUG="${WINEDEBUG:+$WINEDEBUG,}err+all" \
            wine_in "$bound" "$OUT/robot.exe" "$@" >"$OUT/$name.robot" 2>"$OUT/$name.stderr" || rc=$?
        if [ "$rc" -eq 124 ] || [ "$rc" -eq 137 ]; then
            echo "ERROR: the run did not end within its bound and was killed" >>"$OUT/$name.robot"
            new_session
            report=1
            break
        fi
        if tr -d '\r' <"$OUT/$name.robot" | head -n 1 | grep -q '^system_langid='; then report=1; break; fi
        codes="$codes${codes:+, then }$rc"
        if [ "$try" -eq 1 ]; then
            mv "$OUT/$name.robot" "$OUT/$name.robot.first"
            mv "$OUT/$name.stderr" "$OUT/$name.stderr.first"
            echo "$name: Wine did not start the robot (exit code $rc, $(wc -c <"$OUT/$name.robot.first") bytes of" \
                "output, Wine said: '$(head -c 300 "$OUT/$name.stderr.first" | tr '\n' ' ')'); starting it once more" >&2
            new_session
        else
            echo "ERROR: the robot printed no report, twice: Wine did not start it (exit codes $codes; see $name.stderr)" \
                >>"$OUT/$name.robot"
        fi
    done
    cp "$DRIVE/e2e-entry.txt" "$OUT/$name.entry" 2>/dev/null || : >"$OUT/$name.entry"
    cp "$DRIVE/printui-log.txt" "$OUT/$name.printui" 2>/dev/null || : >"$OUT/$name.printui"
    [ "$report" -eq 1 ]
}

# The spooler's drivers of HOST's environment (drivers.exe).
drivers_in() {
    if [ "$HOST" = x64 ]; then wine_in 60 "$OUT/x64/drivers.exe" "Windows x64"; else wine_in 60 "$OUT/drivers.exe"; fi
}

# list_drivers <case> <expect>: after an expected success, the spooler's own list of drivers (drivers.exe) in
# $OUT/<case>.drivers, and DRIVERS_ARGS=(--drivers that file) for check_install.py: whether the command
# registered the driver is read from the spooler, without waiting for the server to save its registry (a
# persistent server saves it only now and then). Otherwise DRIVERS_ARGS is empty.
list_drivers() {
    DRIVERS_ARGS=()
    [ "$2" = success ] || return 0
    drivers_in >"$OUT/$1.drivers" 2>"$OUT/$1.drivers.stderr" ||
        echo "ERROR: drivers.exe did not list the drivers" >>"$OUT/$1.drivers"
    DRIVERS_ARGS=(--drivers "$OUT/$1.drivers")
}

# walk <case> <wine version> <os code> <LC_ALL> <lang id> <choice> [expect] [printer name] [message wait]
# (E2E_DRIVER_BEFORE: the driver directory's listing before the walk, for expect=untouched; E2E_PORT: the
# port the command must name, LPT1: when unset)
walk() {
    local name="$1" version="$2" code="$3" locale="$4" langid="$5" choice="$6"
    local expect="${7:-success}" printer="${8:-KX47}" wait="${9:-30}"
    # A robot that Wine did not start has no report to judge: the walk fails by that name alone.
    if ! run_robot "$name" "$locale" "$printer" $((wait + 90)) 'C:\e2e-setup\setup.exe' "$choice" "$(scaled "$wait")"; then
        fail "$name/robot-walk" "$(grep -m1 '^ERROR' "$OUT/$name.robot")"
        return 0
    fi
    list_drivers "$name" "$expect"
    /usr/bin/python3 "$HERE/check_install.py" --case "$name" --drive "$DRIVE" --store "$STORE" --robot "$OUT/$name.robot" \
        --log "$OUT/$name.printui" --uninstall-entry "$OUT/$name.entry" --os-code "$code" --lang-id "$langid" \
        --choice "$choice" --printer-name "$printer" --expect "$expect" --host "$HOST" "${DRIVERS_ARGS[@]}" \
        ${E2E_DRIVER_BEFORE:+--driver-before "$E2E_DRIVER_BEFORE"} ${E2E_PORT:+--port "$E2E_PORT"} || failed=1
}
