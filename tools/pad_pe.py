#!/usr/bin/env python3
"""Pads a linked PE program to an exact size with a section of its own (.pad, initialized data, read-only).

    pad_pe.py <program> <size>

The store's catalogue gives the uninstaller a fixed size, so the build pads it to that size after linking.
A program already larger than the size, or one without room for another section header, fails the build.
The section holds zeros; it is never referenced. A program of exactly the size is left alone.
"""
import struct
import sys

import pefile


def pad(path, size):
    pe = pefile.PE(path)
    with open(path, "rb") as f:
        data = bytearray(f.read())
    if len(data) > size:
        raise SystemExit("pad_pe: %s is %d bytes, more than the %d it must fit" % (path, len(data), size))
    if len(data) == size:
        return
    falign = pe.OPTIONAL_HEADER.FileAlignment
    salign = pe.OPTIONAL_HEADER.SectionAlignment
    last = max(pe.sections, key=lambda s: s.PointerToRawData + s.SizeOfRawData)
    end = last.PointerToRawData + last.SizeOfRawData
    if end != len(data) or len(data) % falign:
        raise SystemExit("pad_pe: %s has data after its last section; cannot pad it" % path)
    room = size - len(data)
    if room % falign:
        raise SystemExit("pad_pe: %d bytes to add is not a multiple of the file alignment %d" % (room, falign))
    header_at = pe.sections[-1].get_file_offset() + 40
    first_data = min(s.PointerToRawData for s in pe.sections if s.SizeOfRawData)
    if header_at + 40 > min(first_data, pe.OPTIONAL_HEADER.SizeOfHeaders):
        raise SystemExit("pad_pe: no room for another section header in %s" % path)
    top = max(s.VirtualAddress + max(s.Misc_VirtualSize, s.SizeOfRawData) for s in pe.sections)
    rva = (top + salign - 1) // salign * salign
    # IMAGE_SCN_CNT_INITIALIZED_DATA | IMAGE_SCN_MEM_READ
    header = struct.pack("<8sIIIIIIHHI", b".pad", room, rva, room, len(data), 0, 0, 0, 0, 0x40000040)
    data[header_at:header_at + 40] = header
    fh = pe.FILE_HEADER.get_file_offset()
    struct.pack_into("<H", data, fh + 2, pe.FILE_HEADER.NumberOfSections + 1)
    size_of_image = (rva + room + salign - 1) // salign * salign
    struct.pack_into("<I", data, pe.OPTIONAL_HEADER.get_file_offset() + 56, size_of_image)
    data += b"\0" * room
    with open(path + ".tmp", "wb") as f:
        f.write(data)
    check = pefile.PE(data=bytes(data))
    if len(data) != size or check.sections[-1].Name.rstrip(b"\0") != b".pad":
        raise SystemExit("pad_pe: the padded %s does not read back" % path)
    import os
    os.replace(path + ".tmp", path)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        raise SystemExit("usage: pad_pe.py <program> <size>")
    pad(sys.argv[1], int(sys.argv[2]))
