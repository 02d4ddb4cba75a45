# Shared by the tools/ commands: paths, dependency installation, Wine prefix set-up.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${SETUP_BUILD_DIR:-$ROOT/build}"
export WINEDEBUG="${WINEDEBUG:--all}"

log() { printf '[%s] %s\n' "$(date +%H:%M:%S)" "$*" >&2; }

# The Debian release, for installing with it pinned when the indexes of its suites are out of step.
debian_release() {
    . /etc/os-release 2>/dev/null && echo "${VERSION_CODENAME:-bookworm}" || echo bookworm
}

# Installs Debian packages ($@). An index that fails to download (a mirror in sync, the i386 index of one
# suite behind the amd64 one) is retried; when the plain install cannot resolve, it is retried with the
# release pinned, which takes every package from the release's own suite.
apt_install() {
    [ $# -eq 0 ] && return 0
    log "installing: $*"
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        dpkg --add-architecture i386
    fi
    local try
    for try in 1 2 3; do
        apt-get update -qq >/dev/null 2>&1 && break
        log "apt-get update failed (try $try of 3); an index may be out of step"
        [ "$try" -lt 3 ] && sleep $((try * 5))
    done
    local apt=(env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends)
    if "${apt[@]}" "$@" >/dev/null 2>"$BUILD/apt.err"; then
        return 0
    fi
    log "plain install failed ($(grep -m1 -E '^E:' "$BUILD/apt.err" || true)); retrying with -t $(debian_release)"
    if ! "${apt[@]}" -t "$(debian_release)" "$@" >/dev/null 2>"$BUILD/apt.err"; then
        cat "$BUILD/apt.err" >&2
        log "could not install: $*"
        return 1
    fi
}

# Installs what the build and the tests need, only when something is missing, then makes sure Wine's
# 32-bit loader can run (natively or through qemu-user).
ensure_deps() {
    mkdir -p "$BUILD"
    local need=()
    command -v cmake >/dev/null || need+=(cmake)
    command -v g++ >/dev/null || need+=(g++)
    command -v make >/dev/null || need+=(make)
    command -v i686-w64-mingw32-g++-win32 >/dev/null || need+=(g++-mingw-w64-i686-win32 mingw-w64-i686-dev)
    command -v i686-w64-mingw32-g++-posix >/dev/null || need+=(g++-mingw-w64-i686-posix)
    command -v i686-w64-mingw32-windres >/dev/null || need+=(binutils-mingw-w64-i686)
    command -v x86_64-w64-mingw32-g++-win32 >/dev/null || need+=(g++-mingw-w64-x86-64-win32 mingw-w64-x86-64-dev)
    command -v x86_64-w64-mingw32-g++-posix >/dev/null || need+=(g++-mingw-w64-x86-64-posix)
    command -v x86_64-w64-mingw32-windres >/dev/null || need+=(binutils-mingw-w64-x86-64)
    [ -f /usr/src/googletest/CMakeLists.txt ] || need+=(googletest)
    [ -f /usr/include/gtest/gtest.h ] || need+=(libgtest-dev)
    command -v wine >/dev/null || need+=(wine)
    [ -x /usr/lib/wine/wine64 ] || need+=(wine64)
    dpkg -s wine32:i386 >/dev/null 2>&1 || need+=(wine32:i386)
    /usr/bin/python3 -c 'import pefile' >/dev/null 2>&1 || need+=(python3-pefile)
    /usr/bin/python3 -c 'import PIL' >/dev/null 2>&1 || need+=(python3-pil)
    command -v osslsigncode >/dev/null || need+=(osslsigncode)  # tools/sign
    command -v openssl >/dev/null || need+=(openssl)  # the signing test's throwaway certificate
    command -v Xvfb >/dev/null || need+=(xvfb)
    command -v xauth >/dev/null || need+=(xauth)
    command -v import >/dev/null || need+=(imagemagick)  # import: the screenshots
    command -v xwd >/dev/null || need+=(x11-apps)
    command -v timeout >/dev/null || need+=(coreutils)
    command -v clang++-14 >/dev/null || need+=(clang-14)  # the fuzz tree
    compgen -G '/usr/lib/llvm-14/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a' >/dev/null || need+=(libclang-rt-14-dev)
    # qemu-user in the same install when 32-bit programs will need it.
    if ! command -v qemu-i386 >/dev/null && { [ "${SETUP_WINE_MODE:-}" = emulated ] ||
        { [ "${SETUP_WINE_MODE:-}" != native ] && ! kernel_runs_32bit; }; }; then
        need+=(qemu-user)
    fi
    apt_install "${need[@]}"
    ensure_wine32
}

# ---- 32-bit programs: native or through qemu-user ----------------------------------------------------
# Some kernels run with IA-32 emulation disabled: no 32-bit Linux program starts ("Exec format error"), so
# Wine's 32-bit loader cannot either. There, qemu-user's qemu-i386, registered with binfmt_misc for i386
# ELF files, runs it. SETUP_WINE_MODE=native|emulated overrides the detection (emulated also works on a
# kernel that runs 32-bit programs itself: binfmt_misc takes precedence over the kernel's own loader).
BINFMT=/proc/sys/fs/binfmt_misc
BINFMT_ENTRY=setup-qemu-i386
I386_MAGIC='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
I386_MASK='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'

# A minimal static i386 ELF program that exits with 7.
write_probe32() {
    printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00'\
'\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00'\
'\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00'\
'\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08'\
'\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00'\
'\xb8\x01\x00\x00\x00\xbb\x07\x00\x00\x00\xcd\x80' >"$1"
    chmod +x "$1"
}
probe32() {  # 0 when a 32-bit program runs and returns its exit code
    local probe="$BUILD/probe32"
    [ -x "$probe" ] || write_probe32 "$probe"
    local rc=0
    timeout 60 "$probe" >/dev/null 2>&1 || rc=$?
    [ "$rc" -eq 7 ]
}
binfmt_mounted() { [ -e "$BINFMT/register" ]; }
# Does the kernel itself run 32-bit programs? Asked with every qemu hand-over switched off (and left so).
kernel_runs_32bit() {
    [ -n "${KERNEL_RUNS_32BIT:-}" ] && { [ "$KERNEL_RUNS_32BIT" = yes ]; return; }
    local others
    others="$(qemu_i386_entries)"
    unregister_qemu_i386
    # shellcheck disable=SC2086
    set_binfmt_entries 0 $others
    [ -n "$others" ] && log "qemu binfmt entries switched off to ask the kernel: $others"
    KERNEL_RUNS_32BIT=no
    probe32 && KERNEL_RUNS_32BIT=yes
    [ "$KERNEL_RUNS_32BIT" = yes ]
}
# binfmt_misc entries (other than ours) that hand i386 ELF files to a qemu.
qemu_i386_entries() {
    binfmt_mounted || return 0
    grep -l 'qemu-i386' "$BINFMT"/* 2>/dev/null | grep -v "/$BINFMT_ENTRY\$" | grep -v '/register$\|/status$' || true
}
set_binfmt_entries() {  # set_binfmt_entries 0|1 <entry files...>
    local state="$1" e; shift
    for e in "$@"; do echo "$state" >"$e" 2>/dev/null || true; done
}
register_qemu_i386() {
    local qemu
    qemu="$(command -v qemu-i386 || true)"
    [ -n "$qemu" ] || { apt_install qemu-user; qemu="$(command -v qemu-i386 || true)"; }
    [ -n "$qemu" ] || { log "qemu-i386 is missing after installing qemu-user"; return 1; }
    if ! binfmt_mounted; then
        mount -t binfmt_misc binfmt_misc "$BINFMT" || { log "cannot mount $BINFMT"; return 1; }
    fi
    [ "$(cat "$BINFMT/status")" = enabled ] || echo 1 >"$BINFMT/status"
    if [ -e "$BINFMT/$BINFMT_ENTRY" ] && ! grep -qx "interpreter $qemu" "$BINFMT/$BINFMT_ENTRY"; then
        echo -1 >"$BINFMT/$BINFMT_ENTRY"
    fi
    if [ ! -e "$BINFMT/$BINFMT_ENTRY" ]; then
        # F: the interpreter is opened now, so it is found from any mount namespace later.
        printf ':%s:M::%s:%s:%s:F' "$BINFMT_ENTRY" "$I386_MAGIC" "$I386_MASK" "$qemu" >"$BINFMT/register"
    fi
    echo 1 >"$BINFMT/$BINFMT_ENTRY"
}
unregister_qemu_i386() {
    [ -e "$BINFMT/$BINFMT_ENTRY" ] && echo 0 >"$BINFMT/$BINFMT_ENTRY" 2>/dev/null
    return 0
}

# Decides how 32-bit programs run and exports SETUP_WINE_MODE (native or emulated) and SETUP_TIME_SCALE
# (the factor every Wine-driven wait is multiplied by). Says which mode it chose in one line.
ensure_wine32() {
    local want="${SETUP_WINE_MODE:-}" why
    why="this kernel does not run 32-bit programs"
    [ "$want" = emulated ] && why="asked for with SETUP_WINE_MODE=emulated"
    if [ "$want" != emulated ]; then
        if kernel_runs_32bit; then
            [ -n "$want" ] || want=native
        elif [ "$want" = native ]; then
            log "SETUP_WINE_MODE=native, but this kernel cannot run 32-bit programs"
            return 1
        else
            want=emulated
        fi
    fi
    if [ "$want" = emulated ]; then
        register_qemu_i386 || { log "cannot set up qemu-user for 32-bit programs"; return 1; }
        if ! probe32; then
            log "32-bit programs do not run even through qemu-i386"
            return 1
        fi
    fi
    export SETUP_WINE_MODE="$want"
    # No desktop menu entries from test prefixes, no Mono or Gecko; under emulation no debugger either: a
    # crashing 32-bit program would start winedbg, itself emulated, which can wait for good.
    if [ -z "${WINEDLLOVERRIDES+set}" ]; then
        export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree,mshtml="
        [ "$want" = emulated ] && WINEDLLOVERRIDES="winedbg.exe,winemenubuilder.exe=d;mscoree,mshtml="
    fi
    if [ "$want" = emulated ]; then
        export SETUP_TIME_SCALE="${SETUP_TIME_SCALE:-8}"
        [ -n "${SETUP_MODE_SAID:-}" ] ||
            log "mode: emulated - $why; Wine's 32-bit loader runs through qemu-i386 (binfmt_misc entry $BINFMT_ENTRY), 32-bit waits scaled by $SETUP_TIME_SCALE"
    else
        export SETUP_TIME_SCALE="${SETUP_TIME_SCALE:-1}"
        [ -n "${SETUP_MODE_SAID:-}" ] || log "mode: native - this kernel runs 32-bit programs itself"
    fi
    export SETUP_MODE_SAID=1
}

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

# The prefix for running the shipped setup.exe as a person would: PREFIX_ARCH win32 (32-bit Windows) where
# 32-bit programs are native. Where they are emulated a 32-bit prefix's own services and desktop would be
# emulated too, so it is win64, where setup.exe runs under WOW64 and refuses to install (it says so with its
# failure message). PREFIX_CC: the mingw compiler of the prefix's own width, for helpers.
person_prefix() {
    PREFIX_ARCH=win32 PREFIX_CC=i686-w64-mingw32-gcc
    if [ "$SETUP_WINE_MODE" = emulated ]; then
        log "32-bit programs are emulated here: a 64-bit prefix, where setup.exe refuses to install (WOW64)"
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
