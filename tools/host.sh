# What this machine needs before anything builds or runs, in one place (sourced by tools/lib.sh, so every
# command of tools/ and the end-to-end scripts have it): the Debian packages (ensure_deps, apt_install) and
# the way Wine's 32-bit loader runs here, natively or through qemu-user registered with binfmt_misc
# (ensure_wine32). Uses ROOT, BUILD and log from tools/lib.sh.

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
    command -v Xvfb >/dev/null || need+=(xvfb)
    command -v xauth >/dev/null || need+=(xauth)
    command -v import >/dev/null || need+=(imagemagick)  # import: the screenshots
    command -v xwd >/dev/null || need+=(x11-apps)
    command -v timeout >/dev/null || need+=(coreutils)
    command -v osslsigncode >/dev/null || need+=(osslsigncode)  # tools/sign
    command -v openssl >/dev/null || need+=(openssl)  # the signing test's throwaway certificate
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

# A font with the Chinese characters, for the wizard's Chinese texts on screen (tools/screenshots): without one
# Wine draws every Chinese character as an empty box. Debian's WenQuanYi Micro Hei covers simplified and
# traditional Chinese; Wine finds it through fontconfig.
ensure_cjk_font() {
    if command -v fc-list >/dev/null && [ -n "$(fc-list ':lang=zh-cn' family)" ] &&
        [ -n "$(fc-list ':lang=zh-tw' family)" ]; then
        return 0
    fi
    apt_install fonts-wqy-microhei fontconfig
    fc-cache >/dev/null 2>&1 || true
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
