// vardel-samples: makes the pictures behind the workbench's fixed paths and the
// program's icon. Everything is painted from code with fixed numbers, so that a new
// run gives the same files.
//
//   vardel-samples SAMPLES_DIR ICON_FILE
#include <cstdio>
#include <exception>
#include <string>

#include "tools/samples/Landscape.h"
#include "tools/samples/Planet.h"
#include "tools/samples/SampleFiles.h"

using namespace vardel::samples;

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: vardel-samples SAMPLES_DIR ICON_FILE\n");
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
