#!/usr/bin/env python3
"""Checks setup.exe's application manifest (RT_MANIFEST 1): it asks for elevation in a single trustInfo
element of the asm.v3 namespace (the form Windows XP SP2 and Server 2003 also accept) and carries no
Common Controls 6 dependency. Prints PASS:/FAIL: lines; exits 1 on any failure.
"""
import sys
import xml.etree.ElementTree as ET

import pefile

V1 = "{urn:schemas-microsoft-com:asm.v1}"
V3 = "{urn:schemas-microsoft-com:asm.v3}"


def manifests(path):
    pe = pefile.PE(path)
    resources = getattr(pe, "DIRECTORY_ENTRY_RESOURCE", None)
    for kind in resources.entries if resources else []:
        if kind.id != 24:
            continue
        for name in kind.directory.entries:
            for lang in name.directory.entries:
                d = lang.data.struct
                yield name.id, pe.get_data(d.OffsetToData, d.Size)


def main():
    found = list(manifests(sys.argv[1]))
    failed = False

    def check(name, ok, detail=""):
        nonlocal failed
        print("%s: manifest/%s%s" % ("PASS" if ok else "FAIL", name, "" if ok else " (%s)" % detail))
        failed |= not ok

    check("one-manifest-with-id-1", [i for i, _ in found] == [1], [i for i, _ in found])
    if not found:
        return 1
    text = found[0][1]
    root = ET.fromstring(text)
    trust = [e for e in root.iter() if e.tag.endswith("trustInfo")]
    check("single-trustInfo-in-asm.v3", len(trust) == 1 and trust[0].tag == V3 + "trustInfo", [e.tag for e in trust])
    levels = [e.get("level") for e in root.iter(V3 + "requestedExecutionLevel")]
    check("require-administrator", levels == ["requireAdministrator"], levels)
    check("asm.v3-declared-once", text.count(b"urn:schemas-microsoft-com:asm.v3") == 1)
    check("no-common-controls-6", b"Common-Controls" not in text and not list(root.iter(V1 + "dependency")))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
