#!/usr/bin/python3
"""Writes the small seed files of the JPEG fuzzer (fuzz/seeds/jpeg/) with cjpeg from
libjpeg-turbo-progs: one file for each way of coding that the decoder takes apart."""
import os
import subprocess
import tempfile

here = os.path.dirname(os.path.abspath(__file__))
target = os.path.join(here, "seeds", "jpeg")
os.makedirs(target, exist_ok=True)

width, height = 19, 13  # partial blocks at both edges
pixels = bytearray()
for y in range(height):
    for x in range(width):
        pixels += bytes([x * 13 % 256, y * 19 % 256, (x * y * 7) % 256])

variants = {
    "baseline.jpg": [],
    "progressive.jpg": ["-progressive"],
    "grey.jpg": ["-grayscale"],
    "grey-progressive.jpg": ["-grayscale", "-progressive"],
    "restart.jpg": ["-restart", "1B"],
    "arithmetic.jpg": ["-arithmetic"],
    "arithmetic-progressive.jpg": ["-arithmetic", "-progressive"],
    "sample-444.jpg": ["-sample", "1x1"],
    "sample-422.jpg": ["-sample", "2x1"],
}
with tempfile.NamedTemporaryFile(suffix=".ppm") as source:
    source.write(b"P6\n%d %d\n255\n" % (width, height) + pixels)
    source.flush()
    for name, options in variants.items():
        subprocess.run(["cjpeg", "-quality", "50", *options, "-outfile", os.path.join(target, name), source.name],
                       check=True)
