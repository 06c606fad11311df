#!/usr/bin/python3
"""Writes PNG files the way other programs write them, into OUT_DIR: Pillow in every
mode it saves, and ImageMagick (`convert`) at 16 bits, interlaced, as a palette and
as low-depth grey. python3 peer_pngs.py OUT_DIR"""
import os
import subprocess
import sys

from PIL import Image

out = sys.argv[1]
os.makedirs(out, exist_ok=True)


def path(name):
    return os.path.join(out, name)


# 37 x 23: gradients in every channel and alpha, hard edges, no two rows alike.
width, height = 37, 23
source = Image.new("RGBA", (width, height))
source.putdata([((x * 7) & 255, (y * 11) & 255, (x * y) & 255, 255 if x < 5 else (x * 13 + y * 3) & 255)
                for y in range(height) for x in range(width)])

source.save(path("pil-rgba.png"))
source.convert("RGB").save(path("pil-rgb.png"))
source.convert("RGB").save(path("pil-rgb-optimized.png"), optimize=True)
source.save(path("pil-rgba-level9.png"), compress_level=9)
source.convert("RGB").save(path("pil-rgb-stored.png"), compress_level=0)
source.convert("L").save(path("pil-grey.png"))
source.convert("LA").save(path("pil-grey-alpha.png"))
source.convert("1").save(path("pil-bilevel.png"))
palette = source.convert("RGB").quantize(64)
palette.save(path("pil-palette.png"))
palette.save(path("pil-palette-keyed.png"), transparency=3)
grey16 = Image.new("I", (width, height))
grey16.putdata([(x * 1771 + y * 977) & 0xFFFF for y in range(height) for x in range(width)])
grey16.save(path("pil-grey16.png"))

magick = [
    ("pil-rgba.png", ["PNG64:" + path("im-rgba16.png")]),
    ("pil-rgb.png", ["PNG48:" + path("im-rgb16.png")]),
    ("pil-rgba.png", ["-interlace", "PNG", "PNG32:" + path("im-rgba-interlaced.png")]),
    ("pil-rgb.png", ["-interlace", "PNG", "PNG24:" + path("im-rgb-interlaced.png")]),
    ("pil-palette.png", ["PNG8:" + path("im-palette.png")]),
    ("pil-grey.png", ["-posterize", "16", "-define", "png:bit-depth=4", "-define", "png:color-type=0",
                      "PNG:" + path("im-grey4.png")]),
    ("pil-grey.png", ["-posterize", "4", "-define", "png:bit-depth=2", "-define", "png:color-type=0",
                      "-interlace", "PNG", "PNG:" + path("im-grey2-interlaced.png")]),
    ("pil-bilevel.png", ["-define", "png:bit-depth=1", "-define", "png:color-type=0",
                         "PNG:" + path("im-grey1.png")]),
]
for src, args in magick:
    subprocess.run(["convert", path(src)] + args, check=True)
