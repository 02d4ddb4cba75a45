#!/usr/bin/env bash
# Signs a built product tree with a throwaway self-signed certificate made here with openssl (tools/sign) and
# checks the result: both programs' signatures verify (osslsigncode verify against that certificate), store
# entry 255 read back out of the signed setup.exe is the signed uninstall.exe at exactly its catalogue size
# and verifies on its own, and pe_check passes on both signed programs.
# Usage: signed_build.sh --pem|--pfx <built product tree> [<the same commit's unsigned tree>]
#   --pem: the certificate and key as PEM files; --pfx: as a PKCS#12 file with a password file.
# With an unsigned tree of the same commit, tools/check_release.py must find the signed setup.exe to be its
# build, and must find a signed setup.exe with one byte of its code changed not to be.
# The tree stays signed (tools/sign --tree <tree> --unsigned builds it unsigned again). Its two programs are
# linked again even when it was signed before, so that the signatures are this certificate's.
source "$(dirname "$0")/../../tools/lib.sh"
set +e

MODE="${1:?usage: signed_build.sh --pem|--pfx <tree>}"
TREE="$(realpath "${2:?usage: signed_build.sh --pem|--pfx <tree>}")"
UNSIGNED_TREE="${3:-}"
KEYS="$TREE/test-signing"

source "$ROOT/tests/e2e/report.sh"

rm -rf "$KEYS"
mkdir -p "$KEYS"
if ! openssl req -x509 -newkey rsa:2048 -nodes -keyout "$KEYS/key.pem" -out "$KEYS/cert.pem" -days 2 \
        -subj "/CN=Throwaway test signer" -addext extendedKeyUsage=codeSigning >"$KEYS/openssl.log" 2>&1; then
    cat "$KEYS/openssl.log"; fail "throwaway-certificate"; exit 1
fi
if [ "$MODE" = --pfx ]; then
    echo "throwaway-$$" >"$KEYS/password"
    openssl pkcs12 -export -inkey "$KEYS/key.pem" -in "$KEYS/cert.pem" -passout "file:$KEYS/password" \
        -out "$KEYS/signer.pfx" >>"$KEYS/openssl.log" 2>&1 || { cat "$KEYS/openssl.log"; fail "throwaway-pfx"; exit 1; }
    keys=(--pfx "$KEYS/signer.pfx" --password-file "$KEYS/password")
else
    keys=(--cert "$KEYS/cert.pem" --key "$KEYS/key.pem")
fi

rm -f "$TREE/uninstall.exe" "$TREE/setup.exe"
if "$ROOT/tools/sign" --tree "$TREE" "${keys[@]}" --ca "$KEYS/cert.pem" >"$KEYS/sign.log" 2>&1; then
    pass "tools-sign ${MODE#--}"
else
    tail -n 30 "$KEYS/sign.log"; fail "tools-sign ${MODE#--}"; exit 1
fi

verify() { osslsigncode verify -CAfile "$KEYS/cert.pem" -in "$1" >"$KEYS/verify.log" 2>&1 || { cat "$KEYS/verify.log"; return 1; }; }
check "uninstall.exe-signature-verifies" verify "$TREE/uninstall.exe"
check "setup.exe-signature-verifies" verify "$TREE/setup.exe"

# Entry 255 as setup.exe carries it: the OWNER_DATA resource the program reads, written out and verified.
if /usr/bin/python3 - "$TREE/setup.exe" "$TREE/uninstall.exe" "$ROOT/resources/payload.tsv" "$KEYS/entry-255.exe" <<'PY'
import sys
import pefile
setup, uninstall, payload, out = sys.argv[1:]
size = next(int(l.split("\t")[3]) for l in open(payload, encoding="utf-8") if l.startswith("255\t"))
pe = pefile.PE(setup)
entry = None
for rtype in pe.DIRECTORY_ENTRY_RESOURCE.entries:
    if str(rtype.name) == "OWNER_DATA":
        for rid in rtype.directory.entries:
            if rid.id == 255:
                d = rid.directory.entries[0].data.struct
                entry = pe.get_data(d.OffsetToData, d.Size)
if entry is None:
    sys.exit("setup.exe carries no entry 255")
open(out, "wb").write(entry)
signed = pefile.PE(data=entry, fast_load=True).OPTIONAL_HEADER.DATA_DIRECTORY[4]
problems = []
if len(entry) != size:
    problems.append("entry 255 is %d bytes, the catalogue size is %d" % (len(entry), size))
if entry != open(uninstall, "rb").read():
    problems.append("entry 255 is not the signed uninstall.exe")
if not signed.VirtualAddress or signed.VirtualAddress + signed.Size != len(entry):
    problems.append("entry 255 carries no signature at its end")
for p in problems:
    print(p)
sys.exit(1 if problems else 0)
PY
then
    pass "entry-255-is-the-signed-uninstaller-at-its-catalogue-size"
else
    fail "entry-255-is-the-signed-uninstaller-at-its-catalogue-size"
fi
check "entry-255-signature-verifies" verify "$KEYS/entry-255.exe"

width=()
[ "$(pe_machine "$TREE/setup.exe")" = x86_64 ] && width=(--x86_64)
check "pe-check-signed-setup" /usr/bin/python3 "$ROOT/tests/pe_check.py" "${width[@]}" "$TREE/setup.exe" "$TREE/store"
check "pe-check-signed-uninstaller" /usr/bin/python3 "$ROOT/tests/pe_check.py" "${width[@]}" --uninstaller \
    "$TREE/uninstall.exe" "$TREE/store"

if [ -n "$UNSIGNED_TREE" ]; then
    check "check-release-finds-the-signed-setup.exe-to-be-the-unsigned-tree's" \
        /usr/bin/python3 "$ROOT/tools/check_release.py" "$TREE/setup.exe" "$UNSIGNED_TREE"
    # One byte of the code changed: the signature no longer matches, and the comparison must say so.
    cp "$TREE/setup.exe" "$KEYS/changed.exe"
    /usr/bin/python3 - "$KEYS/changed.exe" <<'PY'
import sys
import pefile
path = sys.argv[1]
data = bytearray(open(path, "rb").read())
data[pefile.PE(data=bytes(data), fast_load=True).sections[0].PointerToRawData + 64] ^= 0xFF
open(path, "wb").write(data)
PY
    if /usr/bin/python3 "$ROOT/tools/check_release.py" "$KEYS/changed.exe" "$UNSIGNED_TREE"; then
        fail "check-release-finds-a-changed-byte"
    else
        pass "check-release-finds-a-changed-byte"
    fi
fi
exit "$failed"
