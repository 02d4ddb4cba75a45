#!/usr/bin/python3
"""Checks tools/share_store.py on a small program built here with mingw-w64 (i686 and x86_64): a store of
four identifiers, two of them sharing their bytes with a primary, embedded the way tools/gen_store.py
writes it (bytes under the primary, an empty placeholder under the others).

- after the step every identifier reads back its bytes, the sharing ones through the primary's data entry,
  and the file keeps its size; a second run changes nothing;
- it refuses (and leaves the program as it was) a placeholder that carries bytes, a primary whose bytes
  differ from shared.tsv, an identifier that shared.tsv does not list, and a signed program (the step runs
  before signing; rewriting a signed program would break its signature).

usage: share_store_test.py   (prints PASS:/FAIL: lines; exits non-zero on a failure)
"""
import hashlib
import os
import shutil
import subprocess
import sys
import tempfile

import pefile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SHARE = [sys.executable, os.path.join(ROOT, "tools", "share_store.py")]
ENTRIES = {10: b"first entry\r\n" * 300, 11: None, 12: b"second entry", 13: None}  # None: shares with a primary
PRIMARY = {10: 10, 11: 10, 12: 12, 13: 12}

failures = 0


def check(name, ok, detail=""):
    global failures
    print("%s: %s%s" % ("PASS" if ok else "FAIL", name, "" if ok else " (%s)" % detail))
    if not ok:
        failures += 1


def build(work, arch, listed=None, placeholder=b""):
    """Writes the store files and links prog.exe; listed: the identifiers shared.tsv names."""
    rc, shared = ["LANGUAGE 4, 2"], ["#id\tprimary\tsize\tsha256"]
    with open(os.path.join(work, "empty.dat"), "wb") as f:
        f.write(placeholder)
    for ident, primary in sorted(PRIMARY.items()):
        data = ENTRIES[primary]
        with open(os.path.join(work, "%d.bin" % ident), "wb") as f:
            f.write(data)
        source = "%d.bin" % ident if primary == ident else "empty.dat"
        rc.append('%d OWNER_DATA "%s"' % (ident, os.path.join(work, source)))
        if listed is None or ident in listed:
            shared.append("%d\t%d\t%d\t%s" % (ident, primary, len(data), hashlib.sha256(data).hexdigest()))
    with open(os.path.join(work, "store.rc"), "w") as f:
        f.write("\n".join(rc) + "\n")
    with open(os.path.join(work, "shared.tsv"), "w") as f:
        f.write("\n".join(shared) + "\n")
    with open(os.path.join(work, "main.c"), "w") as f:
        f.write("int main(void) { return 0; }\n")
    exe = os.path.join(work, "prog.exe")
    subprocess.run(["%s-w64-mingw32-windres" % arch, os.path.join(work, "store.rc"), "-O", "coff", "-o",
                    os.path.join(work, "store.o")], check=True)
    subprocess.run(["%s-w64-mingw32-gcc" % arch, "-o", exe, os.path.join(work, "main.c"),
                    os.path.join(work, "store.o")], check=True)
    return exe


def read_back(exe):
    """{id: (bytes, offset of the data entry)} of the OWNER_DATA resources."""
    pe = pefile.PE(exe)
    out = {}
    for rtype in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        if str(rtype.name) == "OWNER_DATA":
            for rid in rtype.directory.entries:
                lang = rid.directory.entries[0]
                out[rid.id] = (pe.get_data(lang.data.struct.OffsetToData, lang.data.struct.Size),
                               lang.struct.OffsetToData)
    pe.close()
    return out


def share(exe, work):
    return subprocess.run(SHARE + [exe, work], capture_output=True, text=True)


def contents(path):
    with open(path, "rb") as f:
        return f.read()


def run(arch):
    work = tempfile.mkdtemp(prefix="share-store-")
    try:
        exe = build(work, arch)
        before = contents(exe)
        linked = read_back(exe)
        check("%s: linked program reads empty entries for the sharing identifiers" % arch,
              linked[11][0] == b"" and linked[13][0] == b"", linked)
        result = share(exe, work)
        check("%s: step succeeds" % arch, result.returncode == 0, result.stderr)
        after = read_back(exe)
        for ident, primary in sorted(PRIMARY.items()):
            check("%s: %d reads back its bytes" % (arch, ident), after[ident][0] == ENTRIES[primary])
            check("%s: %d uses the data entry of %d" % (arch, ident, primary), after[ident][1] == after[primary][1])
        check("%s: distinct entries keep distinct data entries" % arch, after[10][1] != after[12][1])
        check("%s: size unchanged" % arch, len(contents(exe)) == len(before))
        shared_once = contents(exe)
        result = share(exe, work)
        check("%s: second run succeeds and changes nothing" % arch,
              result.returncode == 0 and contents(exe) == shared_once, result.stderr)

        # A placeholder that carries bytes is refused: the identifier is then not a copy of its primary.
        exe = build(work, arch, placeholder=b"x")
        linked = contents(exe)
        result = share(exe, work)
        check("%s: placeholder with bytes refused, program left alone" % arch,
              result.returncode != 0 and "placeholder" in result.stderr and contents(exe) == linked, result.stderr)

        # A primary whose bytes are not the ones shared.tsv names.
        exe = build(work, arch)
        with open(os.path.join(work, "shared.tsv")) as f:
            text = f.read()
        with open(os.path.join(work, "shared.tsv"), "w") as f:
            f.write(text.replace(hashlib.sha256(ENTRIES[12]).hexdigest(), "0" * 64))
        linked = contents(exe)
        result = share(exe, work)
        check("%s: wrong bytes refused, program left alone" % arch,
              result.returncode != 0 and "13 reads back" in result.stderr and contents(exe) == linked,
              result.stderr)

        # An embedded identifier that shared.tsv does not list.
        exe = build(work, arch, listed={10, 11, 12})
        result = share(exe, work)
        check("%s: unlisted identifier refused" % arch,
              result.returncode != 0 and "13 is not in shared.tsv" in result.stderr, result.stderr)

        # A signed program: the step would break its signature.
        exe = build(work, arch)
        key, cert = os.path.join(work, "key.pem"), os.path.join(work, "cert.pem")
        subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out", cert,
                        "-days", "2", "-subj", "/CN=Throwaway share test", "-addext", "extendedKeyUsage=codeSigning"],
                       check=True, capture_output=True)
        subprocess.run(["osslsigncode", "sign", "-h", "sha256", "-certs", cert, "-key", key, "-in", exe,
                        "-out", exe + ".signed"], check=True, capture_output=True)
        os.replace(exe + ".signed", exe)
        signed = contents(exe)
        result = share(exe, work)
        check("%s: signed program refused, left alone" % arch,
              result.returncode != 0 and "signed" in result.stderr and contents(exe) == signed, result.stderr)
    finally:
        shutil.rmtree(work, ignore_errors=True)


for arch in ("i686", "x86_64"):
    run(arch)
print("share_store_test: %d failure(s)" % failures)
sys.exit(1 if failures else 0)
