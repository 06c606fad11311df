#include "formats/gif/GifTransparentBlit.h"

namespace vardel {

TMemoryContext::TMemoryContext(const gdi::HBITMAP& bitmap)
    : dc_(CheckedHandle(gdi::CreateCompatibleDC(nullptr))) {
    old_ = gdi::SelectObject(dc_, bitmap);
}

TMemoryContext::~TMemoryContext() {
    if (old_) gdi::SelectObject(dc_, old_);
    gdi::DeleteDC(dc_);
}

namespace {

// The target keeps its pixel where the mask says 1; elsewhere the source is copied.
constexpr uint32_t kKeepTarget = 0x00AA0029;

}  // namespace

void TransparentBlit(const gdi::HDC& target, int x, int y, int width, int height,
                     const gdi::HDC& source, int sx, int sy, int sw, int sh,
                     const gdi::HDC& maskContext, int mx, int my) {
    if (width == sw && height == sh) {
        // A bitmap works as a mask only while no context holds it: a 1 x 1 stand-in
        // takes its place in the mask context meanwhile.
        gdi::HBITMAP standIn = CheckedHandle(gdi::CreateCompatibleBitmap(source, 1, 1));
        gdi::HBITMAP mask = gdi::SelectObject(maskContext, standIn);
        gdi::MaskBlt(target, x, y, width, height, source, sx, sy, mask, mx, my,
                     gdi::MAKEROP4(kKeepTarget, gdi::SRCCOPY));
        gdi::SelectObject(maskContext, mask);
        return;
    }
    // Scaled: the source's opaque pixels over black, the target blackened under them
    // through the mask, then the two combined with OR.
    gdi::HDC work = CheckedHandle(gdi::CreateCompatibleDC(target));
    gdi::HBITMAP workBitmap = CheckedHandle(gdi::CreateCompatibleBitmap(target, sw, sh));
    gdi::HBITMAP oldWork = gdi::SelectObject(work, workBitmap);
    gdi::HPALETTE sourcePalette = gdi::GetCurrentPalette(source);
    gdi::HPALETTE oldPalette =
        gdi::SelectPalette(work, sourcePalette ? sourcePalette : gdi::GetSystemPalette16(), false);
    gdi::RealizePalette(work);
    {
        gdi::HDC inverse = CheckedHandle(gdi::CreateCompatibleDC(nullptr));
        gdi::HBITMAP inverseBitmap = CheckedHandle(gdi::CreateBitmap(sw, sh, 1, 1, nullptr));
        gdi::HBITMAP oldInverse = gdi::SelectObject(inverse, inverseBitmap);
        gdi::BitBlt(inverse, 0, 0, sw, sh, maskContext, mx, my, gdi::NOTSRCCOPY);
        // Monochrome to colour: 0 takes the text colour (black), 1 the background
        // colour (white), so the work bitmap is white under the opaque pixels.
        gdi::SetTextColor(work, 0x000000);
        gdi::SetBkColor(work, 0xFFFFFF);
        gdi::BitBlt(work, 0, 0, sw, sh, inverse, 0, 0, gdi::SRCCOPY);
        gdi::BitBlt(work, 0, 0, sw, sh, source, sx, sy, gdi::SRCAND);
        gdi::SelectObject(inverse, oldInverse);
        gdi::DeleteDC(inverse);
    }
    const gdi::COLORREF oldText = gdi::SetTextColor(target, 0x000000);
    const gdi::COLORREF oldBack = gdi::SetBkColor(target, 0xFFFFFF);
    // Mask and picture must be sampled alike: averaging would blend them at edges.
    const int oldMode = gdi::SetStretchBltMode(target, gdi::COLORONCOLOR);
    gdi::StretchBlt(target, x, y, width, height, maskContext, mx, my, sw, sh, gdi::SRCAND);
    gdi::StretchBlt(target, x, y, width, height, work, 0, 0, sw, sh, gdi::SRCPAINT);
    gdi::SetStretchBltMode(target, oldMode);
    gdi::SetTextColor(target, oldText);
    gdi::SetBkColor(target, oldBack);
    if (oldPalette) gdi::SelectPalette(work, oldPalette, false);
    gdi::SelectObject(work, oldWork);
    gdi::DeleteDC(work);
}

}  // namespace vardel
