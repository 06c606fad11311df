#include "formats/jpeg/Jpeg.h"
#include "graphics/Picture.h"

namespace vardel {

TJPEGSettings& JpegDefaults() {
    static TJPEGSettings defaults;
    return defaults;
}

void StartJpegModule() {
    // Screens of 8 bits or fewer get pictures decoded to 8-bit, palette-based bitmaps.
    gdi::HDC screen = gdi::GetDC();
    const int bits =
        gdi::GetDeviceCaps(screen, gdi::BITSPIXEL) * gdi::GetDeviceCaps(screen, gdi::PLANES);
    gdi::ReleaseDC(screen);
    JpegDefaults().OutputDepth =
        bits <= 8 ? TJPEGOutputDepth::Depth8Bit : TJPEGOutputDepth::Depth24Bit;

    TPicture::RegisterFormat("jpeg", kJpegImageDescription, TJPEGImage::ClassInfo());
    TPicture::RegisterFormat("jpg", kJpegImageDescription, TJPEGImage::ClassInfo());
}

void StopJpegModule() {
    TPicture::UnregisterKind(TJPEGImage::ClassInfo());
}

}  // namespace vardel
