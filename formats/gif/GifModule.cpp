#include "formats/gif/GifModule.h"

#include "formats/gif/GifExtensions.h"
#include "formats/gif/GifImage.h"
#include "graphics/Picture.h"

namespace vardel {

namespace {
constexpr const char* kGifFormatName = "GIF Image";
}

uint16_t GIFClipboardFormat() {
    // The same name always gives the same number, so asking again is harmless.
    static const uint16_t format = RegisterClipboardFormat(kGifFormatName);
    return format;
}

void StartGifModule() {
    TPicture::RegisterFormat("GIF", kGifFormatName, TGIFImage::ClassInfo());
    TPicture::RegisterClipboard(GIFClipboardFormat(), TGIFImage::ClassInfo());
}

void StopGifModule() {
    TExtensionList::Free();
    TAppExtensionList::Free();
    TPicture::UnregisterKind(TGIFImage::ClassInfo());
}

}  // namespace vardel
