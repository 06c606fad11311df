// Drawing a GIF image onto a surface.
#include "formats/gif/GifImage.h"
#include "platform/runtime/Exceptions.h"

namespace vardel {

void TGIFImage::Render(TCanvas&, const gdi::RECT&) {
    throw EInvalidGraphicOperation("GIF drawing is not available yet");
}

}  // namespace vardel
