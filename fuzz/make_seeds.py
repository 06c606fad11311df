#!/usr/bin/python3
"""Writes the small seed files of the BMP, icon and metafile fuzzers (fuzz/seeds/)."""
import os
import struct

here = os.path.dirname(os.path.abspath(__file__))


def bmp(bits, width, height, pixels, colors=(), compression=0, core=False, masks=()):
    if core:
        head = struct.pack("<IHHHH", 12, width, height, 1, bits)
        head += b"".join(bytes(c[:3]) for c in colors)
    else:
        head = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, compression, len(pixels), 2835, 2835,
                           len(colors), 0)
        head += b"".join(struct.pack("<I", m) for m in masks)
        head += b"".join(bytes(c[:3]) + b"\0" for c in colors)
    off = 14 + len(head)
    return b"BM" + struct.pack("<IHHI", off + len(pixels), 0, 0, off) + head + pixels


def write(folder, name, data):
    os.makedirs(os.path.join(here, "seeds", folder), exist_ok=True)
    with open(os.path.join(here, "seeds", folder, name), "wb") as f:
        f.write(data)


grey16 = [(i * 17, i * 17, i * 17) for i in range(16)]
write("bmp", "pal1.bmp", bmp(1, 9, 2, bytes([0xA5, 0x80, 0, 0, 0x5A, 0, 0, 0]), [(0, 0, 0), (255, 255, 255)]))
write("bmp", "pal4.bmp", bmp(4, 3, 2, bytes([0x12, 0x30, 0, 0, 0xFE, 0xD0, 0, 0]), grey16))
write("bmp", "rle4.bmp", bmp(4, 5, 2, bytes([5, 0x12, 0, 0, 0, 3, 0x21, 0x20, 0, 2, 1, 0, 0, 1]), grey16, 2))
write("bmp", "rle8.bmp", bmp(8, 4, 3, bytes([3, 1, 0, 0, 0, 3, 2, 1, 2, 0, 0, 2, 1, 1, 0, 1]),
                             [(0, 0, 0), (0, 0, 255), (0, 255, 0)], 1))
write("bmp", "rgb16.bmp", bmp(16, 2, 1, bytes([0x1F, 0xF8, 0xE0, 0x07]), (), 3, masks=(0xF800, 0x07E0, 0x001F)))
write("bmp", "rgb24.bmp", bmp(24, 2, -2, bytes(range(16))))
write("bmp", "rgb32.bmp", bmp(32, 2, 1, bytes(range(8))))
write("bmp", "core.bmp", bmp(8, 2, 1, bytes([0, 1, 0, 0]), [(i, i, i) for i in range(256)], core=True))

# An icon of one 2 x 2 image, 24 bits, with its mask.
image = struct.pack("<IiiHHIIiiII", 40, 2, 4, 1, 24, 0, 0, 0, 0, 0, 0)
image += bytes([255, 0, 0, 255, 0, 0, 0, 0, 0, 0, 0, 0, 255, 0, 0, 0]) + struct.pack("<II", 0, 0x80)
write("ico", "one.ico", struct.pack("<HHH", 0, 1, 1) + bytes([2, 2, 0, 0]) +
      struct.pack("<HHII", 1, 24, len(image), 22) + image)

wmf = struct.pack("<HHHIHIH", 1, 9, 0x300, 12, 0, 3, 0) + struct.pack("<IH", 3, 0)
place = struct.pack("<IHhhhhHI", 0x9AC6CDD7, 0, 0, 0, 1440, 720, 1440, 0)
check = 0
for i in range(10):
    check ^= struct.unpack_from("<H", place, 2 * i)[0]
write("metafile", "placeable.wmf", place + struct.pack("<H", check) + wmf)
emf = bytearray(120)
struct.pack_into("<II", emf, 0, 1, 88)
struct.pack_into("<iiii", emf, 24, 0, 0, 2000, 1000)
struct.pack_into("<III", emf, 40, 0x464D4520, 0x10000, 120)
write("metafile", "frame.emf", bytes(emf))
