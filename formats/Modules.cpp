#include "formats/Modules.h"

#include "formats/gif/GifModule.h"
#include "formats/jpeg/Jpeg.h"
#include "graphics/Picture.h"

namespace vardel {

void StartPictureModules() {
    // The registry fills its four built-in rows when first used.
    TFileFormatsList::Instance();
    StartGifModule();
    StartJpegModule();
}

void StopPictureModules() {
    StopJpegModule();
    StopGifModule();
}

}  // namespace vardel
