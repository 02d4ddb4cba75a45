# Shared by the tools/ commands: paths, Wine prefixes, builds (and, from tools/host.sh, what the machine needs).
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${SETUP_BUILD_DIR:-$ROOT/build}"
export WINEDEBUG="${WINEDEBUG:--all}"

log() { printf '[%s] %s\n' "$(date +%H:%M:%S)" "$*" >&2; }

# Debian packages and the way 32-bit programs run on this machine: ensure_deps, apt_install, ensure_wine32.
source "$ROOT/tools/host.sh"

# A wait of $1 seconds at native speed, scaled for the mode.
scaled() { echo $(( $1 * ${SETUP_TIME_SCALE:-1} )); }
# store_entries <store dir> <pattern>: the <id>.bin path of every entry of the store's generated manifest whose
# use column matches the awk pattern ("^settings$", "@xp.*\\+names"), in id order.
store_entries() {
    awk -F'\t' -v use="$2" -v store="$1" '!/^#/ && $6 ~ use { print store "/" $1 ".bin" }' "$1/manifest.tsv"
}

# ---- Wine prefixes and bounded runs ----------------------------------------------------------------------
# /usr/bin/wine always starts the 32-bit loader first, which then hands 64-bit programs to wine64; under
# emulation that first start alone costs the price of an emulated process. So the loader is chosen per
# prefix: wine64 for a 64-bit prefix (it still starts 32-bit programs through the 32-bit loader), the 32-bit
# loader for a 32-bit one.
WINE64_LOADER=/usr/lib/wine/wine64
WINE32_LOADER=/usr/lib/wine/wine
prefix_arch() { [ -f "$1/.arch" ] && cat "$1/.arch" || echo win64; }
wine_loader() {  # the loader for prefix $1 (default $WINEPREFIX)
    if [ "$(prefix_arch "${1:-$WINEPREFIX}")" = win32 ]; then echo "$WINE32_LOADER"; else echo "$WINE64_LOADER"; fi
}
# wine_in <seconds at native speed> <program> [args...]: runs a Windows program in $WINEPREFIX within the
# limit (scaled for the mode); on expiry it and everything it started in its process group are killed.
wine_in() {
    local limit; limit="$(scaled "$1")"; shift
    timeout -k 10 "$limit" "$(wine_loader)" "$@"
}
# Ends every program of prefix $1, within a bound.
stop_prefix() {
    WINEPREFIX="$1" timeout 30 wineserver -k >/dev/null 2>&1 || true
    WINEPREFIX="$1" timeout "$(scaled 30)" wineserver -w >/dev/null 2>&1 || true
}

# hold_server <prefix>: starts the prefix's server for good (until stop_prefix), within a bound. Debian's wineserver
# ends the moment the last program of a session ends (-p0), taking the prefix's services and desktop with it, so
# programs started one after another each start a new session while the previous one is still being torn down;
# with the server held they all run in one session. Where the server cannot be started the programs start their
# own as before.
HELD_SERVER=""
hold_server() {
    stop_prefix "$1"
    if WINEPREFIX="$1" timeout 30 wineserver -p >/dev/null 2>&1; then
        HELD_SERVER="$1"
    else
        log "could not start a lasting Wine server for $(basename "$1")"
    fi
}

# set_user_reg <prefix> <key below HKCU, \\-separated> <value name> <string>: written into user.reg with the
# prefix's server down; a value that is already so costs no restart.
set_user_reg() {
    local reg=("$ROOT/tools/user_reg.py" "$1/user.reg" "$2" "$3" "$4")
    /usr/bin/python3 "${reg[0]}" --check "${reg[@]:1}" && return 0
    stop_prefix "$1"
    /usr/bin/python3 "${reg[@]}"
}

# Creates a headless Wine prefix (null display driver) at $1 unless it is there already; $2 is win64
# (default) or win32; $3=display keeps Wine's display driver (for a person or a screenshot to see).
# Bounded: a prefix that is not made in time is reported and removed.
make_wine_prefix() {
    local prefix="$1" arch="${2:-win64}" display="${3:-}"
    [ -f "$prefix/.made" ] && return 0
    rm -rf "$prefix"
    mkdir -p "$prefix"
    echo "$arch" >"$prefix/.arch"
    local loader limit=300 t0 rc=0
    loader="$(wine_loader "$prefix")"
    [ "${SETUP_WINE_MODE:-native}" = emulated ] && limit=1800
    t0=$(date +%s)
    WINEARCH="$arch" WINEPREFIX="$prefix" timeout -k 10 "$limit" "$loader" wineboot.exe -i >"$prefix.boot.log" 2>&1 || rc=$?
    # What wineboot started ends by itself shortly; what lingers (a crashed program's debugger) is ended.
    if ! WINEPREFIX="$prefix" timeout "$(scaled 30)" wineserver -w >/dev/null 2>&1; then
        log "ending what still runs in $(basename "$prefix") after wineboot"
        stop_prefix "$prefix"
    fi
    if [ "$rc" -ne 0 ] || [ ! -f "$prefix/user.reg" ]; then
        log "the $arch Wine prefix $prefix was not made (exit $rc after $(( $(date +%s) - t0 )) s); see $prefix.boot.log"
        stop_prefix "$prefix"
        rm -rf "$prefix"
        return 1
    fi
    [ "$display" = display ] || set_user_reg "$prefix" 'Software\Wine\Drivers' Graphics null
    touch "$prefix/.made"
    log "made the $arch Wine prefix $(basename "$prefix") in $(( $(date +%s) - t0 )) s"
}

# Sets the Windows version that the prefix reports (win2k, winxp, win2003, vista, win7).
set_wine_version() {
    set_user_reg "$1" 'Software\Wine' Version "$2"
}

configure_tree() {
    local dir="$1" kind="$2" toolchain="${3:-}"
    local args=(-S "$ROOT" -B "$dir" -DSETUP_KIND="$kind" -DCMAKE_BUILD_TYPE=Release)
    [ -n "$toolchain" ] && args+=(-DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/$toolchain")
    local vendor="${SETUP_VENDOR_PAYLOAD:-}"
    [ -n "$vendor" ] && vendor="$(realpath -m "$vendor")"
    [ -n "$vendor" ] && args+=(-DSETUP_VENDOR_PAYLOAD="$vendor")
    if [ ! -f "$dir/CMakeCache.txt" ]; then
        cmake "${args[@]}" >/dev/null
    elif [ -n "${SETUP_VENDOR_PAYLOAD+set}" ]; then
        # A vendor directory named on the command line (empty: stand-ins) applies to an existing tree too.
        cmake "$dir" -DSETUP_VENDOR_PAYLOAD="$vendor" >/dev/null
    fi
}

# The trees: native (engine and unit tests), win32 (the shipped i686 setup.exe), wintests (the i686 Windows
# test programs), win64 and wintests64 (the same sources for x86_64: a test-only setup.exe, never shipped,
# and the test programs, for the suites that run in a 64-bit prefix at native speed), fuzz (the libFuzzer
# targets, clang). Where 32-bit programs run natively the i686 programs run every suite themselves, so the
# x86_64 test programs are not built (SETUP_ALL_TREES=1 builds them all the same); the x86_64 setup.exe
# still is, for its PE check.
build_all() {
    local trees=(native win32 wintests win64 wintests64 fuzz)
    if [ "${SETUP_WINE_MODE:-}" = native ] && [ -z "${SETUP_ALL_TREES:-}" ]; then
        trees=(native win32 wintests win64 fuzz)
    fi
    configure_tree "$BUILD/native" native
    configure_tree "$BUILD/win32" product mingw-i686-win32.cmake
    configure_tree "$BUILD/wintests" wintests mingw-i686-posix.cmake
    configure_tree "$BUILD/win64" product mingw-x86_64-win32.cmake
    [[ " ${trees[*]} " == *" wintests64 "* ]] && configure_tree "$BUILD/wintests64" wintests mingw-x86_64-posix.cmake
    configure_tree "$BUILD/fuzz" fuzz clang-fuzz.cmake
    local tree
    for tree in "${trees[@]}"; do
        cmake --build "$BUILD/$tree" -j2 >&2
    done
}

# Puts the end-to-end tests' printui.dll stand-in ($2) into the system directory of its width in prefix $1
# and makes Wine load it instead of its builtin (whose PrintUIEntry has no /if). Test prefixes only.
install_printui_stand_in() {
    local prefix="$1" dll="$2" dir="$1/drive_c/windows/system32"
    if [ "$(pe_machine "$dll")" = i386 ] && [ -d "$prefix/drive_c/windows/syswow64" ]; then
        dir="$prefix/drive_c/windows/syswow64"
    fi
    cp "$dll" "$dir/printui.dll"
    set_user_reg "$prefix" 'Software\Wine\DllOverrides' printui native
}

# For the i686 setup.exe in a 64-bit prefix, which runs under WOW64 and installs the x64 driver through the
# 64-bit system's command: the stand-in built as 64-bit Windows's command (tests/e2e target x64, into $2/x64)
# in the 64-bit system directory, and labelled stand-ins of the Unidrv core files that 64-bit Windows carries
# in its driver store, where that command takes them from.
install_x64_system_stand_ins() {
    local prefix="$1" out="$2" f core="$1/drive_c/windows/system32/DriverStore/FileRepository/ntprint.inf_amd64/Amd64"
    make -s -C "$ROOT/tests/e2e" OUT="$out" x64 || return 1
    install_printui_stand_in "$prefix" "$out/x64/printui.dll"
    mkdir -p "$core"
    for f in UNIDRV.DLL UNIDRVUI.DLL UNIDRV.HLP UNIRES.DLL STDNAMES.GPD; do
        echo "stand-in for 64-bit Windows's own $f (test use only)" >"$core/$f"
    done
}

# The prefix for running the shipped setup.exe as a person would: PREFIX_ARCH win32 (32-bit Windows) where
# 32-bit programs are native. Where they are emulated a 32-bit prefix's own services and desktop would be
# emulated too, so it is win64, where setup.exe runs under WOW64 and installs the x64 driver (see
# install_x64_system_stand_ins). PREFIX_CC: the mingw compiler of the prefix's own width, for helpers.
person_prefix() {
    PREFIX_ARCH=win32 PREFIX_CC=i686-w64-mingw32-gcc
    if [ "$SETUP_WINE_MODE" = emulated ]; then
        log "32-bit programs are emulated here: a 64-bit prefix, where setup.exe installs the x64 driver (WOW64)"
        PREFIX_ARCH=win64 PREFIX_CC=x86_64-w64-mingw32-gcc
    fi
}

# i686 or x86_64: the width of the helpers (tests/e2e/Makefile ARCH) that serve the PE file $1.
helper_arch() {
    if [ "$(pe_machine "$1")" = x86_64 ]; then echo x86_64; else echo i686; fi
}

# i386 or x86_64: the machine a PE file is built for.
pe_machine() {
    local m
    m="$(od -An -tx1 -j "$(( $(od -An -tu4 -j 60 -N 4 "$1") + 4 ))" -N 2 "$1" | tr -d ' \n')"
    case "$m" in 4c01) echo i386 ;; 6486) echo x86_64 ;; *) echo "unknown-$m" ;; esac
}
