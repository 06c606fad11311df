#include "formats/Modules.h"

#include "formats/gif/GifModule.h"
#include "formats/jpeg/Jpeg.h"
#include "formats/png/PngImage.h"
#include "graphics/Picture.h"

namespace vardel {

void StartPictureModules() {
    // The registry fills its four built-in rows when first used.
    TFileFormatsList::Instance();
    StartGifModule();
    StartJpegModule();
    StartPngModule();
}

void StopPictureModules() {
    StopPngModule();
    StopJpegModule();
    StopGifModule();
}

}  // namespace vardel
