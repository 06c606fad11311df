// The PNG picture's entry: loads any bytes as a PNG, draws it (mixed by its alpha
// where it has one, plain and stretched), writes a pixel and saves it. What was saved
// must load again with the same size, colours and alpha: anything else is a fault.
#include <cstdlib>

#include "formats/png/PngImage.h"
#include "fuzz/FuzzTargets.h"
#include "platform/runtime/Exceptions.h"

namespace vardel::fuzz {

namespace {
// The section's bytes, row by row, without the padding.
std::vector<uint8_t> Bytes(const TBitmap& bitmap) {
    const gdi::DIBSECTION& d = bitmap.Image().description;
    const size_t used = size_t{static_cast<uint32_t>(d.dsBm.bmWidth)} * d.dsBm.bmBitsPixel / 8;
    std::vector<uint8_t> bytes;
    for (int y = 0; y < d.dsBm.bmHeight; ++y) {
        const uint8_t* row = d.dsBm.bmBits + static_cast<ptrdiff_t>(d.dsBm.bmWidthBytes) * y;
        bytes.insert(bytes.end(), row, row + used);
    }
    return bytes;
}
}  // namespace

void FuzzPng(const uint8_t* data, size_t size) {
    TPngImage image;
    try {
        TReadOnlyMemoryStream in(data, size);
        image.LoadStream(in);
    } catch (const Exception&) {
        return;
    }
    TBitmap target;
    target.SetSize(16, 16);
    target.Surface().DrawGraphic(0, 0, &image);
    target.Surface().DrawGraphicStretched({0, 0, 7, 5}, &image);
    image.Surface().WritePixel(0, 0, clRed);

    TMemoryStream saved;
    image.SaveStream(saved);
    TPngImage again;
    saved.SetPosition(0);
    again.LoadStream(saved);  // an exception here is a fault of the writer
    // Without alpha to write, a picture opened with an opaque alpha channel comes back
    // as 24 bits: compare colours only then.
    const bool sameLayout = again.HasAlpha() == image.HasAlpha();
    if (again.Width() != image.Width() || again.Height() != image.Height() ||
        (sameLayout && Bytes(again) != Bytes(image)))
        std::abort();
    if (!sameLayout)
        for (int y = 0; y < image.Height(); ++y)
            for (int x = 0; x < image.Width(); ++x)
                if (again.Surface().ReadPixel(x, y) != image.Surface().ReadPixel(x, y))
                    std::abort();
}

}  // namespace vardel::fuzz
