#include "formats/gif/GifModule.h"

#include "formats/gif/GifExtensions.h"
#include "formats/gif/GifImage.h"
#include "graphics/Picture.h"

namespace vardel {

std::atomic<bool> RenderOnLoad{false};
std::atomic<bool> PaletteDisplay{false};

namespace {
constexpr const char* kGifFormatName = "GIF Image";

bool ScreenHasPalette() {
    gdi::HDC screen = gdi::GetDC();
    const int bits =
        gdi::GetDeviceCaps(screen, gdi::BITSPIXEL) * gdi::GetDeviceCaps(screen, gdi::PLANES);
    gdi::ReleaseDC(screen);
    return bits < 9;
}
}  // namespace

uint16_t GIFClipboardFormat() {
    // The same name always gives the same number, so asking again is harmless.
    static const uint16_t format = RegisterClipboardFormat(kGifFormatName);
    return format;
}

void StartGifModule() {
    PaletteDisplay = ScreenHasPalette();
    TPicture::RegisterFormat("GIF", kGifFormatName, TGIFImage::ClassInfo());
    TPicture::RegisterClipboard(GIFClipboardFormat(), TGIFImage::ClassInfo());
}

void StopGifModule() {
    TExtensionList::Free();
    TAppExtensionList::Free();
    TPicture::UnregisterKind(TGIFImage::ClassInfo());
}

}  // namespace vardel
