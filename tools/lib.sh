# Shared by the tools/ commands: paths, dependency installation, Wine prefix set-up.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${SETUP_BUILD_DIR:-$ROOT/build}"
export WINEDEBUG="${WINEDEBUG:--all}"

log() { printf '[%s] %s\n' "$(date +%H:%M:%S)" "$*" >&2; }

# Installs what the build and the tests need, only when something is missing.
ensure_deps() {
    local need=()
    command -v cmake >/dev/null || need+=(cmake)
    command -v g++ >/dev/null || need+=(g++)
    command -v i686-w64-mingw32-g++-win32 >/dev/null || need+=(g++-mingw-w64-i686 mingw-w64-i686-dev)
    command -v i686-w64-mingw32-g++-posix >/dev/null || need+=(g++-mingw-w64-i686-posix)
    command -v i686-w64-mingw32-windres >/dev/null || need+=(binutils-mingw-w64-i686)
    [ -f /usr/src/googletest/CMakeLists.txt ] || need+=(googletest)
    [ -f /usr/include/gtest/gtest.h ] || need+=(libgtest-dev)
    command -v wine >/dev/null || need+=(wine)
    dpkg -s wine32:i386 >/dev/null 2>&1 || need+=(wine32:i386)
    /usr/bin/python3 -c 'import pefile' >/dev/null 2>&1 || need+=(python3-pefile)
    /usr/bin/python3 -c 'import PIL' >/dev/null 2>&1 || need+=(python3-pil)
    command -v Xvfb >/dev/null || need+=(xvfb)
    command -v xauth >/dev/null || need+=(xauth)
    command -v convert >/dev/null || need+=(imagemagick)
    command -v xwd >/dev/null || need+=(x11-apps)
    [ ${#need[@]} -eq 0 ] && return 0
    log "installing: ${need[*]}"
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        dpkg --add-architecture i386
    fi
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
}

# Creates a headless Wine prefix (null display driver) at $1 unless it is there already.
make_wine_prefix() {
    local prefix="$1"
    if [ ! -f "$prefix/.headless" ]; then
        rm -rf "$prefix"
        mkdir -p "$(dirname "$prefix")"
        WINEPREFIX="$prefix" wineboot -i >/dev/null 2>&1 || true
        WINEPREFIX="$prefix" wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
        WINEPREFIX="$prefix" wineserver -w || true
        touch "$prefix/.headless"
    fi
}

# Sets the Windows version that the prefix reports (win2k, winxp, win2003, vista, win7).
set_wine_version() {
    WINEPREFIX="$1" wine reg add 'HKCU\Software\Wine' /v Version /d "$2" /f >/dev/null 2>&1
    WINEPREFIX="$1" wineserver -w || true
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

build_all() {
    configure_tree "$BUILD/native" native
    configure_tree "$BUILD/win32" product mingw-i686-win32.cmake
    configure_tree "$BUILD/wintests" wintests mingw-i686-posix.cmake
    cmake --build "$BUILD/native" -j2 >&2
    cmake --build "$BUILD/win32" -j2 >&2
    cmake --build "$BUILD/wintests" -j2 >&2
}

# Puts the end-to-end tests' printui.dll stand-in ($2) into the prefix's 32-bit system directory and makes
# Wine load it instead of its builtin (whose PrintUIEntry has no /if). Test prefixes only.
install_printui_stand_in() {
    local prefix="$1" dll="$2" dir="$1/drive_c/windows/system32"
    [ -d "$prefix/drive_c/windows/syswow64" ] && dir="$prefix/drive_c/windows/syswow64"
    cp "$dll" "$dir/printui.dll"
    WINEPREFIX="$prefix" wine reg add 'HKCU\Software\Wine\DllOverrides' /v printui /d native /f >/dev/null 2>&1
}
