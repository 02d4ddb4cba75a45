#!/usr/bin/env python3
"""Holds the sources' includes to the direction the layers are linked in: pages/wizard -> app -> install,
system, localization -> platform, with framework/ below the pages and the application object. Prints one
line per include that runs the wrong way and exits 1 when there is any.

layers_check.py [repository root]
"""
import os
import re
import sys

# Folder of the including file -> folders of ours it must not include from.
FORBIDDEN = {
    "platform": ("app", "wizard", "pages", "framework", "install", "system", "localization"),
    "install": ("app", "wizard", "pages"),
    "system": ("app", "wizard", "pages"),
    "localization": ("app", "wizard", "pages"),
    "uninstall": ("app", "wizard", "pages", "framework"),
    "app": ("wizard", "pages"),
    "framework": ("app", "wizard", "pages", "install", "system", "localization"),
}
# The Windows entry of the program builds the wizard: it belongs with the pages.
ALLOWED_BELOW = {"app/win32"}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def wrong_includes(root):
    for top, banned in sorted(FORBIDDEN.items()):
        for folder, _, names in os.walk(os.path.join(root, top)):
            rel_folder = os.path.relpath(folder, root).replace(os.sep, "/")
            if any(rel_folder == a or rel_folder.startswith(a + "/") for a in ALLOWED_BELOW):
                continue
            for name in sorted(names):
                if not name.endswith((".cpp", ".h")):
                    continue
                path = os.path.join(folder, name)
                with open(path, encoding="utf-8", errors="replace") as f:
                    for number, line in enumerate(f, 1):
                        m = INCLUDE.match(line)
                        if m and m.group(1).split("/")[0] in banned:
                            yield "%s/%s:%d includes %s" % (rel_folder, name, number, m.group(1))


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
    problems = list(wrong_includes(root))
    for p in problems:
        print("FAIL: layers/%s" % p)
    if not problems:
        print("PASS: layers/every include runs down the layers")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
