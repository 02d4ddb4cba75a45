#!/usr/bin/env python3
"""Judges one walk of the wizard: what the robot saw, what the installation left in the Wine prefix and
what the printui stand-in logged. Prints PASS:/FAIL: lines named <case>/<check>; exits 1 on any failure.

check_install.py --case NAME --drive DRIVE_C --store STORE_DIR --robot ROBOT_OUT --log PRINTUI_LOG
                 --uninstall-entry REG_QUERY_OUT --os-code N --lang-id 0xNNNN --choice chinese|english
                 [--printer-name NAME] [--expect success|failure|refused|untouched]
                 [--driver-before LISTING] [--unattended EXIT_CODE [--windows]] [--attack] [--drivers LISTING]
                 [--port PORT] [--host x86|x64]

refused: nothing staged, no command, no uninstall entry. untouched: the run failed in the staging area, so
no command ran, there is no uninstall entry and the driver directory is as LISTING (driver_listing below)
recorded it before the walk.

success: besides the files, the commands and the uninstall entry, the system's command must have installed
the driver: every file of the plan in the driver directory's "3", holding the bytes staged for it, and the
driver registered in the prefix's system.reg (Environments\Windows NT x86\Drivers\Version-3\<name>), as
saved by the Wine server after the walk (waited for, within REGISTRY_WAIT seconds).
--attack: the stand-in ran in attack mode; it must have been refused both the overwrite of a staged file and
the rename of the plug-ins' directory while the command ran. --drivers: the output of drivers.exe (the
spooler's EnumPrinterDriversA level 3) after the walk, which must list the driver with every file in "3".
--port: the port the command's /r must name (default LPT1:); on success the stand-in made the printer on it.
--host x64: the i686 setup.exe on 64-bit Windows (a 64-bit prefix): the plan is the manifest's x64 column (the
plug-ins in C:\TEMP\amd64 alone, no Unidrv core, the x64 INF), the driver directory and environment are
"Windows x64"'s, both commands run the 64-bit rundll32 through %windir%\Sysnative (the 64-bit stand-in must
be the one that ran), and the Unidrv core in "3" is the system's (the stand-ins in its driver store).

--unattended: the robot started setup.exe with options instead of walking the wizard (robot.exe
--unattended); the program must end with EXIT_CODE and, unless --windows is given, without ever having made a
window. The wizard's and the result message's checks are left out; the files, the commands and the uninstall
entry are judged as for a walk.
"""
import hashlib
import argparse
import os
import re
import sys
import time

DRIVER_DIR = "windows/system32/spool/drivers/w32x86"
DRIVER_KEY = "System\\CurrentControlSet\\Control\\Print\\Environments\\Windows NT x86\\Drivers\\Version-3\\"
# The same for the x64 driver (--host x64), and where 64-bit Windows keeps the Unidrv core it installs.
X64_DRIVER_DIR = "windows/system32/spool/drivers/x64"
X64_DRIVER_KEY = "System\\CurrentControlSet\\Control\\Print\\Environments\\Windows x64\\Drivers\\Version-3\\"
X64_CORE_DIR = "windows/system32/DriverStore/FileRepository/ntprint.inf_amd64/Amd64"
CORE_FILES = ("UNIDRV.DLL", "UNIDRVUI.DLL", "UNIDRV.HLP", "UNIRES.DLL", "STDNAMES.GPD")
# The Unidrv core: the driver's own roles, every other file is a dependent file.
CORE_ROLES = {"Driver": "UNIDRV.DLL", "Configuration File": "UNIDRVUI.DLL", "Help File": "UNIDRV.HLP"}
# The Wine server saves the registry when it ends (a few seconds after the walk) or every 30 seconds.
REGISTRY_WAIT = 45
OS_RADIO = {6: 1070, 7: 1071, 8: 1072, 9: 1073, 10: 1074}
MESSAGES = {
    ("success", "english"): ("The Printer Driver has been installed successfully!", "ascii"),
    ("failure", "english"): ("The Printer Driver installation has been failed!", "ascii"),
    ("success", "gbk"): ("打印机驱动程序安装成功!", "gbk"),
    ("failure", "gbk"): ("打印机驱动程序安装失败!", "gbk"),
    ("success", "big5"): ("打印機驅動程序安裝成功!", "big5"),
    ("failure", "big5"): ("打印機驅動程序安裝失敗!", "big5"),
}
RULES = [  # prefix, replacement line
    ("OEMDriverFile1=", "OEMDriverFile1=%sD.DLL"),
    ("OEMConfigFile1=", "OEMConfigFile1=%sF.DLL"),
    ("*GPDFileName:", '*GPDFileName: "%s.GPD"'),
    ("*ModelName:", '*ModelName: "%s"'),
    ("*ResourceDLL:", '*ResourceDLL: "%sRES.DLL"'),
]


def read_manifest(store):
    """The store's generated manifest: [(id, written, use)], the use split into (slot, columns, flags) for a
    staging-plan entry and (role, (), ()) otherwise."""
    rows = []
    with open(os.path.join(store, "manifest.tsv"), encoding="utf-8") as f:
        for line in f.read().split("\n"):
            if not line or line.startswith("#"):
                continue
            ident, written, _, _, _, use = line.split("\t")
            slot, _, rest = use.partition("@")
            columns, *flags = rest.split("+")
            rows.append((int(ident), written, (slot, columns.split(",") if columns else [], flags)))
    return rows


def role_entry(manifest, role):
    return next(ident for ident, _, (slot, _, _) in manifest if slot == role)


def plan(manifest, os_code, lang_id, choice, n, host="x86"):
    """(file name, store id, patched, where) of every file the plan stages: the common slots, the Unidrv core
    by the system's language, the plug-in by the choice and the system, in the host's column. where: "subdirs"
    (also in I386 and x86), "amd64" (in amd64 instead of the staging directory) or ""."""
    column = "x64" if host == "x64" else "xp" if os_code == 7 else "win2000" if os_code == 6 else "other"
    core = "core-chinese" if (lang_id & 0xFF) == 4 else "core-other"
    plugin = ("plugin-english" if choice == "english" else
              "plugin-simplified" if lang_id == 0x0804 else "plugin-traditional")
    return [(written.replace("<name>", n), ident, "names" in flags,
             "amd64" if "amd64" in flags else "subdirs" if "subdirs" in flags and host != "x64" else "")
            for ident, written, (slot, columns, flags) in manifest
            if slot.split(".")[0] in ("common", core, plugin) and column in columns]


def rewrite(data, n):
    out = []
    text = data.replace(b"\r\n", b"\n")
    lines = text.split(b"\n")
    if lines and lines[-1] == b"":
        lines.pop()
    for line in lines:
        for prefix, replacement in RULES:
            if prefix.encode() in line:
                line = (replacement % n).encode("latin-1")
                break
        out.append(line + b"\n")
    return b"".join(out)


def driver_listing(driver):
    """One line "<sha256> <relative path>" per file below the driver directory, sorted."""
    lines = []
    for root, _, names in os.walk(driver):
        for name in names:
            path = os.path.join(root, name)
            with open(path, "rb") as f:
                digest = hashlib.sha256(f.read()).hexdigest()
            lines.append("%s %s" % (digest, os.path.relpath(path, driver)))
    return "\n".join(sorted(lines)) + "\n"


def reg_values(text):
    """Value name -> (type, data) from the output of `reg query KEY`: one line per value, four-blank separated."""
    values = {}
    for line in text.replace("\r", "").split("\n"):
        if not line.startswith("    "):
            continue  # the key's own name, sub-keys and blank lines
        parts = line[4:].split("    ", 2)
        if len(parts) >= 2:
            values[parts[0]] = (parts[1], parts[2] if len(parts) == 3 else "")
    return values


def product_version():
    """The version text resources/product.h makes from its numbers ("1.0.0.0")."""
    with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "resources", "product.h")) as f:
        text = f.read()
    return ".".join(re.search(r"#define PRODUCT_VERSION_%s (\d+)" % part, text).group(1)
                    for part in ("MAJOR", "MINOR", "PATCH", "BUILD"))


def files_in(directory):
    """Upper-case file name -> path, for the files directly in directory (Windows names ignore case)."""
    try:
        return {name.upper(): os.path.join(directory, name) for name in os.listdir(directory)
                if os.path.isfile(os.path.join(directory, name))}
    except OSError:
        return {}


def reg_key(text, key):
    """(modification time in Unix seconds, {value name: raw data text}) of key in a Wine .reg file's text, or
    None. Key names compare without case, as the registry's do."""
    header = "[" + key.replace("\\", "\\\\").lower() + "]"
    lines = text.split("\n")
    for i, line in enumerate(lines):
        if line.lower().startswith(header):
            modified, values = 0.0, {}
            for line in lines[i + 1:]:
                if not line or line.startswith("["):
                    break
                if line.startswith("#time="):
                    modified = (int(line[6:], 16) - 116444736000000000) / 1e7
                m = re.match(r'"((?:[^"\\]|\\.)*)"=(.*)$', line)
                if m:
                    values[m.group(1)] = m.group(2)
            return modified, values
    return None


def reg_string(raw):
    """The text of a REG_SZ ("...") or REG_MULTI_SZ (str(7):"...\\0...") value as system.reg holds it; a list
    for REG_MULTI_SZ."""
    if raw is None:
        return None
    multi = raw.startswith("str(7):")
    raw = raw[len("str(7):"):] if multi else raw
    if not (raw.startswith('"') and raw.endswith('"')):
        return None
    parts = [part.replace("\\\\", "\\") for part in raw[1:-1].split("\\0")]
    return [part for part in parts if part] if multi else parts[0]


def saved_driver_key(prefix, name, since):
    """The driver's key in the prefix's system.reg once the server has saved a version of it changed after
    `since` (Unix seconds): (modified, values), the key as last saved, or None; waits within REGISTRY_WAIT."""
    path = os.path.join(prefix, "system.reg")
    deadline = time.time() + REGISTRY_WAIT
    while True:
        try:
            with open(path, encoding="utf-8", errors="replace") as f:
                found = reg_key(f.read(), DRIVER_KEY + name)
        except OSError:
            found = None
        if (found and found[0] >= since) or time.time() > deadline:
            return found
        time.sleep(0.5)


def check_driver(a, staged, store_bytes, drive, check):
    """What the system's command leaves: the driver's files in "3" and its registration."""
    n = a.printer_name
    driver = os.path.join(drive, DRIVER_DIR)
    in_three = files_in(os.path.join(driver, "3"))
    bad = []
    expected = [(name, store_bytes(sid, patched)) for name, sid, patched, _ in staged]
    if a.host == "x64":
        # The INF's own files as staged; the Unidrv core as the system carries it.
        expected = [(name, want) for name, want in expected if name.upper() not in CORE_FILES]
        for name in CORE_FILES:
            try:
                with open(os.path.join(drive, X64_CORE_DIR, name), "rb") as f:
                    expected.append((name, f.read()))
            except OSError:
                expected.append((name, None))
    for name, want in expected:
        path = in_three.get(name.upper())
        got = None
        if path:
            with open(path, "rb") as f:
                got = f.read()
        if want is None or got != want:
            bad.append("%s %s" % (name, "missing" if got is None else "differs"))
    check("driver-files-in-3", not bad, ", ".join(bad))
    if a.drivers is not None:
        return  # the spooler's own listing judges the registration (check_listed): no wait for a saved registry

    # The key this walk's command made: changed after this walk staged the INF (reset_case removed the last one).
    inf = os.path.join(drive, "TEMP", n + ".INF")
    since = os.path.getmtime(inf) if os.path.exists(inf) else time.time()
    found = saved_driver_key(os.path.dirname(os.path.normpath(drive)), n, since)
    if not found:
        check("driver-registered", False, "no key %s%s in system.reg" % (DRIVER_KEY, n))
        return
    modified, values = found
    names = sorted({name.upper() for name, _, _, _ in staged} | (set(CORE_FILES) if a.host == "x64" else set()))
    want = dict(CORE_ROLES, **{"Data File": n + ".GPD"})
    wrong = ["%s=%r, want %r" % (k, reg_string(values.get(k)), v) for k, v in sorted(want.items())
             if (reg_string(values.get(k)) or "").upper() != v.upper()]
    dependent = sorted(x.upper() for x in (reg_string(values.get("Dependent Files")) or []))
    want_dependent = sorted(x for x in names if x not in {v.upper() for v in want.values()})
    if dependent != want_dependent:
        wrong.append("Dependent Files=%s, want %s" % (dependent, want_dependent))
    if values.get("Version") != "dword:00000003":
        wrong.append("Version=%s" % values.get("Version"))
    if modified < since:
        wrong.append("the key is older than this walk's staging (the server did not save it in %d s)" % REGISTRY_WAIT)
    check("driver-registered", not wrong, "; ".join(wrong))


def check_listed(a, staged, listing, check):
    """The spooler's own listing (drivers.exe): the driver, with every file a full path in "3"."""
    n = a.printer_name
    fields = {}
    for line in listing.replace("\r", "").split("\n"):
        if line.startswith("driver=%s|" % n):
            _, what, value = line.split("|", 2)
            fields.setdefault(what, []).append(value)
    three = "C:\\" + DRIVER_DIR.replace("/", "\\").upper() + "\\3\\"
    paths = [p for what in ("path", "data", "config", "help", "dependent") for p in fields.get(what, [])]
    wrong = [p for p in paths if not p.upper().startswith(three)]
    listed = sorted(p.upper()[len(three):] for p in paths)
    want = sorted({name.upper() for name, _, _, _ in staged} | (set(CORE_FILES) if a.host == "x64" else set()))
    ok = bool(fields) and not wrong and listed == want and fields.get("version") == ["3"]
    check("driver-listed-in-3", ok, "fields %s; not in %s: %s; listed %s, want %s"
          % (sorted(fields), three, wrong, listed, want))


def check_wizard(a, seen, check):
    """What the wizard showed, its result message and the end of the program."""
    expected_os = OS_RADIO.get(a.os_code)
    check("system-preselected", seen.get("os_radio") == (str(expected_os) if expected_os else None), seen.get("os_radio"))
    chinese_system = (a.lang_id & 0xFF) == 4
    check("language-preselected", seen.get("language_radio") == ("1037" if chinese_system else "1038"),
          seen.get("language_radio"))
    check("settings-next-waits-for-series",
          seen.get("settings_next_before") == "0" and seen.get("settings_next_after") == "1" and
          seen.get("series_index", "-1") != "-1", "%s/%s" % (seen.get("settings_next_before"), seen.get("settings_next_after")))
    check("last-page-finish-only", seen.get("copy_next") == "0" and seen.get("copy_finish") == "1")
    check("progress-half-while-installing", seen.get("progress_during") == "50", seen.get("progress_during"))

    # The result message and the end of the program.
    outcome = "success" if a.expect == "success" else "failure"
    language = "english" if a.choice == "english" else "gbk" if a.lang_id == 0x0804 else "big5"
    text, codec = MESSAGES[(outcome, language)]
    expected_hex = text.encode(codec).hex().upper()
    check("result-message-bytes", seen.get("message") == expected_hex, "%s, want %s" % (seen.get("message"), expected_hex))
    check("program-ends-after-message", seen.get("exited") == "1")


def main():
    ap = argparse.ArgumentParser()
    for a in ("case", "drive", "store", "robot", "log", "uninstall-entry", "choice"):
        ap.add_argument("--" + a, required=True)
    ap.add_argument("--os-code", type=int, required=True)
    ap.add_argument("--lang-id", type=lambda s: int(s, 0), required=True)
    ap.add_argument("--printer-name", default="KX47")
    ap.add_argument("--expect", default="success", choices=("success", "failure", "refused", "untouched"))
    ap.add_argument("--driver-before")
    ap.add_argument("--unattended", type=int, metavar="EXIT_CODE")
    ap.add_argument("--windows", action="store_true")
    ap.add_argument("--attack", action="store_true")
    ap.add_argument("--drivers")
    ap.add_argument("--port", default="LPT1:")
    ap.add_argument("--host", default="x86", choices=("x86", "x64"))
    a = ap.parse_args()
    global DRIVER_DIR, DRIVER_KEY
    if a.host == "x64":
        DRIVER_DIR, DRIVER_KEY = X64_DRIVER_DIR, X64_DRIVER_KEY
    failed = []

    def check(name, ok, detail=""):
        print("%s: %s/%s%s" % ("PASS" if ok else "FAIL", a.case, name, "" if ok or not detail else " (%s)" % detail))
        if not ok:
            failed.append(name)

    def read(path):
        try:
            with open(path, "rb") as f:
                return f.read()
        except OSError:
            return None

    seen = {}
    for line in (read(a.robot) or b"").decode("latin-1").replace("\r", "").splitlines():
        for part in line.split(" "):
            if "=" in part:
                k, v = part.split("=", 1)
                seen[k] = v
    errors = [l for l in (read(a.robot) or b"").decode("latin-1").splitlines() if l.startswith("ERROR")]
    check("robot-walk", not errors, "; ".join(errors))
    # Every judgement below depends on the system language; a Wine that did not take it from LC_ALL fails
    # the case here, by name, rather than in a page check that would only look wrong.
    want_lang = "0x%04X" % a.lang_id
    check("system-language-reported", seen.get("system_langid") == want_lang,
          "Wine reports system language %s, the case needs %s: LC_ALL did not reach Wine"
          % (seen.get("system_langid"), want_lang))

    if a.unattended is not None:
        check("exit-code", seen.get("exited") == "1" and seen.get("exit_code") == str(a.unattended),
              "exited=%s exit_code=%s" % (seen.get("exited"), seen.get("exit_code")))
        windows = int(seen.get("windows_seen", "-1"))
        if a.windows:
            check("says-why-in-a-window", windows > 0 and "message" in seen, "windows_seen=%d" % windows)
        else:
            classes = [l for l in (read(a.robot) or b"").decode("latin-1").splitlines() if l.startswith("window_class=")]
            check("no-window-ever", windows == 0, "windows_seen=%d %s" % (windows, classes))
    else:
        check_wizard(a, seen, check)

    driver = os.path.join(a.drive, DRIVER_DIR)
    log = (read(a.log) or b"").decode("latin-1").replace("\r", "").splitlines()
    temp = os.path.join(a.drive, "TEMP")
    n = a.printer_name
    entry = read(a.uninstall_entry) or b""
    if a.expect in ("refused", "untouched"):
        if a.expect == "refused":
            check("refused-stages-nothing", not os.path.exists(temp), str(os.listdir(temp)) if os.path.exists(temp) else "")
        check("%s-runs-no-command" % a.expect, not any(l.startswith("process=") for l in log), str(log))
        # The robot looked the key up and found none (an empty file would mean the look-up failed).
        check("%s-no-uninstall-entry" % a.expect, entry.startswith(b"ABSENT "), entry[:200])
        if a.driver_before:
            before = (read(a.driver_before) or b"").decode()
            after = driver_listing(driver) if os.path.isdir(driver) else ""
            check("%s-driver-directory-unchanged" % a.expect, before != "" and after == before,
                  "before:\n%s\nafter:\n%s" % (before, after))
        return 1 if failed else 0

    # Staged files, byte for byte against the store entries the plan names.
    bad = []
    manifest = read_manifest(a.store)
    staged = plan(manifest, a.os_code, a.lang_id, a.choice, n, a.host)
    count = 7 if a.host == "x64" else 11
    check("plan-has-%s-files" % ("seven" if a.host == "x64" else "eleven"),
          len(staged) == count and len({name.upper() for name, _, _, _ in staged}) == count, repr(staged))
    for name, sid, patched, where in staged:
        entry = read(os.path.join(a.store, "%d.bin" % sid))
        want = rewrite(entry, n) if patched and entry is not None else entry
        got = read(os.path.join(temp, "amd64" if where == "amd64" else "", name))
        if entry is None or got != want:
            bad.append("%s<-%d" % (name, sid))
        if where == "amd64" and os.path.exists(os.path.join(temp, name)):
            bad.append("%s also in TEMP" % name)
        for d in ("I386", "x86"):
            present = read(os.path.join(temp, d, name))
            if (present != entry) if where == "subdirs" else (present is not None):
                bad.append("%s/%s" % (d, name))
        if read(os.path.join(driver, name)) != got:
            bad.append("driver dir %s" % name)
    if a.host == "x86" and os.path.exists(os.path.join(temp, "amd64")):
        bad.append("amd64 on a 32-bit host")
    check("staged-and-copied-files", not bad, ", ".join(bad))
    uninstaller, uninstaller_id = "uninstall%s.exe" % n, role_entry(manifest, "uninstaller")
    check("uninstaller-staged-and-copied",
          read(os.path.join(temp, uninstaller)) == read(os.path.join(a.store, "%d.bin" % uninstaller_id)) is not None
          and read(os.path.join(driver, uninstaller)) == read(os.path.join(a.store, "%d.bin" % uninstaller_id)))
    inf_id = role_entry(manifest, "inf-x64" if a.host == "x64" else "inf")
    check("inf-staged", read(os.path.join(temp, n + ".INF")) == read(os.path.join(a.store, "%d.bin" % inf_id)))
    values = reg_values((read(a.uninstall_entry) or b"").decode("latin-1"))
    command = "C:\\" + DRIVER_DIR.replace("/", "\\") + "\\" + uninstaller
    want = {"DisplayName": ("REG_SZ", "%s printer driver uninstall" % n), "UninstallString": ("REG_SZ", command),
            "DisplayIcon": ("REG_SZ", command + ",-0"), "Publisher": ("REG_SZ", "%s printer" % n)}
    # A verified installation adds five values; any other outcome leaves none of them.
    if a.expect == "success":
        want.update({"DisplayVersion": ("REG_SZ", product_version()),
                     "QuietUninstallString": ("REG_SZ", '"%s" /quiet' % command),
                     "NoModify": ("REG_DWORD", "0x1"), "NoRepair": ("REG_DWORD", "0x1")})
        size = values.get("EstimatedSize", ("", ""))
        check("uninstall-entry-size", size[0] == "REG_DWORD" and int(size[1] or "0", 16) > 0, repr(size))
        values.pop("EstimatedSize", None)
    wrong = ["%s=%r, want %r" % (k, values.get(k), want.get(k)) for k in sorted(set(values) | set(want))
             if values.get(k) != want.get(k)]
    check("uninstall-entry", not wrong, "; ".join(wrong))

    # The commands the stand-in saw: the full program path, the exact arguments, the staging directory.
    # On x64 the 64-bit rundll32, which the 32-bit program reaches through Sysnative, for both commands.
    rundll = "C:\\windows\\%s\\rundll32.exe" % ("Sysnative" if a.host == "x64" else "system32")
    install = rundll + ' printui.dll,PrintUIEntry /if /f C:\\TEMP\\KX47.INF /r "%s" /b "KX47" /m "KX47" ' % a.port
    default = rundll + ' printui.dll,PrintUIEntry /y /n "KX47"'
    processes = [l[len("process="):] for l in log if l.startswith("process=")]
    cwds = [l[len("cwd="):] for l in log if l.startswith("cwd=")]
    # The install command takes C:\TEMP\KX47.INF and the KX47 files: under another printer name this run did
    # not stage them, so it does not run them.
    want = ([install] if n == "KX47" else []) + ([default] if a.expect == "success" else [])
    check("command-lines", processes == want, repr(processes))
    if a.host == "x64":
        widths = [l[len("width="):] for l in log if l.startswith("width=")]
        check("commands-run-by-the-64-bit-system", widths == ["64"] * len(want), repr(widths))
    if want:
        check("commands-run-in-staging-directory", cwds and all(c.upper() == "C:\\TEMP" for c in cwds), repr(cwds))

    # The system's command installed the driver, as the files it was given hold them.
    if a.expect == "success":
        check("printer-on-port", "port=" + a.port in log, repr([l for l in log if l.startswith("port=")]))

        def store_bytes(sid, patched):
            data = read(os.path.join(a.store, "%d.bin" % sid))
            return rewrite(data, n) if patched and data is not None else data
        check_driver(a, staged, store_bytes, a.drive, check)
        if a.drivers is not None:
            check_listed(a, staged, (read(a.drivers) or b"").decode("latin-1"), check)
    if a.attack:
        steps = dict(l.split("=", 1) for l in log if "=" in l)
        for attack in ("overwrite", "rename"):
            check("attack-%s-refused" % attack, steps.get("attack-" + attack) == "refused",
                  "attack-%s=%s (error %s) on %s" % (attack, steps.get("attack-" + attack),
                                                    steps.get("attack-%s-error" % attack),
                                                    steps.get("attack-%s-file" % attack) or
                                                    steps.get("attack-%s-directory" % attack)))
    return 1 if failed else 0


if __name__ == "__main__":
    if len(sys.argv) == 3 and sys.argv[1] == "--driver-listing":  # what --driver-before compares with
        sys.stdout.write(driver_listing(sys.argv[2]))
        sys.exit(0)
    sys.exit(main())
