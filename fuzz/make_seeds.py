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


# Playback seeds: one Windows and one enhanced metafile with a record of most families.
def wrec(function, *words, tail=b""):
    body = b"".join(struct.pack("<h", w) for w in words) + tail
    if len(body) % 2:
        body += b"\0"
    return struct.pack("<IH", 3 + len(body) // 2, function) + body


def colorref(r, g, b):
    return struct.pack("<I", r | g << 8 | b << 16)


dib = struct.pack("<IiiHHIIiiII", 40, 2, 2, 1, 24, 0, 16, 0, 0, 0, 0) + bytes(range(16))
records = [
    wrec(0x020C, 100, 100), wrec(0x020B, 0, 0), wrec(0x0103, 8),
    wrec(0x02FC, 0, tail=colorref(255, 0, 0) + b"\0\0"),      # solid brush, slot 0
    wrec(0x02FA, 2, 3, 0, tail=colorref(0, 0, 255)),          # pen 3 wide, slot 1
    wrec(0x02FC, 2, tail=colorref(0, 128, 0) + struct.pack("<h", 5)),  # hatch, slot 2
    wrec(0x012D, 0), wrec(0x012D, 1),
    wrec(0x0324, 3, 10, 10, 90, 20, 50, 80),                 # polygon
    wrec(0x0418, 60, 60, 20, 20), wrec(0x012D, 2), wrec(0x041B, 90, 90, 50, 50),
    wrec(0x081A, 50, 0, 0, 50, 95, 95, 5, 5),                 # pie
    wrec(0x0214, 5, 5), wrec(0x0213, 95, 40),
    wrec(0x02FB, -12, 0, 0, 0, 400, tail=bytes(8) + b"Arial\0"),  # font, slot 3
    wrec(0x012D, 3), wrec(0x0521, 2, tail=b"Hi" + struct.pack("<hh", 40, 10)),
    wrec(0x0940, 0x20, 0xCC, 0, 0, 2, 2, 70, 70, tail=dib),   # DIB block transfer
    wrec(0x0416, 80, 80, 10, 10), wrec(0x0538, 2, 3, 3, 0, 0, 50, 0, 0, 50, 60, 60, 90, 60, 60, 90),
    wrec(0x0000),
]
body = b"".join(records)
wmf = struct.pack("<HHHIHIH", 1, 9, 0x300, 9 + len(body) // 2, 4, 40, 0) + body
write("metafile-play", "families.wmf", wmf)


def erec(kind, *ints, tail=b""):
    body = b"".join(struct.pack("<i", v) for v in ints) + tail
    return struct.pack("<II", kind, 8 + len(body)) + body


records = [
    erec(39, 1, 0, 0x0000FF, 0),                   # brush
    erec(38, 2, 0, 4, 0, 0xFF0000),                 # pen 4 wide
    erec(37, 1), erec(37, 2),
    erec(42, 10, 10, 90, 60), erec(43, 20, 20, 80, 80), erec(44, 5, 5, 60, 60, 20, 20),
    erec(47, 30, 30, 90, 90, 90, 60, 60, 30),
    erec(59), erec(27, 10, 80), erec(88, 0, 0, 0, 0, 3, tail=struct.pack("<6h", 40, 40, 60, 100, 90, 80)),
    erec(61), erec(60), erec(63, 0, 0, 0, 0),
    erec(35, tail=struct.pack("<6f", 0.8, 0.6, -0.6, 0.8, 20, 0)), erec(43, 0, 0, 30, 10),
    erec(36, tail=struct.pack("<6fi", 1, 0, 0, 1, 0, 0, 1)),
    erec(30, 0, 0, 70, 70), erec(91, 0, 0, 0, 0, 2, 6, 3, 3, tail=struct.pack("<12h", 0, 0, 40, 0, 0, 40, 30, 30, 60, 30, 30, 60)),
    erec(84, 0, 0, 0, 0, 1, 0, 0, 10, 20, 2, 76, 0, 0, 0, 0, 0, 0, tail="OK".encode("utf-16-le")),
]
body = b"".join(records) + erec(14, 0, 16, 20)
header = bytearray(88)
struct.pack_into("<II", header, 0, 1, 88)
struct.pack_into("<iiiiiiii", header, 8, 0, 0, 100, 100, 0, 0, 2646, 2646)
struct.pack_into("<IIIIHH", header, 40, 0x464D4520, 0x10000, 88 + len(body), len(records) + 2, 4, 0)
struct.pack_into("<iiii", header, 72, 1024, 768, 270, 203)
write("metafile-play", "families.emf", bytes(header) + body)
