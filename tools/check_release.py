#!/usr/bin/env python3
"""Checks a published setup.exe against this commit's build: is it, byte for byte, what the commit builds?

    check_release.py <published setup.exe> [<built product tree>]      (default tree: build/win32)

The tree is this commit built unsigned, with the vendor payload and SOURCE_DATE_EPOCH of the release.

An unsigned setup.exe must be the tree's setup.exe. A signed one cannot be rebuilt without the vendor's key, so
the signatures are taken off and what they sign is compared: setup.exe without its signature must be the
tree's setup.exe with store entry 255 being the published program's own entry 255 (the signed uninstaller),
and that uninstaller without its signature must be the tree's uninstall.exe padded to the same size. The
signatures themselves are the vendor's: osslsigncode verify checks them.

Prints what it compared and exits 0 when everything matches, 1 when something differs.
"""
import os
import subprocess
import sys
import tempfile

import pefile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import pad_pe  # noqa: E402

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SECURITY = pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_SECURITY"]
UNINSTALLER = 255


def read(path):
    with open(path, "rb") as f:
        return f.read()


def signed(data):
    entry = pefile.PE(data=data, fast_load=True).OPTIONAL_HEADER.DATA_DIRECTORY[SECURITY]
    return bool(entry.VirtualAddress)


def without_signature(data, work, name):
    """The bytes the signature signs: osslsigncode remove-signature (which also sets the checksum again)."""
    src, out = os.path.join(work, name), os.path.join(work, name + ".unsigned")
    with open(src, "wb") as f:
        f.write(data)
    run = subprocess.run(["osslsigncode", "remove-signature", "-in", src, "-out", out],
                         stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=120)
    if run.returncode != 0:
        raise SystemExit("check_release: osslsigncode remove-signature failed on %s:\n%s"
                         % (name, run.stdout.decode("utf-8", "replace")))
    return read(out)


def entry_place(data, ident):
    """(file offset, size) of OWNER_DATA <ident>."""
    pe = pefile.PE(data=data)
    for rtype in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        if str(rtype.name) == "OWNER_DATA":
            for rid in rtype.directory.entries:
                if rid.id == ident:
                    d = rid.directory.entries[0].data.struct
                    return pe.get_offset_from_rva(d.OffsetToData), d.Size
    raise SystemExit("check_release: the program carries no store entry %d" % ident)


def with_checksum(data):
    pe = pefile.PE(data=data, fast_load=True)
    if not pe.OPTIONAL_HEADER.CheckSum:
        return data
    out = bytearray(data)
    at = pe.OPTIONAL_HEADER.get_file_offset() + 64
    out[at:at + 4] = pe.generate_checksum().to_bytes(4, "little")
    return bytes(out)


def first_difference(a, b):
    if len(a) != len(b):
        return "%d bytes against %d" % (len(a), len(b))
    at = next(i for i in range(len(a)) if a[i] != b[i])
    return "%d byte(s) differ, the first at 0x%x" % (sum(1 for x, y in zip(a, b) if x != y), at)


def main(argv):
    if len(argv) not in (2, 3):
        print(__doc__.strip().split("\n\n")[1], file=sys.stderr)
        return 2
    published = read(argv[1])
    tree = argv[2] if len(argv) == 3 else os.path.join(ROOT, "build", "win32")
    built_setup = read(os.path.join(tree, "setup.exe"))
    built_uninstall = read(os.path.join(tree, "uninstall.exe"))
    if signed(built_setup) or signed(built_uninstall):
        print("check_release: %s is a signing tree; compare against the commit built unsigned" % tree)
        return 2
    problems = []
    if not signed(published):
        if published != built_setup:
            problems.append("setup.exe is not the tree's: %s" % first_difference(published, built_setup))
        else:
            print("same: the unsigned setup.exe is the tree's, %d bytes" % len(published))
    else:
        with tempfile.TemporaryDirectory(prefix="check_release.") as work:
            body = without_signature(published, work, "setup.exe")
            at, size = entry_place(body, UNINSTALLER)
            own_at, own_size = entry_place(built_setup, UNINSTALLER)
            uninstaller = body[at:at + size]
            if (at, size) != (own_at, own_size) or size != len(built_uninstall):
                problems.append("store entry %d is %d bytes at 0x%x, the tree's %d bytes at 0x%x"
                                % (UNINSTALLER, size, at, own_size, own_at))
            else:
                expected = with_checksum(built_setup[:at] + uninstaller + built_setup[at + size:])
                if body != expected:
                    problems.append("setup.exe without its signature is not the tree's with the published "
                                    "uninstaller: %s" % first_difference(body, expected))
                else:
                    print("same: setup.exe without its signature is the tree's (with the published entry %d)"
                          % UNINSTALLER)
                if signed(uninstaller):
                    inner = without_signature(uninstaller, work, "uninstall.exe")
                    rebuilt = pad_pe.padded(built_uninstall, len(inner))
                    if inner != rebuilt:
                        problems.append("uninstall.exe (entry %d) without its signature is not the tree's padded "
                                        "to %d bytes: %s" % (UNINSTALLER, len(inner), first_difference(inner, rebuilt)))
                    else:
                        print("same: uninstall.exe (entry %d) without its signature is the tree's, padded to %d "
                              "bytes" % (UNINSTALLER, len(inner)))
                elif uninstaller != built_uninstall:
                    problems.append("the unsigned uninstall.exe (entry %d) is not the tree's: %s"
                                    % (UNINSTALLER, first_difference(uninstaller, built_uninstall)))
                else:
                    print("same: uninstall.exe (entry %d) is the tree's" % UNINSTALLER)
    for p in problems:
        print("DIFFERS: " + p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
