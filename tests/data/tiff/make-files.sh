#!/bin/sh
# Makes the TIFF files of this folder with independent writers: Pillow, libtiff's tools
# (tiffcp, tiffset) and ImageMagick, all from Debian (python3-pil, libtiff-tools,
# imagemagick). The tests decode them with libtiff as the reference.
# Run from anywhere: ./make-files.sh
set -eu
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Pillow: a picture with gradients and scattered pixels, saved in each mode, without
# compression, little-endian.
/usr/bin/python3 - "$tmp" <<'PY'
import sys
from PIL import Image
tmp = sys.argv[1]

def picture(w, h):
    im = Image.new("RGB", (w, h))
    seed = 12345
    px = im.load()
    for y in range(h):
        for x in range(w):
            seed = (seed * 1103515245 + 12345) & 0x7FFFFFFF
            noise = (seed >> 16) & 0x3F
            px[x, y] = ((x * 255 // max(w - 1, 1)) ^ noise, (y * 255 // max(h - 1, 1)), (x * y + noise) & 0xFF)
    return im

rgb = picture(37, 23)
rgb.save(f"{tmp}/src.png")
picture(40, 16).save(f"{tmp}/src40.png")
rgb.save("pil-rgb-37x23.tif")
rgba = rgb.copy()
rgba.putalpha(Image.linear_gradient("L").resize(rgb.size))
rgba.save("pil-rgba-37x23.tif")
rgb.convert("L").save("pil-grey8-37x23.tif")
picture(40, 16).convert("L").save(f"{tmp}/grey8-40x16.tif")
rgb.convert("1").save("pil-bilevel-37x23.tif")
rgb.convert("P", palette=Image.ADAPTIVE, colors=200).save("pil-palette8-37x23.tif")
# Several directories of different kinds; the last one is what a load shows.
frames = [rgb.convert("L"), rgb.convert("1"), rgb.convert("P", palette=Image.ADAPTIVE, colors=50)]
frames[0].save("pil-three-directories.tif", save_all=True, append_images=frames[1:])
PY

# libtiff's tools: big-endian copies, strips of a few rows, planes, WhiteIsZero.
tiffcp -B -c none -r 4 pil-rgb-37x23.tif tcp-rgb-be-strips4.tif
tiffcp -B -c none -r 5 pil-grey8-37x23.tif tcp-grey8-be-strips5.tif
tiffcp -L -c none -r 3 "$tmp/grey8-40x16.tif" tcp-grey8-40x16-strips3.tif
tiffcp -B -c none pil-bilevel-37x23.tif tcp-bilevel-be.tif
tiffcp -B -c none -r 7 pil-palette8-37x23.tif tcp-palette8-be-strips7.tif
tiffcp -B -c none -r 6 pil-rgba-37x23.tif tcp-rgba-be-strips6.tif
tiffcp -L -c none pil-rgb-37x23.tif pil-grey8-37x23.tif tcp-two-directories.tif
tiffcp -c none -p separate pil-rgb-37x23.tif tcp-rgb-planes.tif
# The same grey bytes said to run from white: libtiff shows them inverted.
cp pil-grey8-37x23.tif tset-grey8-whiteiszero.tif
tiffset -s 262 0 tset-grey8-whiteiszero.tif

# ImageMagick: 4-bit grey and palette, bilevel, both byte orders.
convert "$tmp/src.png" -colorspace Gray -depth 4 -compress none -define tiff:endian=lsb im-grey4-37x23.tif
convert "$tmp/src40.png" -colorspace Gray -depth 4 -compress none -define tiff:endian=msb \
  -define tiff:rows-per-strip=3 im-grey4-40x16-be.tif
convert "$tmp/src.png" -colors 16 -type Palette -depth 4 -compress none -define tiff:endian=msb im-palette4-be.tif
convert "$tmp/src.png" -colors 100 -type Palette -compress none -define tiff:endian=lsb im-palette8.tif
convert "$tmp/src.png" -monochrome -depth 1 -compress none -define tiff:endian=msb im-bilevel-be.tif
convert "$tmp/src40.png" -monochrome -depth 1 -compress none -define tiff:endian=lsb im-bilevel-40x16.tif
convert "$tmp/src.png" -compress none -define tiff:endian=msb -define tiff:rows-per-strip=2 im-rgb-be-strips2.tif

# WhiteIsZero variants of ImageMagick's 4-bit grey and bilevel files.
cp im-grey4-40x16-be.tif tset-grey4-be-whiteiszero.tif
tiffset -s 262 0 tset-grey4-be-whiteiszero.tif
cp im-bilevel-40x16.tif tset-bilevel-40x16-whiteiszero.tif
tiffset -s 262 0 tset-bilevel-40x16-whiteiszero.tif

# Bits stored lowest first (FillOrder 2), at every depth: tiffcp reverses the bits of
# every byte it writes.
tiffcp -c none -f lsb2msb pil-bilevel-37x23.tif tcp-fill2-bilevel.tif
tiffcp -c none -f lsb2msb im-grey4-37x23.tif tcp-fill2-grey4.tif
tiffcp -c none -f lsb2msb pil-grey8-37x23.tif tcp-fill2-grey8.tif
tiffcp -c none -f lsb2msb im-palette4-be.tif tcp-fill2-palette4-be.tif
tiffcp -c none -f lsb2msb pil-palette8-37x23.tif tcp-fill2-palette8.tif
tiffcp -c none -f lsb2msb pil-rgb-37x23.tif tcp-fill2-rgb.tif
tiffcp -c none -f lsb2msb tcp-rgba-be-strips6.tif tcp-fill2-rgba-be.tif
