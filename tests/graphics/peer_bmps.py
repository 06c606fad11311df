#!/usr/bin/python3
"""Writes BMP files with Pillow and ImageMagick into a folder, each with raw RGB
files (width, height as 32-bit little-endian, then the pixels) of what ImageMagick
(.rgb) and Pillow (.pil.rgb) read back from it; the test compares our reading with
those. Pillow truncates 5-bit channels where ImageMagick repeats their top bits
(31 becomes 255 either way, 4 becomes 32 or 33); we read them as ImageMagick does, so
Pillow's reading of 16-bit files is left out."""
import os
import struct
import subprocess
import sys

from PIL import Image, ImageDraw

out = sys.argv[1]
os.makedirs(out, exist_ok=True)

W, H = 37, 23
src = Image.new("RGB", (W, H))
px = src.load()
for y in range(H):
    for x in range(W):
        px[x, y] = ((x * 7) % 256, (y * 11) % 256, ((x + y) * 5) % 256)
d = ImageDraw.Draw(src)
d.rectangle([3, 3, 12, 9], fill=(255, 255, 255))
d.line([0, H - 1, W - 1, 0], fill=(0, 0, 0))
src.save(os.path.join(out, "source.png"))

files = {}
files["pil-1bit.bmp"] = lambda p: src.convert("1").save(p)
files["pil-8bit-grey.bmp"] = lambda p: src.convert("L").save(p)
files["pil-8bit-palette.bmp"] = lambda p: src.convert("P", palette=Image.ADAPTIVE, colors=200).save(p)
files["pil-24bit.bmp"] = lambda p: src.save(p)
files["pil-32bit.bmp"] = lambda p: src.convert("RGBA").save(p)

png = os.path.join(out, "source.png")
magick = {
    "im-4bit.bmp": ["-colors", "16", "BMP3:"],
    "im-8bit.bmp": ["-type", "Palette", "BMP3:"],
    "im-8bit-rle.bmp": ["-type", "Palette", "-compress", "RLE", "BMP3:"],
    "im-4bit-rle.bmp": ["-colors", "16", "-compress", "RLE", "BMP3:"],
    "im-1bit.bmp": ["-monochrome", "BMP3:"],
    "im-16bit-565.bmp": ["-define", "bmp:subtype=RGB565", "BMP:"],
    "im-16bit-555.bmp": ["-define", "bmp:subtype=RGB555", "BMP:"],
    "im-24bit.bmp": ["-type", "TrueColor", "BMP:"],
    "im-32bit.bmp": ["-type", "TrueColorAlpha", "BMP:"],
    "im-core-8bit.bmp": ["-type", "Palette", "BMP2:"],
    "im-core-24bit.bmp": ["-type", "TrueColor", "BMP2:"],
}
for name, args in magick.items():
    target = os.path.join(out, name)
    fmt = args[-1]
    r = subprocess.run(["convert", png] + args[:-1] + [fmt + target], capture_output=True)
    if r.returncode != 0:
        print("skipped", name, r.stderr.decode(errors="replace").strip(), file=sys.stderr)

for name, write in files.items():
    write(os.path.join(out, name))

def write_rgb(path, width, height, data):
    with open(path, "wb") as f:
        f.write(struct.pack("<II", width, height))
        f.write(data)


for name in sorted(os.listdir(out)):
    if not name.endswith(".bmp"):
        continue
    path = os.path.join(out, name)
    r = subprocess.run(["convert", path, "-depth", "8", "rgb:-"], capture_output=True)
    if r.returncode == 0 and len(r.stdout) == W * H * 3:
        write_rgb(path[:-4] + ".rgb", W, H, r.stdout)
    if "16bit" in name:
        continue
    try:
        img = Image.open(path).convert("RGB")
    except Exception as e:  # a file Pillow cannot read has no expected pixels
        print("unread", name, e, file=sys.stderr)
        continue
    write_rgb(path[:-4] + ".pil.rgb", img.width, img.height, img.tobytes())
