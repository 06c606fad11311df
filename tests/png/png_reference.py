#!/usr/bin/python3
"""Writes the reference pixels of PNG files as raw RGBA: width and height as 32-bit
little-endian numbers, then red, green, blue and alpha of each pixel, rows from the
top. python3 png_reference.py OUT_DIR FILE.png...

Colours are Pillow's, with 16-bit samples cut to their high byte. Alpha is pypng's
(python3-png): Pillow compares a colour key (tRNS) with samples it has already
widened or cut to 8 bits, so for 16-bit RGB and grey of fewer than 8 bits its alpha
misses keyed pixels; pypng keeps the samples as stored."""
import os
import struct
import sys

import png  # python3-png
from PIL import Image


def colours(im):
    if im.mode in ("I", "I;16", "I;16B"):
        return b"".join(bytes((v >> 8,) * 3) for v in im.getdata())
    rgba = im.convert("RGBA").tobytes()
    return b"".join(rgba[i:i + 3] for i in range(0, len(rgba), 4))


def alpha(path):
    width, height, rows, info = png.Reader(filename=path).asDirect()
    if not info["alpha"]:
        return bytes([255]) * (width * height)
    planes, depth = info["planes"], info["bitdepth"]
    top = (1 << depth) - 1
    return bytes(v * 255 // top if depth < 8 else v >> (depth - 8)
                 for row in rows for v in row[planes - 1::planes])


def main():
    out_dir = sys.argv[1]
    os.makedirs(out_dir, exist_ok=True)
    for path in sys.argv[2:]:
        im = Image.open(path)
        rgb, a = colours(im), alpha(path)
        out = bytearray(struct.pack("<II", im.width, im.height))
        for i in range(im.width * im.height):
            out += rgb[3 * i:3 * i + 3]
            out.append(a[i])
        name = os.path.splitext(os.path.basename(path))[0] + ".rgba"
        with open(os.path.join(out_dir, name), "wb") as f:
            f.write(out)


if __name__ == "__main__":
    main()
