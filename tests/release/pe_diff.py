#!/usr/bin/python3
"""Names where two builds of one PE program differ: sizes, the first differing bytes and the header field or
section they fall in (a time stamp left in shows as FILE_HEADER.TimeDateStamp).

    pe_diff.py <first.exe> <second.exe>
"""
import sys

import pefile


def where(pe, offset):
    for struct in (pe.DOS_HEADER, pe.NT_HEADERS, pe.FILE_HEADER, pe.OPTIONAL_HEADER):
        start = struct.get_file_offset()
        if start <= offset < start + struct.sizeof():
            best = None
            for field in struct.__keys__:
                if struct.get_field_absolute_offset(field[0]) <= offset:
                    best = field[0]
            return "%s.%s" % (struct.name, best)
    for s in pe.sections:
        if s.PointerToRawData <= offset < s.PointerToRawData + s.SizeOfRawData:
            return "section %s" % s.Name.rstrip(b"\0").decode("ascii", "replace")
    return "outside every section"


def main(a, b):
    with open(a, "rb") as f:
        x = f.read()
    with open(b, "rb") as f:
        y = f.read()
    if len(x) != len(y):
        return "%d bytes against %d" % (len(x), len(y))
    offsets = [i for i in range(len(x)) if x[i] != y[i]]
    pe = pefile.PE(data=x, fast_load=True)
    places = []
    for offset in offsets:
        place = where(pe, offset)
        if place not in places:
            places.append(place)
    return "%d byte(s) differ, first at 0x%x, in: %s" % (len(offsets), offsets[0], ", ".join(places[:8]))


if __name__ == "__main__":
    print(main(sys.argv[1], sys.argv[2]))
