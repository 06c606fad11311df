#include "formats/tiff/TiffBitmap.h"

#include <new>

#include "formats/tiff/TiffMessages.h"
#include "platform/gdi/Gdi.h"
#include "platform/runtime/Exceptions.h"
#include "platform/ui/Dialogs.h"

namespace vardel {

void MakeBitmap(uint32_t width, uint32_t height, uint32_t bits, TBitmap& target,
                const TPixelBuffer& buffer, const TColorTable& table) {
    gdi::BITMAPINFO info;
    gdi::BITMAPINFOHEADER& header = info.bmiHeader;
    header.biSize = 40;
    header.biWidth = static_cast<int32_t>(width);
    header.biHeight = -static_cast<int32_t>(height);  // rows run from the top down
    header.biPlanes = 1;
    header.biBitCount = static_cast<uint16_t>(bits);
    header.biCompression = gdi::BI_RGB;
    info.bmiColors.resize(256);
    for (size_t i = 0; i < 256; ++i) {
        info.bmiColors[i] =
            gdi::RGBQUAD{static_cast<uint8_t>(table.blue[i]), static_cast<uint8_t>(table.green[i]),
                         static_cast<uint8_t>(table.red[i]), 0};
    }
    try {
        gdi::HDC screen = gdi::GetDC();
        gdi::HBITMAP handle = gdi::CreateDIBitmap(screen, header, gdi::CBM_INIT, buffer.Data(),
                                                  buffer.Size(), info, gdi::DIB_RGB_COLORS);
        gdi::ReleaseDC(screen);
        // A description the platform does not take (a bit count such as 2) makes no
        // bitmap; the target keeps the picture it had rather than going blank.
        if (!handle) return;
        TBitmap decoded;
        decoded.AttachHandle(handle);
        target.Assign(&decoded);
    } catch (const Exception&) {
        ShowMessageDialog(tiffmsg::kNoBitmap);
    } catch (const std::bad_alloc&) {
        ShowMessageDialog(tiffmsg::kNoBitmap);
    }
}

}  // namespace vardel
