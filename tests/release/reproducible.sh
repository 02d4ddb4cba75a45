#!/usr/bin/env bash
# Builds a product tree's setup.exe a second time, in another directory, and compares the programs byte for
# byte with the first build's: setup.exe and uninstall.exe must be identical (no time stamp, no build path,
# no order that depends on the machine). The second tree takes the first one's toolchain, vendor payload and
# SOURCE_DATE_EPOCH; it is built from nothing each time (only setup.exe's targets).
# Usage: reproducible.sh <built product tree> <directory for the second tree>
source "$(dirname "$0")/../../tools/lib.sh"
set +e

FIRST="$(realpath "${1:?usage: reproducible.sh <built product tree> <second tree>}")"
SECOND="$(realpath -m "${2:?usage: reproducible.sh <built product tree> <second tree>}")"
cache() { sed -n "s/^$1:[A-Z]*=//p" "$FIRST/CMakeCache.txt"; }

source "$ROOT/tests/e2e/report.sh"

[ "$(cache SETUP_KIND)" = product ] || { fail "first-tree-is-product" "$FIRST"; exit 1; }
[ -z "$(cache SETUP_SIGN)" ] || { fail "first-tree-unsigned" "$FIRST is configured to sign; a signature is not reproducible"; exit 1; }
[ "$SECOND" != "$FIRST" ] || { fail "two-directories"; exit 1; }
rm -rf "$SECOND"
mkdir -p "$(dirname "$SECOND")"
if ! cmake -S "$ROOT" -B "$SECOND" -DSETUP_KIND=product -DCMAKE_BUILD_TYPE="$(cache CMAKE_BUILD_TYPE)" \
        -DCMAKE_TOOLCHAIN_FILE="$(cache CMAKE_TOOLCHAIN_FILE)" -DSETUP_VENDOR_PAYLOAD="$(cache SETUP_VENDOR_PAYLOAD)" \
        -DSETUP_SOURCE_DATE_EPOCH="$(cache SETUP_SOURCE_DATE_EPOCH)" >"$SECOND.configure.log" 2>&1 ||
   ! cmake --build "$SECOND" -j2 --target setup >"$SECOND.build.log" 2>&1; then
    tail -n 30 "$SECOND.configure.log" "$SECOND.build.log" 2>/dev/null
    fail "second-build" "see $SECOND.build.log"
    exit 1
fi
pass "second-build in $SECOND"

for exe in uninstall.exe setup.exe; do
    if cmp -s "$FIRST/$exe" "$SECOND/$exe"; then
        pass "$exe-identical ($(stat -c %s "$FIRST/$exe") bytes, sha256 $(sha256sum <"$FIRST/$exe" | cut -c1-16)...)"
    else
        fail "$exe-identical" "$(/usr/bin/python3 "$ROOT/tests/release/pe_diff.py" "$FIRST/$exe" "$SECOND/$exe")"
    fi
done
exit "$failed"
