#!/usr/bin/env bash
# Where setup.exe takes its DLLs and commands from, under Wine. Markers (tests/dll/marker.c: a DLL and a program
# that append a line to C:\dll-markers.log when loaded or started) are planted under the name of every DLL that
# setup.exe imports or loads, and of every program it starts, both next to setup.exe and in the staging
# directory C:\TEMP; then an installation walk runs (the robot and the printui.dll stand-in of tests/e2e), with
# Wine told to prefer a native file for the DLLs that setup.exe and its commands load themselves.
#
#   1. a walk without markers, traced (WINEDEBUG=+pid,+loaddll,+process): which DLLs setup.exe and the
#      commands it starts load; its result message is the one the planted walk must give too;
#   2. the same walk with the markers planted: no marker wrote a line, the result is the same, no module of
#      setup.exe or of a command came from a native file outside the system directory, every command ran from
#      the system directory (the trace's image paths, and the command lines that the printui stand-in logs);
#   3. a start-up run traced with relay (RelayInclude SetDllDirectoryA;SetDefaultDllDirectories): setup.exe
#      calls SetDllDirectoryA("") and SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32)
#      before it loads comctl32.dll.
#
# What Wine can and cannot show, found by trying:
#   - Preferring native for the DLLs setup.exe imports (kernel32, user32, gdi32, advapi32, msvcrt) makes Wine
#     load the copies next to setup.exe: Wine has no KnownDLLs. Windows takes them from its KnownDLLs whatever
#     lies next to the program (tests/pe_check.py keeps the imports to those), so these, their dependencies
#     (ntdll, kernelbase, ucrtbase, sechost, win32u, zlib1, imm32, version, rpcrt4, ole32) are planted with
#     Wine told to take its builtins.
#   - Wine's own components load some DLLs by bare name where Windows does not in this process: its comctl32
#     and user32 load uxtheme.dll, uxtheme loads combase.dll, its in-process spooler loads localspl.dll and
#     with it spoolss.dll (on Windows the spooler service's process does). Preferred native, the copies next to setup.exe are taken:
#     the application directory comes first in the search, and SetDllDirectory does not change that. These
#     are planted and Wine is told to take its builtins for them.
#   Wine's default load order differs from one DLL to the next (with no override it took a localspl.dll next
#   to setup.exe, but not a kernel32.dll), so every planted name gets an explicit order: native first for the
#   DLLs setup.exe and its commands load themselves, builtin for the others. The latter cannot show anything.
#   - Wine keeps the current directory in the search after SetDllDirectoryA(""): its loader takes an empty
#     DLL directory for none. So Wine cannot show what the call does (on Windows: the current directory
#     leaves the search, which matters where SafeDllSearchMode is off, as on Windows 2000 and XP before SP2);
#     case 3 shows that the call is made.
# Usage: dll_loading.sh <setup.exe>   Runs in $WINEPREFIX (made when missing); every run is bounded.
source "$(dirname "$0")/../../tools/lib.sh"
set +e

EXE="${1:?usage: dll_loading.sh <setup.exe>}"
HERE="$ROOT/tests/dll"
ARCH="$(helper_arch "$EXE")"
export WINEPREFIX="${WINEPREFIX:-$BUILD/wineprefix}"
OUT="$BUILD/dll-$ARCH-$(basename "$WINEPREFIX")"
rm -rf "$OUT"
mkdir -p "$OUT"
failed=0
pass() { echo "PASS: $1"; }
fail() { echo "FAIL: $1${2:+ ($2)}"; failed=1; }
trace() { /usr/bin/python3 "$HERE/dll_trace.py" "$@"; }

[ -f "$EXE" ] || { fail "dll-setup-exe-present" "$EXE"; exit 1; }
if ! make -s -C "$ROOT/tests/e2e" ARCH="$ARCH" OUT="$OUT" >"$OUT/make.log" 2>&1 ||
    ! make -s -C "$HERE" ARCH="$ARCH" OUT="$OUT" >>"$OUT/make.log" 2>&1; then
    fail "dll-helpers-build"; cat "$OUT/make.log"; exit 1
fi
make_wine_prefix "$WINEPREFIX" || { fail "dll-wine-prefix"; exit 1; }
install_printui_stand_in "$WINEPREFIX" "$OUT/printui.dll"
set_user_reg "$WINEPREFIX" 'Software\Wine\Debug' RelayInclude 'SetDllDirectoryA;SetDefaultDllDirectories'

DRIVE="$WINEPREFIX/drive_c"
SETUP_DIR="$DRIVE/dll-setup"
MARKERS="$DRIVE/dll-markers.log"
# The DLLs that setup.exe loads by itself (by full path: comctl32.dll, winspool.drv), what their imports bring
# (compstui.dll, which Wine's winspool.drv imports), and the one its commands load (rundll32 printui.dll):
# Wine is told to prefer a native file for these.
PREFER_NATIVE="comctl32.dll winspool.drv compstui.dll printui.dll"
# The programs setup.exe starts.
PROGRAMS="rundll32.exe"

reset() {
    rm -rf "$DRIVE/TEMP" "$DRIVE/printui-log.txt" "$DRIVE/printui-mode.txt" "$MARKERS" "$SETUP_DIR"
    mkdir -p "$SETUP_DIR"
    cp "$EXE" "$SETUP_DIR/setup.exe"
}
cleanup() { rm -rf "$DRIVE/TEMP" "$SETUP_DIR" "$MARKERS" "$DRIVE/printui-log.txt"; }
trap cleanup EXIT
export ROBOT_RESET_KEYS='System\CurrentControlSet\Control\Print\Printers\KX47|SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\KX47 printer'

# walk <name> [WINEDLLOVERRIDES]: one installation walk (Windows XP, simplified Chinese, Chinese chosen), traced.
walk() {
    local name="$1" overrides="${2:-$WINEDLLOVERRIDES}" rc=0
    WINEDLLOVERRIDES="$overrides" WINEDEBUG=+pid,+loaddll,+process LC_ALL=zh_CN.UTF-8 LANG=zh_CN.UTF-8 \
        wine_in 120 "$OUT/robot.exe" 'C:\dll-setup\setup.exe' chinese "$(scaled 30)" \
        >"$OUT/$name.robot" 2>"$OUT/$name.trace" || rc=$?
    if [ "$rc" -eq 124 ] || [ "$rc" -eq 137 ]; then
        fail "$name-walk-ended" "killed after its bound"
        stop_prefix "$WINEPREFIX"
    fi
    cp "$DRIVE/printui-log.txt" "$OUT/$name.printui" 2>/dev/null || : >"$OUT/$name.printui"
}
result() { tr -d '\r' <"$OUT/$1.robot" | grep -E '^(message|exited)='; }

# ---- 1. without markers ----------------------------------------------------------------------------------
set_wine_version "$WINEPREFIX" winxp
reset
walk plain
if result plain | grep -q '^exited=1' && result plain | grep -q '^message=.'; then
    pass "dll-plain-walk"
else
    fail "dll-plain-walk" "$(tr '\r\n' '  ' <"$OUT/plain.robot")"
fi
trace check "$OUT/plain.trace" setup.exe | sed 's/^\(PASS\|FAIL\): /\1: dll-plain-/' | tee "$OUT/plain.check"
grep -q '^FAIL' "$OUT/plain.check" && failed=1
imports="$(/usr/bin/python3 -c 'import pefile, sys
print("\n".join(e.dll.decode().lower() for e in pefile.PE(sys.argv[1]).DIRECTORY_ENTRY_IMPORT))' "$EXE")"
names="$( { trace names "$OUT/plain.trace" setup.exe; echo "$imports"; echo ntdll.dll; for n in $PREFER_NATIVE; do echo "$n"; done; } |
    sort -u | tr '\n' ' ')"
echo "planted: $names; $PROGRAMS" >&2

# ---- 2. with markers -------------------------------------------------------------------------------------
reset
mkdir -p "$DRIVE/TEMP"
for dir in "$SETUP_DIR" "$DRIVE/TEMP"; do
    for n in $names; do cp "$OUT/marker.dll" "$dir/$n"; done
    for n in $PROGRAMS; do cp "$OUT/marker.exe" "$dir/$n"; done
done
prefer="" builtin=""
for n in $names; do
    case " $PREFER_NATIVE " in
        *" $n "*) prefer="$prefer,${n%.dll}" ;;
        *) builtin="$builtin,${n%.dll}" ;;
    esac
done
walk planted "${prefer#,}=n,b;${builtin#,}=b;$WINEDLLOVERRIDES"
if [ -s "$MARKERS" ]; then
    fail "dll-no-marker-loaded" "$(tr '\r\n' '; ' <"$MARKERS")"
else
    pass "dll-no-marker-loaded"
fi
if [ "$(result planted)" = "$(result plain)" ] && [ -n "$(result plain)" ]; then
    pass "dll-planted-walk-same-result"
else
    fail "dll-planted-walk-same-result" "$(result planted | tr '\n' ' ') instead of $(result plain | tr '\n' ' ')"
fi
trace check "$OUT/planted.trace" setup.exe | sed 's/^\(PASS\|FAIL\): /\1: dll-planted-/' | tee "$OUT/planted.check"
grep -q '^FAIL' "$OUT/planted.check" && failed=1
# The commands as the printui stand-in saw them: rundll32 by its full path in the system directory.
commands="$(tr -d '\r' <"$OUT/planted.printui" | sed -n 's/^process=//p')"
if [ -n "$commands" ] && ! echo "$commands" | grep -viqE '^"?C:\\windows\\(system32|syswow64)\\rundll32\.exe"? '; then
    pass "dll-commands-start-system-rundll32"
else
    fail "dll-commands-start-system-rundll32" "$(echo "$commands" | tr '\n' ';')"
fi
trace report "$OUT/planted.trace" setup.exe >"$OUT/planted.report"

# ---- 3. SetDllDirectoryA("") at start ---------------------------------------------------------------------
reset
(cd "$SETUP_DIR" && WINEDEBUG=+pid,+loaddll,+relay LC_ALL=en_US.UTF-8 LANG=en_US.UTF-8 \
    exec setsid timeout -k 5 "$(scaled 30)" "$(wine_loader)" "$SETUP_DIR/setup.exe") >/dev/null 2>"$OUT/relay.trace" &
pid=$!
# The wizard waits for a person: its first page means start-up is over.
for _ in $(seq 1 $(( $(scaled 20) * 5 ))); do
    grep -q 'comctl32.dll' "$OUT/relay.trace" 2>/dev/null && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.2
done
sleep 1
kill -KILL -- "-$pid" 2>/dev/null
wait "$pid" 2>/dev/null
{
    trace call "$OUT/relay.trace" setup.exe SetDllDirectoryA "" comctl32.dll
    # LOAD_LIBRARY_SEARCH_SYSTEM32: a DLL loaded by name comes from the system directory only.
    trace call "$OUT/relay.trace" setup.exe SetDefaultDllDirectories 0x800 comctl32.dll
} | sed 's/^\(PASS\|FAIL\): /\1: dll-/' | tee "$OUT/relay.check"
grep -q '^FAIL' "$OUT/relay.check" && failed=1
exit "$failed"
