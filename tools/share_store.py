#!/usr/bin/env python3
"""Post-link step: identifiers of the embedded store that carry the same bytes share one copy.

    share_store.py <program.exe> <store dir>

The resource script from tools/gen_store.py embeds each distinct entry once, under its primary
identifier, and an empty placeholder under every other identifier with the same bytes
(<store dir>/shared.tsv: id, primary, size, SHA-256). This step points the language entry of each
such identifier at the IMAGE_RESOURCE_DATA_ENTRY of its primary, so FindResource/LoadResource/
SizeofResource give it the primary's bytes. Nothing moves: the resource section keeps its size and
layout, only those directory entries (and the header checksum, when the linker set one) change. The
placeholders' own data entries stay behind unreferenced (16 bytes and the alignment each).

Running it again on a program it has already rewritten changes nothing. A signed program is refused: the
signature covers the resource directory, so the sharing comes before the signing. Before writing, every
identifier is read back from the rewritten image and compared with shared.tsv; on any mismatch
the program is left as it was and the step fails (and with it the build).
"""
import hashlib
import os
import sys

import pefile

OWNER_DATA = "OWNER_DATA"
LANGUAGE = 2052
DATA_IS_DIRECTORY = 0x80000000


class ShareError(Exception):
    pass


def read_shared(store_dir):
    """{id: (primary, size, sha256)} from shared.tsv."""
    path = os.path.join(store_dir, "shared.tsv")
    try:
        with open(path, encoding="ascii") as f:
            lines = f.read().split("\n")
    except OSError as e:
        raise ShareError("cannot read %s: %s" % (path, e))
    shared = {}
    for number, line in enumerate(lines, 1):
        if not line or line.startswith("#"):
            continue
        cols = line.split("\t")
        if len(cols) != 4 or not cols[0].isdigit() or not cols[1].isdigit() or not cols[2].isdigit():
            raise ShareError("%s:%d: malformed line %r" % (path, number, line))
        shared[int(cols[0])] = (int(cols[1]), int(cols[2]), cols[3])
    if not shared:
        raise ShareError("%s lists no entries" % path)
    for ident, (primary, size, digest) in shared.items():
        if shared.get(primary, (None,))[0] != primary:
            raise ShareError("%s: primary %d of %d is not an entry of its own" % (path, primary, ident))
        if shared[primary][1:] != (size, digest):
            raise ShareError("%s: %d and its primary %d differ in size or digest" % (path, ident, primary))
    return shared


def owner_data_languages(pe):
    """{id: language directory entry} of the OWNER_DATA resources; each must exist under 2052 only."""
    root = getattr(pe, "DIRECTORY_ENTRY_RESOURCE", None)
    if root is None:
        raise ShareError("the program has no resources")
    found = {}
    for rtype in root.entries:
        if rtype.name is None or str(rtype.name) != OWNER_DATA:
            continue
        for rid in rtype.directory.entries:
            if rid.name is not None:
                raise ShareError("OWNER_DATA %s has a name, not a numeric identifier" % rid.name)
            langs = rid.directory.entries
            if [lang.id for lang in langs] != [LANGUAGE]:
                raise ShareError("OWNER_DATA %d is not stored under language %d alone" % (rid.id, LANGUAGE))
            found[rid.id] = langs[0]
    if not found:
        raise ShareError("the program has no OWNER_DATA resources")
    return found


def blob(pe, lang):
    data = lang.data.struct
    return pe.get_data(data.OffsetToData, data.Size)


def check(pe, shared):
    """Every identifier reads back the bytes shared.tsv names; returns the problems."""
    langs = owner_data_languages(pe)
    problems = []
    for ident in sorted(set(langs) - set(shared)):
        problems.append("OWNER_DATA %d is not in shared.tsv" % ident)
    for ident, (primary, size, digest) in sorted(shared.items()):
        if ident not in langs:
            problems.append("OWNER_DATA %d is missing" % ident)
            continue
        data = blob(pe, langs[ident])
        if len(data) != size or hashlib.sha256(data).hexdigest() != digest:
            problems.append("OWNER_DATA %d reads back %d bytes that are not its entry (%d bytes)"
                            % (ident, len(data), size))
    return problems


def share(exe, store_dir):
    shared = read_shared(store_dir)
    pe = pefile.PE(exe)
    security = pe.OPTIONAL_HEADER.DATA_DIRECTORY[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_SECURITY"]]
    if security.VirtualAddress or security.Size:
        raise ShareError("the program is signed; sharing would break its signature (share first, then sign)")
    langs = owner_data_languages(pe)
    changed = 0
    for ident, (primary, size, _) in sorted(shared.items()):
        if primary == ident:
            continue
        if ident not in langs or primary not in langs:
            raise ShareError("OWNER_DATA %d or its primary %d is missing" % (ident, primary))
        target = langs[primary].struct.OffsetToData
        if target & DATA_IS_DIRECTORY:
            raise ShareError("OWNER_DATA %d: the language entry points at a directory" % primary)
        entry = langs[ident].struct
        if entry.OffsetToData == target:
            continue  # shared already
        if langs[ident].data.struct.Size != 0:
            raise ShareError("OWNER_DATA %d carries %d bytes, not the empty placeholder"
                             % (ident, langs[ident].data.struct.Size))
        # IMAGE_RESOURCE_DIRECTORY_ENTRY.OffsetToData (from the section's start); pefile writes the
        # parsed structures back over the image, so the structure is what changes.
        entry.OffsetToData = target
        changed += 1
    if not changed:
        problems = check(pe, shared)
        if problems:
            raise ShareError("\n".join(problems))
        return 0
    out = pe.write()
    pe.close()
    rewritten = pefile.PE(data=bytes(out))
    if rewritten.OPTIONAL_HEADER.CheckSum != 0:
        rewritten.OPTIONAL_HEADER.CheckSum = rewritten.generate_checksum()
        out = rewritten.write()
        rewritten = pefile.PE(data=bytes(out))
    problems = check(rewritten, shared)
    if problems:
        raise ShareError("\n".join(problems))
    if len(out) != os.path.getsize(exe):
        raise ShareError("the rewritten program would change size")
    tmp = exe + ".share.tmp"
    with open(tmp, "wb") as f:
        f.write(out)
    os.chmod(tmp, os.stat(exe).st_mode)
    os.replace(tmp, exe)
    return changed


def main(argv):
    if len(argv) != 3:
        print("usage: share_store.py <program.exe> <store dir>", file=sys.stderr)
        return 2
    try:
        share(argv[1], argv[2])
    except (ShareError, pefile.PEFormatError, OSError) as e:
        for line in str(e).split("\n"):
            print("share_store: %s: %s" % (argv[1], line), file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
