#!/usr/bin/env python3
"""Reads a Wine trace (WINEDEBUG=+pid,+loaddll,+process, with +relay for `call`) of a program and of every
process it started, directly or through its children.

  dll_trace.py names <trace> <program>     the base names of the DLLs those processes loaded, one a line
  dll_trace.py report <trace> <program>    each process: its image, command line and modules (builtin/native)
  dll_trace.py check <trace> <program>     PASS:/FAIL: lines: no module of those processes came from a native
                                           file outside the system directory (the program's own file aside),
                                           and every process the program started ran an image from there
  dll_trace.py call <trace> <program> <function> <argument> <module>
                                           PASS:/FAIL: the program called <function> with the string
                                           <argument> before it loaded <module>
<program> is a file name such as setup.exe. The system directory: C:\\windows\\system32 (or syswow64)."""
import re
import sys

LOADED = re.compile(r'^([0-9a-f]{4}):[0-9a-f]{4}:trace:loaddll:\w+ Loaded L"(.*)" at [0-9A-Fa-f]+: (\w+)')
IMAGE = re.compile(r'^([0-9a-f]{4}):[0-9a-f]{4}:trace:process:\w+ L"[^"]*" image L"(.*?)" cmdline L"(.*)" parent')
STARTED = re.compile(r'^([0-9a-f]{4}):[0-9a-f]{4}:trace:process:\w+ started process pid ([0-9a-f]{4})')
SYSTEM_DIRS = ("c:\\windows\\system32\\", "c:\\windows\\syswow64\\")


def unescape(s):
    return s.replace('\\\\', '\\').replace('\\"', '"')


def base(path):
    return path.rsplit("\\", 1)[-1].lower()


def in_system_dir(path):
    p = path.lower()
    return p.startswith(SYSTEM_DIRS) and "\\" not in p[len("c:\\windows\\system32\\"):]


def read(trace):
    with open(trace, errors="replace") as f:
        return f.read().splitlines()


def processes(lines, program):
    """(pid -> {image, cmdline, parent, modules: [(path, kind)], first: line index}, root pids) for the program
    and its descendants."""
    procs, pending = {}, {}
    for i, line in enumerate(lines):
        m = IMAGE.match(line)
        if m:
            pending[m.group(1)] = (unescape(m.group(2)), unescape(m.group(3)))
            continue
        m = STARTED.match(line)
        if m:
            parent, child = m.group(1), m.group(2)
            image, cmdline = pending.pop(parent, ("?", "?"))
            procs.setdefault(child, {"modules": []}).update(image=image, cmdline=cmdline, parent=parent)
            continue
        m = LOADED.match(line)
        if m:
            p = procs.setdefault(m.group(1), {"modules": []})
            p["modules"].append((unescape(m.group(2)), m.group(3), i))
    roots = [pid for pid, p in procs.items() if p["modules"] and base(p["modules"][0][0]) == program.lower()]
    keep, grow = set(roots), True
    while grow:
        grow = False
        for pid, p in procs.items():
            if pid not in keep and p.get("parent") in keep:
                keep.add(pid)
                grow = True
    return {pid: procs[pid] for pid in sorted(keep)}, roots


def check(procs, roots):
    ok = True

    def say(good, name, detail=""):
        nonlocal ok
        ok = ok and good
        print(f"{'PASS' if good else 'FAIL'}: {name}{' (' + detail + ')' if detail and not good else ''}")

    say(len(roots) == 1, "program-traced", f"{len(roots)} processes of the program in the trace")
    foreign = [f"{pid} {path}" for pid, p in procs.items() for n, (path, kind, _) in enumerate(p["modules"])
               if kind == "native" and not in_system_dir(path) and not (pid in roots and n == 0)]
    say(not foreign, "no-module-from-outside-the-system-directory", "; ".join(foreign))
    children = [p for pid, p in procs.items() if pid not in roots]
    say(bool(children), "program-started-commands", "no process started by the program in the trace")
    bad = [f"{p.get('image')} ({p.get('cmdline')})" for p in children if not in_system_dir(p.get("image", ""))]
    say(not bad, "commands-run-from-the-system-directory", "; ".join(bad))
    return ok


def call(lines, procs, roots, function, argument, module):
    if len(roots) != 1:
        print(f"FAIL: {function}-called ({len(roots)} processes of the program in the trace)")
        return False
    pid = roots[0]
    # A string argument shows as its address and its text; a number (given as 0x...) as its hex digits.
    numeric = argument.startswith("0x")
    pattern = re.compile(r'^' + pid + r':[0-9a-f]{4}:Call \w+\.' + re.escape(function) + r'\(([0-9a-fA-F]+)(?: "(.*)")?\)')
    calls = [(i, int(m.group(1), 16) if numeric else unescape(m.group(2) or ""))
             for i, line in enumerate(lines) for m in [pattern.match(line)] if m]
    if numeric:
        argument = int(argument, 16)
    loads = [i for path, _, i in procs[pid]["modules"] if base(path) == module.lower()]
    good = [i for i, arg in calls if arg == argument]
    if not good:
        print(f"FAIL: {function}-called (calls seen: {[a for _, a in calls]})")
        return False
    if not loads or good[0] > loads[0]:
        print(f"FAIL: {function}-called-before-{module} ({'not loaded' if not loads else 'called after'})")
        return False
    print(f"PASS: {function}-called")
    print(f"PASS: {function}-called-before-{module}")
    return True


def main():
    if len(sys.argv) < 4:
        print(__doc__)
        return 2
    what, trace, program = sys.argv[1:4]
    lines = read(trace)
    procs, roots = processes(lines, program)
    if what == "names":
        names = sorted({base(path) for p in procs.values() for path, _, _ in p["modules"]})
        print("\n".join(n for n in names if not n.endswith((".exe", ".sys"))))
    elif what == "report":
        for pid, p in procs.items():
            print(f"{pid} image={p.get('image', '?')} cmdline={p.get('cmdline', '?')}")
            for path, kind, _ in p["modules"]:
                print(f"  {kind} {path}")
    elif what == "check":
        return 0 if check(procs, roots) else 1
    elif what == "call":
        return 0 if call(lines, procs, roots, *sys.argv[4:7]) else 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
