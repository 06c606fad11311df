#include "formats/Modules.h"

#include "formats/jpeg/Jpeg.h"
#include "graphics/Picture.h"

namespace vardel {

void StartPictureModules() {
    // The registry fills its four built-in rows when first used.
    TFileFormatsList::Instance();

    StartJpegModule();
}

void StopPictureModules() {
    StopJpegModule();
}

}  // namespace vardel
