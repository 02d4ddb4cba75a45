#!/usr/bin/env python3
"""Pads a linked PE program to an exact size with a section of its own (.pad, initialized data, read-only).

    pad_pe.py <program> <size>

The store's catalogue gives the uninstaller a fixed size, so the build pads it to that size after linking.
A program already larger than the size, or one without room for another section header, fails the build.
The section holds zeros; it is never referenced. A program of exactly the size is left alone; one padded
before to another size is padded again from its linked size. The header checksum, when the linker set one, is
computed again.

The section grows in whole units of the file alignment; what remains below one unit (a program that is to be
signed is padded to its size less its signature, which need not be a whole unit) follows the section as
zeros, a multiple of 8 bytes, which the signature's digest covers as it covers every byte before it.
"""
import os
import struct
import sys

import pefile


def unpadded(data):
    """The program as linked: a .pad section (the last) and zeros after the last section taken off."""
    pe = pefile.PE(data=bytes(data))
    sections = list(pe.sections)
    if sections and sections[-1].Name.rstrip(b"\0") == b".pad":
        pad_section = sections.pop()
        data = bytearray(data)
        at = pad_section.get_file_offset()
        data[at:at + 40] = b"\0" * 40
        struct.pack_into("<H", data, pe.FILE_HEADER.get_file_offset() + 2, len(sections))
        salign = pe.OPTIONAL_HEADER.SectionAlignment
        top = max(s.VirtualAddress + max(s.Misc_VirtualSize, s.SizeOfRawData) for s in sections)
        struct.pack_into("<I", data, pe.OPTIONAL_HEADER.get_file_offset() + 56, (top + salign - 1) // salign * salign)
    end = max(s.PointerToRawData + s.SizeOfRawData for s in sections)
    if any(data[end:]):
        raise SystemExit("pad_pe: the program has data after its last section; cannot pad it")
    return bytearray(data[:end])


def padded(data, size):
    """The bytes of the program (as linked, or padded before) padded to size."""
    data = unpadded(data)
    pe = pefile.PE(data=bytes(data))
    if len(data) > size:
        raise SystemExit("pad_pe: the program is %d bytes, more than the %d it must fit" % (len(data), size))
    falign = pe.OPTIONAL_HEADER.FileAlignment
    salign = pe.OPTIONAL_HEADER.SectionAlignment
    if len(data) % falign:
        raise SystemExit("pad_pe: the program's sections do not end on its file alignment %d" % falign)
    room = size - len(data)
    tail = room % falign
    if tail % 8:
        raise SystemExit("pad_pe: %d bytes to add is not a multiple of 8" % room)
    room -= tail
    if room:
        header_at = pe.sections[-1].get_file_offset() + 40
        first_data = min(s.PointerToRawData for s in pe.sections if s.SizeOfRawData)
        if header_at + 40 > min(first_data, pe.OPTIONAL_HEADER.SizeOfHeaders):
            raise SystemExit("pad_pe: no room for another section header")
        top = max(s.VirtualAddress + max(s.Misc_VirtualSize, s.SizeOfRawData) for s in pe.sections)
        rva = (top + salign - 1) // salign * salign
        # IMAGE_SCN_CNT_INITIALIZED_DATA | IMAGE_SCN_MEM_READ
        header = struct.pack("<8sIIIIIIHHI", b".pad", room, rva, room, len(data), 0, 0, 0, 0, 0x40000040)
        data[header_at:header_at + 40] = header
        struct.pack_into("<H", data, pe.FILE_HEADER.get_file_offset() + 2, pe.FILE_HEADER.NumberOfSections + 1)
        size_of_image = (rva + room + salign - 1) // salign * salign
        struct.pack_into("<I", data, pe.OPTIONAL_HEADER.get_file_offset() + 56, size_of_image)
    data += b"\0" * (room + tail)
    check = pefile.PE(data=bytes(data))
    if len(data) != size or (room and check.sections[-1].Name.rstrip(b"\0") != b".pad"):
        raise SystemExit("pad_pe: the padded program does not read back")
    if check.OPTIONAL_HEADER.CheckSum:  # the linker's checksum, kept true
        struct.pack_into("<I", data, check.OPTIONAL_HEADER.get_file_offset() + 64, check.generate_checksum())
    return bytes(data)


def pad(path, size):
    with open(path, "rb") as f:
        data = f.read()
    if len(data) == size:
        return
    try:
        out = padded(data, size)
    except SystemExit as e:
        raise SystemExit("%s (%s)" % (e, path))
    with open(path + ".tmp", "wb") as f:
        f.write(out)
    os.chmod(path + ".tmp", os.stat(path).st_mode)
    os.replace(path + ".tmp", path)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        raise SystemExit("usage: pad_pe.py <program> <size>")
    pad(sys.argv[1], int(sys.argv[2]))
