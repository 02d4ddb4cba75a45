#!/usr/bin/python3
"""Checks how tools/gen_store.py reads the use column of resources/payload.tsv: the real manifest reads, and
a manifest that would give the program a wrong plan is refused with a line that names the fault: a slot
without an entry in a column or with two, entries of one slot written under different names or with
different flags, an unknown column or flag, a repeated role.

usage: store_manifest_test.py   (prints PASS:/FAIL: lines; exits non-zero on a failure)
"""
import os
import shutil
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(ROOT, "tools"))
import gen_store  # noqa: E402

failures = 0


def check(name, ok, detail=""):
    global failures
    print("%s: store-manifest/%s%s" % ("PASS" if ok else "FAIL", name, "" if ok else " (%s)" % detail))
    failures += not ok


with open(os.path.join(ROOT, gen_store.MANIFEST), encoding="utf-8") as f:
    REAL = f.read()


def read(text):
    """read_manifest over text as the manifest: (entries, None) or (None, the error)."""
    work = tempfile.mkdtemp(prefix="store-manifest-")
    try:
        os.makedirs(os.path.join(work, "resources"))
        with open(os.path.join(work, gen_store.MANIFEST), "w", encoding="utf-8") as f:
            f.write(text)
        return gen_store.read_manifest(work), None
    except gen_store.StoreError as e:
        return None, str(e)
    finally:
        shutil.rmtree(work)


def edit(ident, use):
    """The real manifest with entry ident's use column replaced."""
    lines = []
    for line in REAL.split("\n"):
        cols = line.split("\t")
        if cols[0] == str(ident):
            cols[5] = use
        lines.append("\t".join(cols))
    return "\n".join(lines)


entries, error = read(REAL)
check("real-manifest-reads", entries is not None, error)

# (what, manifest text, a text the error must contain)
REFUSED = [
    ("column-missing", edit(186, "common.stdnames@xp"), "slot common.stdnames has no entry in column other"),
    ("column-twice", edit(186, "common.stdnames@xp,other"), "has entry 153 in column xp already"),
    ("flags-differ", edit(169, "common.gpd@win2000"), "slot common.gpd is written as <name>.GPD with flags names"),
    ("written-differs", edit(172, "core-chinese.unidrv-help@win2000"), "slot core-chinese.unidrv-help is written as"),
    ("unknown-column", edit(153, "common.stdnames@vista"), "unknown column or flag vista"),
    ("unknown-flag", edit(153, "common.stdnames@xp+copied"), "unknown column or flag +copied"),
    ("not-a-use", edit(153, "common stdnames"), "use must be a role or"),
    ("role-repeats", edit(256, "uninstaller"), "role uninstaller repeats"),
]
for name, text, want in REFUSED:
    entries, error = read(text)
    check("refuses-" + name, entries is None and want in error, error)

print("store_manifest_test: %d failure(s)" % failures)
sys.exit(1 if failures else 0)
