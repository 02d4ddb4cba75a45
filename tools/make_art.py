#!/usr/bin/python3
"""Draws the wizard's pictures and writes them as Windows resources (run with /usr/bin/python3, needs PIL).

resources/art/banner.bmp  164x314, 256 colours: the welcome page's dark-blue banner with a computer, a curved
                          arrow sweeping into it and a small setup emblem in the top-right corner.
resources/art/header.bmp  47x52, 256 colours: the header picture of the system and progress pages.
resources/art/setup.ico   the program icon: 32x32 and 16x16, each in 16 and 256 colours (BMP images, which
                          every supported Windows release reads).
The output is reproducible: the same script writes the same bytes.
"""
import math
import os
import struct
import sys

from PIL import Image, ImageDraw

ART = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources", "art")

# The 16 colours of the standard Windows VGA palette, for the 16-colour icon images.
VGA16 = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
         (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
         (255, 0, 255), (0, 255, 255), (255, 255, 255)]


def lerp(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


def draw_computer(d, x, y, w, scale=1.0):
    """A monitor with a screen, a stand and a keyboard; (x, y) is the monitor's top-left corner."""
    h = int(w * 0.78)
    bezel = (214, 220, 230)
    d.rounded_rectangle([x, y, x + w, y + h], radius=max(2, int(4 * scale)), fill=bezel, outline=(60, 70, 90))
    m = max(2, int(w * 0.09))
    d.rectangle([x + m, y + m, x + w - m, y + h - m * 1.6], fill=(40, 110, 200), outline=(20, 40, 80))
    # a light reflection across the screen
    d.polygon([(x + m + 2, y + m + 2), (x + m + w * 0.35, y + m + 2), (x + m + 2, y + m + h * 0.35)],
              fill=(120, 180, 240))
    sx = x + w / 2
    d.rectangle([sx - w * 0.1, y + h, sx + w * 0.1, y + h + w * 0.12], fill=(170, 176, 190), outline=(60, 70, 90))
    d.rectangle([sx - w * 0.3, y + h + w * 0.12, sx + w * 0.3, y + h + w * 0.17], fill=(190, 196, 208),
                outline=(60, 70, 90))
    ky = y + h + w * 0.24
    d.polygon([(x + w * 0.05, ky + w * 0.16), (x + w * 0.15, ky), (x + w * 0.85, ky), (x + w * 0.95, ky + w * 0.16)],
              fill=(200, 206, 218), outline=(60, 70, 90))


def draw_emblem(d, cx, cy, r):
    """The setup emblem: a disc with a hub and a small box edge."""
    d.ellipse([cx - r, cy - r, cx + r, cy + r], fill=(236, 190, 60), outline=(120, 80, 10))
    d.ellipse([cx - r * 0.62, cy - r * 0.62, cx + r * 0.62, cy + r * 0.62], outline=(255, 236, 150))
    d.ellipse([cx - r * 0.25, cy - r * 0.25, cx + r * 0.25, cy + r * 0.25], fill=(20, 40, 90), outline=(120, 80, 10))


def banner():
    w, h = 164, 314
    img = Image.new("RGB", (w, h))
    d = ImageDraw.Draw(img)
    top, bottom = (8, 22, 70), (24, 64, 150)
    for y in range(h):
        d.line([(0, y), (w, y)], fill=lerp(top, bottom, y / (h - 1)))
    # two soft diagonal light bands
    for i, alpha in enumerate((0.10, 0.06)):
        band = Image.new("L", (w, h), 0)
        off = 60 + i * 70
        ImageDraw.Draw(band).polygon([(0, off), (w, off - 90), (w, off - 50), (0, off + 40)], fill=255)
        lit = Image.blend(img, Image.new("RGB", (w, h), (90, 140, 230)), alpha)
        img = Image.composite(lit, img, band)
    d = ImageDraw.Draw(img)
    draw_computer(d, 34, 150, 96)
    # the curved arrow: a wide arc from the left over the top, coming down into the screen
    pts = []
    for i in range(49):
        t = math.radians(180 + 180 * i / 48)
        pts.append((76 + 52 * math.cos(t), 170 + 112 * math.sin(t)))
    d.line(pts, fill=(255, 200, 40), width=9, joint="curve")
    d.line(pts, fill=(255, 236, 130), width=3, joint="curve")
    ex, ey = pts[-1]
    d.polygon([(ex, ey + 20), (ex - 14, ey - 2), (ex + 14, ey - 2)], fill=(255, 200, 40), outline=(150, 100, 0))
    draw_emblem(d, 138, 26, 16)
    return img.quantize(colors=256, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)


def header():
    w, h = 47, 52
    img = Image.new("RGB", (w, h), (255, 255, 255))
    d = ImageDraw.Draw(img)
    draw_computer(d, 4, 14, 36, scale=0.5)
    draw_emblem(d, 36, 11, 8)
    return img.quantize(colors=256, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)


def icon_picture(size):
    img = Image.new("RGBA", (size, size), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    s = size / 32.0
    d.rectangle([2 * s, 3 * s, 27 * s, 21 * s], fill=(192, 192, 192, 255), outline=(0, 0, 0, 255))
    d.rectangle([5 * s, 6 * s, 24 * s, 18 * s], fill=(0, 0, 128, 255))
    d.rectangle([12 * s, 21 * s, 17 * s, 24 * s], fill=(128, 128, 128, 255))
    d.rectangle([6 * s, 24 * s, 23 * s, 27 * s], fill=(192, 192, 192, 255), outline=(0, 0, 0, 255))
    d.ellipse([18 * s, 1 * s, 30 * s, 13 * s], fill=(255, 255, 0, 255), outline=(128, 128, 0, 255))
    d.ellipse([22.5 * s, 5.5 * s, 25.5 * s, 8.5 * s], fill=(0, 0, 128, 255))
    d.line([(8 * s, 15 * s), (14 * s, 10 * s), (20 * s, 15 * s)], fill=(0, 255, 255, 255), width=max(1, int(2 * s)))
    return img


def icon_image(rgba, bits):
    """One BMP icon image (header, palette, colour bits, mask) with a 16- or 256-colour palette."""
    size = rgba.size[0]
    rgb = rgba.convert("RGB")
    if bits == 4:
        pal = Image.new("P", (1, 1))
        pal.putpalette([c for col in VGA16 for c in col] + [0] * (768 - 48))
        idx = rgb.quantize(palette=pal, dither=Image.Dither.NONE)
        colours = VGA16
    else:
        idx = rgb.quantize(colors=256, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
        p = idx.getpalette()[:768]
        p += [0] * (768 - len(p))
        colours = [tuple(p[i:i + 3]) for i in range(0, 768, 3)]
    ncol = 1 << bits
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0, 0, 0, 0, 0, 0)
    palette = b"".join(struct.pack("BBBB", b, g, r, 0) for (r, g, b) in colours[:ncol])
    alpha = rgba.getchannel("A")
    xor_rows, and_rows = [], []
    for y in range(size - 1, -1, -1):
        row = [idx.getpixel((x, y)) if alpha.getpixel((x, y)) else 0 for x in range(size)]
        if bits == 4:
            data = bytes((row[i] << 4) | row[i + 1] for i in range(0, size, 2))
        else:
            data = bytes(row)
        xor_rows.append(data + b"\0" * ((-len(data)) % 4))
        mask = 0
        mbytes = bytearray()
        for x in range(size):
            mask = (mask << 1) | (0 if alpha.getpixel((x, y)) else 1)
            if x % 8 == 7:
                mbytes.append(mask)
                mask = 0
        and_rows.append(bytes(mbytes) + b"\0" * ((-len(mbytes)) % 4))
    return header + palette + b"".join(xor_rows) + b"".join(and_rows), ncol


def write_icon(path):
    entries = []
    for size in (32, 16):
        pic = icon_picture(size)
        for bits in (4, 8):
            data, ncol = icon_image(pic, bits)
            entries.append((size, bits, ncol, data))
    out = struct.pack("<HHH", 0, 1, len(entries))
    offset = 6 + 16 * len(entries)
    for size, bits, ncol, data in entries:
        out += struct.pack("<BBBBHHII", size, size, ncol if ncol < 256 else 0, 0, 1, bits, len(data), offset)
        offset += len(data)
    out += b"".join(e[3] for e in entries)
    with open(path, "wb") as f:
        f.write(out)


def rle8_rows(img):
    """The pixel rows, bottom-up, in BI_RLE8: runs of one index, literal stretches of three or more."""
    w, h = img.size
    px = img.load()
    out = bytearray()
    for y in range(h - 1, -1, -1):
        row = [px[x, y] for x in range(w)]
        x = 0
        while x < w:
            run = 1
            while x + run < w and run < 255 and row[x + run] == row[x]:
                run += 1
            if run >= 2:
                out += bytes((run, row[x]))
                x += run
                continue
            # A literal stretch up to the next pair of equal pixels.
            end = x
            while end < w and end - x < 255 and not (end + 1 < w and row[end + 1] == row[end]):
                end += 1
            n = end - x
            if n >= 3:
                out += bytes((0, n)) + bytes(row[x:end])
                if n % 2:
                    out += b"\0"
            else:
                for i in range(x, end):
                    out += bytes((1, row[i]))
            x = end
        out += b"\0\0"  # end of line
    out[-2:] = b"\0\1"  # end of bitmap
    return bytes(out)


def save_rle8(img, path):
    """A 256-colour bottom-up BMP with RLE8 compression, which every Windows loads as a resource."""
    w, h = img.size
    pal = img.getpalette()[:768]
    pal += [0] * (768 - len(pal))
    palette = b"".join(struct.pack("BBBB", pal[i + 2], pal[i + 1], pal[i], 0) for i in range(0, 768, 3))
    bits = rle8_rows(img)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 8, 1, len(bits), 2835, 2835, 256, 0)
    offset = 14 + len(info) + len(palette)
    head = struct.pack("<2sIHHI", b"BM", offset + len(bits), 0, 0, offset)
    with open(path, "wb") as f:
        f.write(head + info + palette + bits)


def main():
    os.makedirs(ART, exist_ok=True)
    save_rle8(banner(), os.path.join(ART, "banner.bmp"))
    save_rle8(header(), os.path.join(ART, "header.bmp"))
    write_icon(os.path.join(ART, "setup.ico"))
    return 0


if __name__ == "__main__":
    sys.exit(main())
