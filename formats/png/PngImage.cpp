#include "formats/png/PngImage.h"

namespace vardel {

VARDEL_DEFINE_GRAPHIC_CLASS(TPngImage, TBitmap)

bool TPngImage::HasAlpha() const {
    const TBitmapImage& image = Image();
    const gdi::BITMAPINFOHEADER& h = image.description.dsBmih;
    return alpha_ && image.section && image.handle == image.section && h.biBitCount == 32 &&
           h.biCompression == gdi::BI_RGB;
}

void TPngImage::Assign(const TPersistent* source) {
    // Alpha and facts go with the pixels; set first, so the change notification that
    // the bitmap sends already sees them.
    const bool fromBitmap = !source || dynamic_cast<const TBitmap*>(source);
    const auto* png = dynamic_cast<const TPngImage*>(source);
    if (fromBitmap) {
        alpha_ = png && png->alpha_;
        facts_ = png ? png->facts_ : TPngFileFacts{};
    }
    TBitmap::Assign(source);
}

void TPngImage::NotifyChanged(TObject* sender) {
    if (alpha_ && !PixelsOnlyChange() && !HasAlpha()) alpha_ = false;
    TBitmap::NotifyChanged(sender);
}

void TPngImage::Render(TCanvas& canvas, const gdi::RECT& rect) {
    if (!HasAlpha()) {
        TBitmap::Render(canvas, rect);
        return;
    }
    gdi::DrawAlphaBitmap(canvas.DrawingContext(), rect.left, rect.top, rect.Width(), rect.Height(),
                         Image().section);
}

}  // namespace vardel
