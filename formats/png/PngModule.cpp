#include "formats/png/PngImage.h"
#include "graphics/Picture.h"

namespace vardel {

void StartPngModule() {
    TPicture::RegisterFormat("png", kPngDescription, TPngImage::ClassInfo());
}

void StopPngModule() {
    TPicture::UnregisterKind(TPngImage::ClassInfo());
}

}  // namespace vardel
