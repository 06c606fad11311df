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
