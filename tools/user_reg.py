#!/usr/bin/env python3
"""Sets a string value in a Wine prefix's user.reg while its wineserver is down, so that no Windows process
is needed (under emulation each one costs about 45 s).

user_reg.py [--check] <user.reg> <key below HKCU, backslash-separated> <value name> <string>
--check only answers: exit 0 when the value is already so (nothing to write), 1 when it is not.
"""
import re
import sys
import time


def main(argv):
    check = argv[:1] == ["--check"]
    path, key, name, value = argv[1:] if check else argv
    text = open(path, encoding="utf-8", newline="").read()
    header = "[" + key.replace("\\", "\\\\") + "]"
    line = '"%s"="%s"' % (name, value)
    blocks = re.split(r"(?m)^(?=\[)", text)
    for i, block in enumerate(blocks):
        if block.split(" ", 1)[0].rstrip("\n").lower() != header.lower():
            continue
        lines = block.split("\n")
        if check:
            return 0 if line in lines else 1
        kept = [l for l in lines if not l.startswith('"%s"=' % name)]
        at = 1
        while at < len(kept) and kept[at].startswith("#"):
            at += 1
        kept.insert(at, line)
        blocks[i] = "\n".join(kept)
        break
    else:
        if check:
            return 1
        if not text.endswith("\n\n"):
            blocks.append("\n" if text.endswith("\n") else "\n\n")
        blocks.append("%s %d\n#time=0\n%s\n\n" % (header, int(time.time()), line))
    open(path, "w", encoding="utf-8", newline="").write("".join(blocks))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
