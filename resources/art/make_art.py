#!/usr/bin/env python3
"""Draws the program's icon (servolt.ico) and control-bar banner (banner.bmp).

ImageMagick's `convert` rasterises the shapes and text; this script then
writes the Windows file formats itself, byte by byte, so the outputs are
exactly what the resource compiler expects:

  servolt.ico  eight images: 16, 32, 48 and 64 pixels square, each once
               with a 256-colour palette and once at 24 bits per pixel,
               transparency in the 1-bit AND mask.
  banner.bmp   351 x 85 pixels, uncompressed 24-bit, bottom-up rows.

Run it from anywhere: `python3 resources/art/make_art.py`. The outputs are
committed so that a build needs neither Python nor ImageMagick.
"""

import os
import struct
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))

# Palette of the drawing, shared by icon and banner.
STEEL_TOP = "#3a74ab"
STEEL_BOTTOM = "#0e223b"
GOLD = "#f2b632"
GOLD_EDGE = "#a8740f"
NIGHT_LEFT = "#1f5185"
NIGHT_RIGHT = "#0a1626"
PALE_GOLD = "#f4cf77"

# The mark, on a 512 x 512 canvas: a rounded steel plate carrying a gold
# chevron "V" with a small launch flame under its point.
MARK_PLATE = "roundrectangle 24,24 487,487 96,96"
MARK_CHEVRON = "polygon 104,118 188,118 256,318 324,118 408,118 298,404 214,404"
MARK_FLAME = "polygon 226,420 286,420 256,470"

ICON_SIZES = (16, 32, 48, 64)
BANNER_SIZE = (351, 85)


def run_convert(args):
    result = subprocess.run(["convert"] + args, check=True, stdout=subprocess.PIPE)
    return result.stdout


def mark_args(size):
    """ImageMagick arguments that leave the mark, size x size, on the stack."""
    return [
        "(", "-size", "512x512", "gradient:%s-%s" % (STEEL_TOP, STEEL_BOTTOM),
        "(", "-size", "512x512", "xc:none", "-fill", "white", "-draw", MARK_PLATE, ")",
        "-compose", "DstIn", "-composite",
        # a faint highlight along the plate's upper half
        "(", "-size", "512x512", "xc:none", "-fill", "rgba(255,255,255,0.10)",
        "-draw", "roundrectangle 40,40 471,250 80,80", ")",
        "-compose", "Over", "-composite",
        "-fill", GOLD, "-stroke", GOLD_EDGE, "-strokewidth", "10",
        "-draw", MARK_CHEVRON,
        "-stroke", "none", "-fill", "#ff7a29", "-draw", MARK_FLAME,
        "-filter", "Lanczos", "-resize", "%dx%d!" % (size, size), ")",
    ]


def render_mark_rgba(size):
    data = run_convert(mark_args(size) + ["-depth", "8", "rgba:-"])
    assert len(data) == size * size * 4
    return [tuple(data[i:i + 4]) for i in range(0, len(data), 4)]


def flatten(pixels, background=(192, 192, 192)):
    """Edge pixels blended over a neutral grey; alpha below one half becomes
    transparent through the AND mask."""
    out, mask = [], []
    for r, g, b, a in pixels:
        if a < 128:
            out.append((0, 0, 0))
            mask.append(1)
        else:
            f = a / 255.0
            out.append(tuple(int(round(c * f + bg * (1 - f))) for c, bg in zip((r, g, b), background)))
            mask.append(0)
    return out, mask


def quantize(pixels, size):
    """256-colour version of an image through ImageMagick's quantiser."""
    raw = bytes(c for p in pixels for c in p)
    data = run_convert(["-size", "%dx%d" % (size, size), "-depth", "8", "rgb:" + write_temp(raw),
                        "+dither", "-colors", "256", "-depth", "8", "rgb:-"])
    quant = [tuple(data[i:i + 3]) for i in range(0, len(data), 3)]
    palette = sorted(set(quant))
    assert len(palette) <= 256
    palette += [(0, 0, 0)] * (256 - len(palette))
    index = {c: i for i, c in enumerate(palette)}
    return palette, [index[c] for c in quant]


_temp_files = []


def write_temp(raw):
    path = os.path.join(HERE, ".quantize-%d.rgb" % len(_temp_files))
    with open(path, "wb") as f:
        f.write(raw)
    _temp_files.append(path)
    return path


def row_bytes(bits_per_row):
    return ((bits_per_row + 31) // 32) * 4


def mask_bytes(mask, size):
    stride = row_bytes(size)
    out = bytearray()
    for y in reversed(range(size)):
        row = bytearray(stride)
        for x in range(size):
            if mask[y * size + x]:
                row[x // 8] |= 0x80 >> (x % 8)
        out += row
    return bytes(out)


def dib_header(size, bpp, colours):
    # Height counts the XOR image and the AND mask together.
    return struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bpp, 0, 0, 0, 0, colours, 0)


def icon_image_24(pixels, mask, size):
    stride = row_bytes(size * 24)
    body = bytearray()
    for y in reversed(range(size)):
        row = bytearray()
        for x in range(size):
            r, g, b = pixels[y * size + x]
            row += bytes((b, g, r))
        row += bytes(stride - len(row))
        body += row
    return dib_header(size, 24, 0) + bytes(body) + mask_bytes(mask, size)


def icon_image_8(pixels, mask, size):
    palette, indices = quantize(pixels, size)
    stride = row_bytes(size * 8)
    body = bytearray()
    for y in reversed(range(size)):
        row = bytearray(indices[y * size:(y + 1) * size])
        row += bytes(stride - len(row))
        body += row
    pal = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    return dib_header(size, 8, 256) + pal + bytes(body) + mask_bytes(mask, size)


def write_icon(path):
    images = []  # (size, colour count byte, bpp, data)
    for size in ICON_SIZES:
        pixels, mask = flatten(render_mark_rgba(size))
        images.append((size, 0, 8, icon_image_8(pixels, mask, size)))
        images.append((size, 0, 24, icon_image_24(pixels, mask, size)))
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries, blobs = b"", b""
    for size, colours, bpp, data in images:
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, colours, 0, 1, bpp,
                               len(data), offset)
        blobs += data
        offset += len(data)
    with open(path, "wb") as f:
        f.write(header + entries + blobs)


def write_banner(path):
    width, height = BANNER_SIZE
    args = [
        "-size", "%dx%d" % (height, width), "gradient:%s-%s" % (NIGHT_LEFT, NIGHT_RIGHT),
        "-rotate", "-90",
        # fine diagonal hatching, barely visible, for texture
        "(", "-size", "%dx%d" % (width, height), "pattern:left30", "-negate",
        "-alpha", "copy", "-channel", "A", "-evaluate", "multiply", "0.06", "+channel",
        "-fill", "white", "-colorize", "100", ")",
        "-compose", "Over", "-composite",
    ] + mark_args(64) + [
        "-geometry", "+12+10", "-compose", "Over", "-composite",
        "-fill", "rgba(0,0,0,0.45)", "-font", "DejaVu-Sans-Bold", "-pointsize", "31",
        "-kerning", "3", "-annotate", "+93+45", "VANTREL",
        "-fill", "white", "-annotate", "+91+43", "VANTREL",
        "-font", "DejaVu-Sans", "-pointsize", "13", "-kerning", "0.6",
        "-fill", PALE_GOLD, "-annotate", "+93+64", "Dedicated Server Launch Utility",
        "-fill", GOLD, "-draw", "rectangle 92,71 %d,72" % (width - 16),
        "-depth", "8", "rgb:-",
    ]
    data = run_convert(args)
    assert len(data) == width * height * 3
    stride = row_bytes(width * 24)
    body = bytearray()
    for y in reversed(range(height)):
        row = bytearray()
        for x in range(width):
            i = (y * width + x) * 3
            row += bytes((data[i + 2], data[i + 1], data[i]))
        row += bytes(stride - len(row))
        body += row
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(body), 2835, 2835, 0, 0)
    file_header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(body), 0, 0, 14 + len(info))
    with open(path, "wb") as f:
        f.write(file_header + info + bytes(body))


def main():
    try:
        write_icon(os.path.join(HERE, "servolt.ico"))
        write_banner(os.path.join(HERE, "banner.bmp"))
    finally:
        for p in _temp_files:
            os.remove(p)
    print("wrote servolt.ico and banner.bmp in", HERE)


if __name__ == "__main__":
    sys.exit(main())
