#!/usr/bin/env python3
"""Placeholder until the store generator lands: writes an empty store."""
import argparse, os
ap = argparse.ArgumentParser()
ap.add_argument("--source"); ap.add_argument("--out"); ap.add_argument("--vendor", default="")
a = ap.parse_args()
os.makedirs(a.out, exist_ok=True)
open(os.path.join(a.out, "owner_data.rc"), "w").write("// empty store\n")
open(os.path.join(a.out, "store.stamp"), "w").write("")
