#!/usr/bin/python3
"""Writes the small seed files of the PNG fuzzer (fuzz/seeds/png/) with Pillow and
ImageMagick: one file for each colour type, a low and a high bit depth, a palette with
transparency and an interlaced file; and an icon whose image is PNG-coded for the
icon fuzzer (fuzz/seeds/ico/)."""
import os
import subprocess

from PIL import Image

here = os.path.dirname(os.path.abspath(__file__))
target = os.path.join(here, "seeds", "png")
os.makedirs(target, exist_ok=True)

width, height = 7, 5
rgba = Image.new("RGBA", (width, height))
rgba.putdata([(x * 37 % 256, y * 51 % 256, (x * y * 29) % 256, (x + y) * 31 % 256)
              for y in range(height) for x in range(width)])


def path(name):
    return os.path.join(target, name)


rgba.save(path("rgba.png"))
rgba.convert("RGB").save(path("rgb.png"))
rgba.convert("L").save(path("grey.png"))
rgba.convert("LA").save(path("grey-alpha.png"))
rgba.convert("1").save(path("bilevel.png"))
rgba.convert("RGB").quantize(8).save(path("palette-keyed.png"), transparency=2)
grey16 = Image.new("I", (width, height))
grey16.putdata([(x * 9001 + y * 313) & 0xFFFF for y in range(height) for x in range(width)])
grey16.save(path("grey16.png"))
subprocess.run(["convert", path("rgba.png"), "PNG64:" + path("rgba16.png")], check=True)
subprocess.run(["convert", path("rgb.png"), "-interlace", "PNG", "PNG24:" + path("rgb-interlaced.png")],
               check=True)
rgba.resize((16, 16)).save(os.path.join(here, "seeds", "ico", "png-image.ico"), sizes=[(16, 16)])
