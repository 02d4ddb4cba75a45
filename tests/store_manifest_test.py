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
    ("x64-column-missing", edit(257, "common.render-plugin@other+subdirs"),
     "slot common.render-plugin has no entry in column x64"),
    ("core-in-x64", edit(196, "core-other.unidrv@other,x64"), "slot core-other.unidrv is staged on no x64 host"),
    ("amd64-beside-32-bit-columns", edit(257, "common.render-plugin@other,x64+subdirs+amd64"),
     "+amd64 is for an entry of the x64 column alone"),
    ("subdirs-on-x64-alone", edit(257, "common.render-plugin@x64+subdirs"), "+subdirs is for the 32-bit columns"),
    ("x64-names-differ", edit(187, "common.gpd@other+names") + "\n999\t<name>.GPD\tgpd-template\t8179\t"
     "ours:printer.gpd\tcommon.gpd@x64\n", "slot common.gpd rewrites names in some columns only"),
]
for name, text, want in REFUSED:
    entries, error = read(text)
    check("refuses-" + name, entries is None and want in error, error)

# The x64 column as the program reads it: the core groups have none, every other slot has one entry there,
# and only the x64 plug-ins go to C:\TEMP\amd64.
entries, error = read(REAL)
slots = gen_store.plan_slots(entries)
check("x64-column-no-core", all(("x64" in s.ids) != s.name.startswith("core-") for s in slots.values()),
      [s.name for s in slots.values()])
check("x64-amd64-only-plug-ins",
      sorted(s.name for s in slots.values() if s.amd64()) ==
      ["common.render-plugin", "plugin-english.ui-plugin", "plugin-simplified.ui-plugin", "plugin-traditional.ui-plugin"],
      [s.name for s in slots.values() if s.amd64()])

# The optional vendor catalog: with a catalog row the x64 INF names it in its [Version] section; without one it
# names none; the x86 INF never does.
inf_x64 = next(e for e in entries if e.role == gen_store.X64_INF_ROLE)
inf_x86 = next(e for e in entries if e.role == "inf")
content = os.path.join(ROOT, gen_store.CONTENT_DIR)
plain = gen_store.build_ours(inf_x64, content, gen_store.catalog_name(entries))
check("x64-inf-names-no-catalog-by-default", b"CatalogFile" not in plain and len(plain) == inf_x64.size, len(plain))
with_catalog = REAL + "999\tKX47.CAT\tcatalog-x64\t100\tvendor:kx47.cat\tcatalog-x64\n"
cat_entries, error = read(with_catalog)
named = gen_store.build_ours(inf_x64, content, gen_store.catalog_name(cat_entries or []))
check("x64-inf-names-the-catalog",
      named.split(b"\r\n")[2:4] == [b'Signature="$Windows NT$"', b"CatalogFile=KX47.CAT"] and
      named.replace(b"CatalogFile=KX47.CAT\r\n", b"") == plain, named[:120])
check("x86-inf-names-no-catalog", b"CatalogFile" not in gen_store.build_ours(inf_x86, content, "KX47.CAT"))
check("x64-inf-decorated-ntamd64", b'"KX47"=Driver_KX47,NTamd64\r\n' in plain and b"[Driver_KX47.NTamd64]\r\n" in plain
      and b"[SourceDisksFiles.amd64]\r\n" in plain and b"Include=NTPRINT.INF\r\n" in plain)

print("store_manifest_test: %d failure(s)" % failures)
sys.exit(1 if failures else 0)
