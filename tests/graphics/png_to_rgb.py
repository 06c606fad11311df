#!/usr/bin/python3
"""Converts PNG files to raw RGB (width, height as 32-bit little-endian, then the
pixels), composited over white where they have transparency: python3 png_to_rgb.py
OUT_DIR FILE.png..."""
import os
import struct
import sys

from PIL import Image

out = sys.argv[1]
os.makedirs(out, exist_ok=True)
for path in sys.argv[2:]:
    img = Image.open(path).convert("RGBA")
    white = Image.new("RGBA", img.size, (255, 255, 255, 255))
    rgb = Image.alpha_composite(white, img).convert("RGB")
    name = os.path.splitext(os.path.basename(path))[0] + ".rgb"
    with open(os.path.join(out, name), "wb") as f:
        f.write(struct.pack("<II", rgb.width, rgb.height))
        f.write(rgb.tobytes())
