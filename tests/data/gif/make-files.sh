#!/bin/sh
# Regenerates the GIF files of this folder with independent encoders: giflib's
# gifbuild (giflib-tools), ImageMagick's convert (imagemagick) and Pillow
# (python3-pil). The tests compare our reading of them with giflib's.
set -e
cd "$(dirname "$0")"
C=/usr/bin/convert

gifbuild giflib-build.txt > giflib-build.gif

$C -size 40x30 gradient:red-blue -colors 16 -interlace GIF im-interlaced.gif
$C -size 32x24 xc:none -fill red -draw "circle 16,12 16,4" im-transparent.gif
$C -delay 20 -dispose Background -size 30x20 xc:yellow \
   -delay 35 -dispose Previous -page +5+4 -size 10x8 xc:green \
   -delay 0 -dispose None -page +12+9 -size 8x6 xc:blue -loop 3 im-anim.gif

/usr/bin/python3 - <<'PY'
from PIL import Image
import random
random.seed(7)
w, h = 120, 100
im = Image.new('P', (w, h))
im.putdata([random.randrange(256) if (x // 7 + y // 5) % 3 else (x * y) % 256
            for y in range(h) for x in range(w)])
im.putpalette([i % 256 for i in range(768)])
im.save('pil-random.gif')  # Pillow interlaces by default
frames = []
for k in range(3):
    f = Image.new('P', (24, 18))
    f.putdata([(x + y * k) % 6 for y in range(18) for x in range(24)])
    f.putpalette([0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 0, 0, 255, 255]
                 + [0] * (768 - 18))
    frames.append(f)
frames[0].save('pil-anim.gif', save_all=True, append_images=frames[1:],
               duration=[40, 80, 120], disposal=[0, 1, 2], loop=0, transparency=5,
               optimize=False, interlace=False)
PY

# Every disposal method, over frames with transparent pixels, for the composite
# checks against `convert -coalesce`.
$C -size 24x20 \
   -dispose Undefined -delay 10 -page +0+0 \( xc:none -fill red -draw "rectangle 0,0 23,9" \) \
   -dispose Background -delay 10 -page +2+6 \( -size 10x8 xc:none -fill lime -draw "circle 5,4 5,0" \) \
   -dispose Previous -delay 10 -page +12+2 \( -size 8x12 xc:blue -fill none -draw "color 3,3 point" \) \
   -dispose None -delay 10 -page +6+10 \( -size 12x8 xc:yellow -fill none -draw "rectangle 0,2 11,3" \) \
   -dispose Previous -delay 10 -page +0+0 \( -size 6x6 xc:magenta \) \
   -dispose Previous -delay 10 -page +16+12 \( -size 8x8 xc:cyan \) \
   -dispose Background -delay 10 -page +1+1 \( -size 5x5 xc:white \) \
   -dispose None -delay 10 -page +18+0 \( -size 6x20 xc:black \) \
   -loop 0 im-dispose.gif

/usr/bin/python3 - <<'PY'
from PIL import Image
palette = [0, 0, 0, 255, 0, 0, 0, 200, 0, 0, 0, 255, 255, 255, 0, 255, 0, 255, 0, 255, 255,
           250, 250, 250]
frames = []
for k in range(7):
    f = Image.new('P', (26, 22), 7)
    for y in range(22):
        for x in range(26):
            # A moving block of colour k % 6 + 1, stripes of the transparent index 7.
            if (x - 3 * k) % 26 < 9 and (y - 2 * k) % 22 < 8:
                f.putpixel((x, y), k % 6 + 1)
            elif (x + y + k) % 5 == 0:
                f.putpixel((x, y), 0)
    f.putpalette(palette + [0] * (768 - len(palette)))
    frames.append(f)
frames[0].save('pil-dispose.gif', save_all=True, append_images=frames[1:],
               duration=[30, 40, 50, 60, 70, 80, 90], disposal=[0, 1, 2, 3, 3, 2, 1],
               loop=0, transparency=7, optimize=False, interlace=False)
PY
