#!/usr/bin/env python3
"""Generates the embedded store of setup.exe from resources/payload.tsv.

    gen_store.py --source <repo> --out <dir> --vendor <dir or empty> [--built <dir>]

Writes <out>/<id>.bin for every manifest row, <out>/owner_data.rc (the OWNER_DATA resources, all
under resource language 2052), <out>/manifest.tsv (id, name, row, size, origin, use) for the tests,
<out>/shared.tsv and <out>/store.stamp last.

Entries with the same bytes travel once: the resource script embeds the bytes under the lowest of
their identifiers (the primary) and an empty placeholder under each other one; after linking,
tools/share_store.py points every such identifier at its primary's data entry (shared.tsv: id,
primary id, size, SHA-256). A program linked from owner_data.rc without that step reads empty
entries back. Our own content is built from resources/content; vendor rows are taken from
the vendor directory when one is given, otherwise clearly labelled stand-ins of the catalogue size
are written. A built row (the uninstaller) comes from the program this build tree makes (--built <dir>
holds it); a vendor directory that carries a file of that name replaces it, and a tree that builds no
such program gets a stand-in. Every entry must come out at exactly the size in the manifest. Files whose content did
not change are left alone so that builds stay incremental. Prints nothing on success.
"""
import argparse
import hashlib
import os
import re
import sys

MANIFEST = os.path.join("resources", "payload.tsv")
CONTENT_DIR = os.path.join("resources", "content")

# The columns of the language-table source: column index, encoding, and the table's language name.
LANGUAGE_COLUMNS = {
    "en": (1, "ascii", "English"),
    "zh-Hans": (2, "gbk", "Chinese"),
    "zh-Hant": (3, "big5", "Chinese"),
}
KEY_PATTERN = re.compile(r"^IDD[0-9]+_(Title|-?[0-9]+)$")

# Resource language of every store entry: LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED (2052).
RESOURCE_LANGUAGE = (4, 2)
# The empty file embedded under every identifier whose bytes another identifier already carries.
PLACEHOLDER = "shared-placeholder.dat"


class StoreError(Exception):
    pass


# The columns of the staging plan, in the program's order: Windows XP, Windows 2000, every other 32-bit host,
# and 64-bit Windows on an x64 processor.
PLAN_COLUMNS = ("xp", "win2000", "other", "x64")
X86_COLUMNS = ("xp", "win2000", "other")
PLAN_FLAGS = ("names", "subdirs", "amd64")
# The groups whose slots have no x64 column: 64-bit Windows carries the Unidrv core itself.
NO_X64_GROUPS = ("core-chinese", "core-other")
NAME = r"[a-z][a-z0-9]*(?:-[a-z0-9]+)*"
USE_PATTERN = re.compile(r"(?:(?P<role>%s)|(?P<slot>%s\.%s)@(?P<columns>[a-z0-9,]+)(?P<flags>(?:\+[a-z0-9]+)*))$"
                         % (NAME, NAME, NAME))


class Entry:
    def __init__(self, ident, written, row, size, kind, ref, line, use):
        self.ident = ident
        self.written = written
        self.row = row
        self.size = size
        self.kind = kind    # "ours", "vendor" or "built"
        self.ref = ref      # content file (ours) or vendor file name (vendor)
        self.line = line
        self.use = use      # as the manifest gives it
        self.role = None    # the entry's role, or
        self.slot = None    # its staging-plan slot, the columns it fills there and its flags
        self.columns = ()
        self.flags = ()


class PlanSlot:
    def __init__(self, name, written):
        self.name = name        # <group>.<slot>
        self.written = written
        self.flags = None       # the flags of its entries in the 32-bit columns
        self.x64_flags = None   # the flags of its entry of the x64 column alone, if it has one
        self.ids = {}           # column -> identifier

    def amd64(self):
        """Whether its x64 entry is written to C:\\TEMP\\amd64 (instead of C:\\TEMP)."""
        return self.x64_flags is not None and "amd64" in self.x64_flags


def parse_use(entry):
    """Fills the entry's role or slot from its use column; returns an error text or None."""
    m = USE_PATTERN.match(entry.use)
    if not m:
        return "use must be a role or <group>.<slot>@<columns>[+names][+subdirs][+amd64], not %r" % entry.use
    if m.group("role"):
        entry.role = m.group("role")
        return None
    columns = m.group("columns").split(",")
    flags = m.group("flags").split("+")[1:]
    bad = [c for c in columns if c not in PLAN_COLUMNS] + ["+" + f for f in flags if f not in PLAN_FLAGS]
    if bad:
        return "unknown column or flag %s in %r" % (", ".join(bad), entry.use)
    if len(set(columns)) != len(columns) or len(set(flags)) != len(flags):
        return "a column or flag repeats in %r" % entry.use
    if columns == ["x64"] and "subdirs" in flags:
        return "+subdirs is for the 32-bit columns, not for an entry of x64 alone, in %r" % entry.use
    if "amd64" in flags and columns != ["x64"]:
        return "+amd64 is for an entry of the x64 column alone, in %r" % entry.use
    entry.slot, entry.columns, entry.flags = m.group("slot"), tuple(columns), tuple(sorted(flags))
    return None


def plan_slots(entries):
    """The staging plan's slots in manifest order: {name: PlanSlot}. Raises StoreError when a slot misses a column,
    fills one twice, or its entries differ in the name they are written under or in their flags."""
    slots, errors = {}, []
    for e in entries:
        if e.slot is None:
            continue
        slot = slots.setdefault(e.slot, PlanSlot(e.slot, e.written))
        if e.columns == ("x64",):
            slot.x64_flags = e.flags
        elif slot.flags is None:
            slot.flags = e.flags
        if slot.written != e.written or (e.columns != ("x64",) and slot.flags != e.flags):
            errors.append("%s: slot %s is written as %s with flags %s elsewhere" %
                          (e.line, e.slot, slot.written, "+".join(slot.flags or ()) or "none"))
        for column in e.columns:
            if column in slot.ids:
                errors.append("%s: slot %s has entry %d in column %s already" % (e.line, e.slot, slot.ids[column], column))
            slot.ids[column] = e.ident
    for slot in slots.values():
        no_x64 = slot.name.split(".")[0] in NO_X64_GROUPS
        wanted = X86_COLUMNS if no_x64 else PLAN_COLUMNS
        missing = [c for c in wanted if c not in slot.ids]
        if missing:
            errors.append("%s: slot %s has no entry in column %s" % (MANIFEST, slot.name, ", ".join(missing)))
        if no_x64 and "x64" in slot.ids:
            errors.append("%s: slot %s is staged on no x64 host" % (MANIFEST, slot.name))
        if (slot.flags is not None and slot.x64_flags is not None and
                ("names" in slot.flags) != ("names" in slot.x64_flags)):
            errors.append("%s: slot %s rewrites names in some columns only" % (MANIFEST, slot.name))
    if errors:
        raise StoreError("\n".join(errors))
    return slots


def read_manifest(source_dir):
    """Parses the manifest; raises StoreError listing every malformed or inconsistent row."""
    path = os.path.join(source_dir, MANIFEST)
    try:
        with open(path, encoding="utf-8") as f:
            text = f.read()
    except OSError as e:
        raise StoreError("cannot read %s: %s" % (path, e))
    errors, entries, seen, rows, roles = [], [], {}, {}, {}
    for number, raw in enumerate(text.split("\n"), 1):
        line = raw.rstrip("\r")
        if not line.strip() or line.startswith("#"):
            continue
        where = "%s:%d" % (MANIFEST, number)
        cols = line.split("\t")
        if len(cols) != 6:
            errors.append("%s: expected 6 tab-separated columns, found %d" % (where, len(cols)))
            continue
        ident, written, row, size, source, use = cols
        if not re.fullmatch(r"[0-9]+", ident) or not 1 <= int(ident) <= 65535:
            errors.append("%s: bad identifier %r" % (where, ident))
            continue
        if not re.fullmatch(r"[0-9]+", size) or int(size) == 0:
            errors.append("%s: bad size %r" % (where, size))
            continue
        kind, _, ref = source.partition(":")
        if kind not in ("ours", "vendor", "built") or not ref:
            errors.append("%s: source must be ours:<file>, vendor:<file> or built:<program>, not %r" % (where, source))
            continue
        if kind in ("vendor", "built") and (os.path.isabs(ref) or ".." in ref.replace("\\", "/").split("/")):
            errors.append("%s: vendor file %r must be a plain name inside the vendor directory" % (where, ref))
            continue
        entry = Entry(int(ident), written, row, int(size), kind, ref, where, use)
        problem = parse_use(entry)
        if problem:
            errors.append("%s: %s" % (where, problem))
            continue
        if entry.role is not None and entry.role in roles:
            errors.append("%s: role %s repeats %s" % (where, entry.role, roles[entry.role].line))
            continue
        if entry.ident in seen:
            errors.append("%s: identifier %d repeats %s" % (where, entry.ident, seen[entry.ident].line))
            continue
        first = rows.setdefault(row, entry)
        if (first.size, first.kind, first.ref) != (entry.size, entry.kind, entry.ref):
            errors.append("%s: row %s differs in size or source from %s" % (where, row, first.line))
            continue
        seen[entry.ident] = entry
        if entry.role is not None:
            roles[entry.role] = entry
        entries.append(entry)
    if errors:
        raise StoreError("\n".join(errors))
    if not entries:
        raise StoreError("%s lists no entries" % MANIFEST)
    entries.sort(key=lambda e: e.ident)
    plan_slots(entries)
    return entries


def vendor_files(entries):
    """The distinct vendor files of the manifest: name -> (size, [rows])."""
    files = {}
    for e in entries:
        if e.kind == "vendor":
            size, rows = files.setdefault(e.ref, (e.size, []))
            if e.row not in rows:
                rows.append(e.row)
    return files


# ---- our own content ---------------------------------------------------------------------------------

def read_text_lines(path):
    """The lines of a UTF-8 source (any CR removed); a final line end does not add an empty line."""
    try:
        with open(path, encoding="utf-8") as f:
            text = f.read().replace("\r", "")
    except (OSError, UnicodeDecodeError) as e:
        raise StoreError("cannot read %s: %s" % (path, e))
    lines = text.split("\n")
    ends_with_newline = lines[-1] == ""
    if ends_with_newline:
        lines.pop()
    return lines, ends_with_newline


def build_text(path):
    """An ASCII text source written with CR LF line ends, keeping whether the last line has one."""
    lines, ends_with_newline = read_text_lines(path)
    text = "\r\n".join(lines) + ("\r\n" if ends_with_newline else "")
    try:
        return text.encode("ascii")
    except UnicodeEncodeError as e:
        raise StoreError("%s: not ASCII at offset %d" % (path, e.start))


def agreement_lines(path, encoding):
    """The agreement: heading (the key's value) and the further lines that follow the key's line."""
    lines, _ = read_text_lines(path)
    if not lines or not lines[0].strip():
        raise StoreError("%s: the first line (the heading) is empty" % path)
    for number, line in enumerate(lines[1:], 2):
        if "=" in line:
            raise StoreError("%s:%d: an agreement line may not contain '='" % (path, number))
        if line.strip().startswith("["):
            raise StoreError("%s:%d: an agreement line may not begin with '['" % (path, number))
        check_encodable(line, encoding, "%s:%d" % (path, number))
    return lines


def check_encodable(text, encoding, where):
    try:
        text.encode(encoding)
    except UnicodeEncodeError as e:
        raise StoreError("%s: %r cannot be written in %s" % (where, text[e.start:e.end], encoding))


def build_language_table(content_dir, source, column_name):
    if column_name not in LANGUAGE_COLUMNS:
        raise StoreError("%s: unknown language column %r" % (source, column_name))
    column, encoding, language = LANGUAGE_COLUMNS[column_name]
    path = os.path.join(content_dir, source)
    rows, _ = read_text_lines(path)
    out = ["", "", "[Setting]", "Language=" + language, "", "", "", "[String]"]
    keys = set()
    for number, row in enumerate(rows, 1):
        if not row.strip() or row.startswith("#"):
            continue
        where = "%s:%d" % (source, number)
        cols = row.split("\t")
        key = cols[0]
        value = cols[column] if column < len(cols) else ""
        if not KEY_PATTERN.match(key):
            raise StoreError("%s: bad key %r" % (where, key))
        if key in keys:
            raise StoreError("%s: key %s repeats" % (where, key))
        keys.add(key)
        follow = []
        if value.startswith("@"):
            lines = agreement_lines(os.path.join(content_dir, value[1:]), encoding)
            value, follow = lines[0], lines[1:]
        # The profile reader trims a value and drops one pair of surrounding quotes: keep values plain.
        if value != value.strip(" \t") or (len(value) >= 2 and value[0] in "\"'" and value[-1] == value[0]):
            raise StoreError("%s: value of %s would not read back as written" % (where, key))
        check_encodable(value, encoding, "%s (%s)" % (where, key))
        out.append(key + "=" + value)
        out.extend(follow)
    return ("\r\n".join(out) + "\r\n").encode(encoding)


# The x64 INF's role, and the optional role of the vendor's signed catalog that the x64 INF then names.
X64_INF_ROLE = "inf-x64"
CATALOG_ROLE = "catalog-x64"


def catalog_name(entries):
    """The file name of the manifest's catalog row, or None when it has none."""
    return next((e.written for e in entries if e.role == CATALOG_ROLE), None)


def name_catalog(text, catalog, where):
    """The INF text with CatalogFile=<catalog> after its Signature line (the [Version] section)."""
    if not re.fullmatch(r"[A-Za-z0-9_.-]+", catalog):
        raise StoreError("%s: the catalog's name %r cannot stand in an INF" % (where, catalog))
    marker = b'Signature="$Windows NT$"\r\n'
    if text.count(marker) != 1:
        raise StoreError("%s: the x64 INF has no single Signature line to put CatalogFile= after" % where)
    return text.replace(marker, marker + b"CatalogFile=" + catalog.encode("ascii") + b"\r\n")


def build_ours(entry, content_dir, catalog=None):
    """Our own content; catalog (the catalog row's file name) is named by the x64 INF."""
    name, _, column = entry.ref.partition("#")
    if name.endswith(".tsv"):
        return build_language_table(content_dir, name, column)
    if column:
        raise StoreError("%s: only a language table source takes a #column" % entry.line)
    text = build_text(os.path.join(content_dir, name))
    if entry.role == X64_INF_ROLE and catalog:
        text = name_catalog(text, catalog, entry.line)
    return text


# ---- vendor binaries and their stand-ins -------------------------------------------------------------

def stand_in(row, size):
    """Labelled filler of the catalogue size: the same for one row, different between rows."""
    data = bytearray(("STAND-IN for %s: not a real driver file\r\n" % row).encode("ascii"))
    seed = hashlib.sha256(("stand-in:" + row).encode("utf-8")).digest()
    counter = 0
    while len(data) < size:
        data += hashlib.sha256(seed + counter.to_bytes(8, "little")).digest()
        counter += 1
    return bytes(data[:size])


def read_vendor(vendor_dir, entry):
    path = os.path.join(vendor_dir, entry.ref)
    try:
        with open(path, "rb") as f:
            data = f.read()
    except OSError:
        raise StoreError("vendor file %s is missing (row %s, %d bytes expected)" % (path, entry.row, entry.size))
    return data


# ---- output --------------------------------------------------------------------------------------------

def write_if_changed(path, data):
    try:
        with open(path, "rb") as f:
            if f.read() == data:
                return False
    except OSError:
        pass
    tmp = path + ".tmp"
    with open(tmp, "wb") as f:
        f.write(data)
    os.replace(tmp, path)
    return True


def rc_string(path):
    if '"' in path or "\\" in path or "\n" in path:
        raise StoreError("store path %r cannot be named in the resource script" % path)
    return '"%s"' % path


def build_built(entry, vendor_dir, built_dir):
    """A program of this build, or the vendor's file of that name, or a stand-in: (bytes, origin)."""
    if vendor_dir and os.path.isfile(os.path.join(vendor_dir, entry.ref)):
        return read_vendor(vendor_dir, entry), "vendor"
    if built_dir:
        path = os.path.join(built_dir, entry.ref)
        try:
            with open(path, "rb") as f:
                return f.read(), "built"
        except OSError:
            raise StoreError("%s: the built program %s is missing" % (entry.line, path))
    return stand_in(entry.row, entry.size), "stand-in"


def generate(source_dir, out_dir, vendor_dir, built_dir=""):
    entries = read_manifest(source_dir)
    content_dir = os.path.join(source_dir, CONTENT_DIR)
    if vendor_dir and not os.path.isdir(vendor_dir):
        raise StoreError("vendor directory %s does not exist" % vendor_dir)

    built, errors = {}, []
    for e in entries:
        key = (e.kind, e.ref, e.row)
        if key not in built:
            try:
                if e.kind == "ours":
                    data, origin = build_ours(e, content_dir, catalog_name(entries)), "ours"
                elif e.kind == "built":
                    data, origin = build_built(e, vendor_dir, built_dir)
                elif vendor_dir:
                    data, origin = read_vendor(vendor_dir, e), "vendor"
                else:
                    data, origin = stand_in(e.row, e.size), "stand-in"
            except StoreError as err:
                errors.append(str(err))
                continue
            if len(data) != e.size:
                what = "vendor file %s is" % e.ref if origin == "vendor" else "%s comes out at" % e.ref
                errors.append("%s: %s %d bytes, the catalogue size is %d" % (e.line, what, len(data), e.size))
                continue
            built[key] = (data, origin)
    if errors:
        raise StoreError("\n".join(errors))

    os.makedirs(out_dir, exist_ok=True)
    out_abs = os.path.abspath(out_dir)
    wanted = set()
    rc = ["// Generated by tools/gen_store.py from resources/payload.tsv; do not edit.",
          "// The embedded store: every entry under resource language 2052",
          "// (LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED).",
          "LANGUAGE %d, %d" % RESOURCE_LANGUAGE]
    listing = ["#id\twritten\trow\tsize\torigin\tuse"]
    shared = ["#id\tprimary\tsize\tsha256"]
    primaries = {}  # SHA-256 of the bytes -> the identifier that carries them
    placeholder = os.path.join(out_abs, PLACEHOLDER)
    write_if_changed(placeholder, b"")
    for e in entries:
        data, origin = built[(e.kind, e.ref, e.row)]
        name = "%d.bin" % e.ident
        wanted.add(name)
        write_if_changed(os.path.join(out_dir, name), data)
        digest = hashlib.sha256(data).hexdigest()
        primary = primaries.setdefault(digest, e.ident)
        embedded = os.path.join(out_abs, name) if primary == e.ident else placeholder
        rc.append("%d OWNER_DATA %s" % (e.ident, rc_string(embedded)))
        listing.append("%d\t%s\t%s\t%d\t%s\t%s" % (e.ident, e.written, e.row, e.size, origin, e.use))
        shared.append("%d\t%d\t%d\t%s" % (e.ident, primary, len(data), digest))
    for stale in os.listdir(out_dir):
        if re.fullmatch(r"[0-9]+\.bin", stale) and stale not in wanted:
            os.remove(os.path.join(out_dir, stale))
    write_if_changed(os.path.join(out_dir, "owner_data.rc"), ("\n".join(rc) + "\n").encode("ascii"))
    write_if_changed(os.path.join(out_dir, "manifest.tsv"), ("\n".join(listing) + "\n").encode("utf-8"))
    write_if_changed(os.path.join(out_dir, "shared.tsv"), ("\n".join(shared) + "\n").encode("ascii"))

    digest = hashlib.sha256()
    for e in entries:
        digest.update(b"%d:" % e.ident + hashlib.sha256(built[(e.kind, e.ref, e.row)][0]).digest())
    stamp = os.path.join(out_dir, "store.stamp")
    write_if_changed(stamp, (digest.hexdigest() + "\n").encode("ascii"))
    os.utime(stamp)  # newer than the inputs, so the build does not run the generator again


def report_error(program, error):
    """Prints every line of error as "<program>: error: ..." on stderr; the exit code of a failed run."""
    for line in str(error).split("\n"):
        print("%s: error: %s" % (program, line), file=sys.stderr)
    return 1


def main(argv=None):
    ap = argparse.ArgumentParser(description="Generates the embedded store of setup.exe.")
    ap.add_argument("--source", required=True, help="the source tree")
    ap.add_argument("--out", required=True, help="the store directory to write")
    # The build passes an empty vendor directory as a bare "--vendor" (an empty argument is dropped).
    ap.add_argument("--vendor", nargs="?", const="", default="",
                    help="directory with the vendor payload (empty or absent: stand-ins)")
    ap.add_argument("--built", default="", help="directory with the programs of the built rows (absent: stand-ins)")
    args = ap.parse_args(argv)
    try:
        generate(args.source, args.out, os.path.abspath(args.vendor) if args.vendor else "", args.built)
    except StoreError as e:
        return report_error("gen_store", e)
    return 0


if __name__ == "__main__":
    sys.exit(main())
