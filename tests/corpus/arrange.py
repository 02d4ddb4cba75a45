#!/usr/bin/env python3
"""Builds one case of the bad-input corpus (cases.tsv) in a Wine prefix, as BadInputCorpusTest.cpp builds it on
the in-memory Windows; prints the printer name the case's setting.dll gives (KX47 when it gives none).

arrange.py CASE DRIVE_C SETUP_DIR
"""
import os
import random
import sys

MARKERS = b"Class=Printer\r\n[Manufacturer]\r\nW36\r\n"


def utf16(text, bom):
    return (b"\xff\xfe" if bom else b"") + text.encode("utf-16-le")


def setting(name):
    return b"[Setting]\r\nLanguage=English\r\nPrinterName=" + name + b"\r\n"


def main():
    case, drive, setup = sys.argv[1:4]
    temp = os.path.join(drive, "TEMP")
    oem = os.path.join(drive, "windows", "inf", "oem4.inf")
    table = os.path.join(setup, "Language", "Multi_ch.dll")
    junk = random.Random(2463534242)
    name = b"KX47"
    files = {}
    if case == "setting-empty":
        files["setting"] = b""
    elif case in ("setting-utf16-bom", "setting-utf16-no-bom"):
        with_bom = case == "setting-utf16-bom"
        files["setting"] = utf16("[Setting]\r\nPrinterName=ABC\r\n", with_bom)
        name = b"ABC" if with_bom else name
    elif case == "setting-junk-20mb":
        files["setting"] = bytes(junk.getrandbits(8) for _ in range(1 << 16)) * 320
    elif case == "setting-directory":
        os.makedirs(os.path.join(setup, "setting.dll"))
    elif case == "setting-line-100kb":
        files["setting"] = setting(b"N" * 100000)
    elif case.startswith("name-") and case[5:].isdigit():
        name = b"N" * int(case[5:])
        files["setting"] = setting(name)
    elif case in ("name-dot-dot", "name-slash", "name-colon", "name-control", "name-lone-lead-byte"):
        name = {"name-dot-dot": b"..\\KX47", "name-slash": b"a/b", "name-colon": b"C:KX47",
                "name-control": b"KX\x1b47", "name-lone-lead-byte": b"KX47\xb9"}[case]
        files["setting"] = setting(name)
    elif case == "language-directory-as-table":
        os.makedirs(table)
    elif case == "language-non-table":
        files["table"] = b"MZ" + bytes(junk.getrandbits(8) for _ in range(40000))
    elif case == "language-utf16-table":
        files["table"] = utf16("[IDD100]\r\n1019=x\r\n", True)
    elif case == "language-thousands":
        os.makedirs(os.path.dirname(table), exist_ok=True)
        for i in range(3000):
            with open(os.path.join(os.path.dirname(table), "other%d.dll" % i), "wb") as f:
                f.write(b"x")
    elif case == "oem-utf16":
        files["oem"] = utf16(MARKERS.decode(), True)
    elif case == "oem-line-300k":
        files["oem"] = b"x" * 300000 + b"\r\n" + MARKERS
    elif case == "oem-w36-split":
        files["oem"] = b"Class=Printer\r\n[Manufacturer]\r\n" + b"x" * 257 + b"W36\r\n"
    elif case == "oem-sparse-1.5gb":
        files["oem"] = MARKERS
    elif case == "destination-read-only":
        os.makedirs(temp, exist_ok=True)
        path = os.path.join(temp, "KX47.GPD")
        with open(path, "wb") as f:
            f.write(b"planted")
        os.chmod(path, 0o444)
    elif case == "temp-is-a-file":
        with open(temp, "wb") as f:
            f.write(b"a file")
    elif case == "x86-is-a-file":
        os.makedirs(temp, exist_ok=True)
        with open(os.path.join(temp, "x86"), "wb") as f:
            f.write(b"a file")
    elif case == "scratch-is-a-directory":
        os.makedirs(os.path.join(temp, "temp.txt"))
    else:
        sys.exit("no arrangement for " + case)
    where = {"setting": os.path.join(setup, "setting.dll"), "table": table, "oem": oem}
    for kind, data in files.items():
        os.makedirs(os.path.dirname(where[kind]), exist_ok=True)
        with open(where[kind], "wb") as f:
            f.write(data)
    if case == "oem-sparse-1.5gb":
        os.truncate(oem, 1536 << 20)
    sys.stdout.buffer.write(name)


if __name__ == "__main__":
    main()
