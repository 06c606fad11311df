// vardel-samples: makes the pictures behind the workbench's fixed paths and the
// program's icon. Everything is painted from code with fixed numbers, so that a new
// run gives the same files.
//
//   vardel-samples SAMPLES_DIR ICON_FILE
//   vardel-samples --landscape WIDTH HEIGHT FILE.jpg
//
// The second form paints the lake of 1.jpg at another size (the end-to-end tests open
// a photograph larger than the screen).
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "tools/samples/Landscape.h"
#include "tools/samples/Planet.h"
#include "tools/samples/SampleFiles.h"

using namespace vardel::samples;

int main(int argc, char** argv) {
    if (argc == 5 && std::string(argv[1]) == "--landscape") {
        const int width = std::atoi(argv[2]), height = std::atoi(argv[3]);
        if (width > 0 && height > 0 && width <= 16384 && height <= 16384) {
            WriteJpeg(PaintLandscape(width, height), 90, argv[4]);
            return 0;
        }
    }
    if (argc != 3) {
        std::fprintf(stderr,
                     "usage: vardel-samples SAMPLES_DIR ICON_FILE\n"
                     "       vardel-samples --landscape WIDTH HEIGHT FILE.jpg\n");
        return 2;
    }
    const std::string dir = argv[1];
    try {
        WriteJpeg(PaintLandscape(640, 320), 90, dir + "/1.jpg");
        WriteAnimatedGif(dir + "/DIDOR_AZE.gif");
        WriteTiff(PaintPlanet({512, 320, 256, 160, 88, 3}), dir + "/saturn.tif");
        WriteIcon(argv[2]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vardel-samples: %s\n", e.what());
        return 1;
    }
    return 0;
}
