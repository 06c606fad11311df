#include <gtest/gtest.h>

#include <algorithm>

#include "platform/gdi/Gdi.h"
#include "platform/runtime/MemoryBudget.h"

using namespace vardel::gdi;

namespace {
BITMAPINFO Info(int width, int height, int bits, uint32_t compression = BI_RGB) {
    BITMAPINFO info;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biBitCount = static_cast<uint16_t>(bits);
    info.bmiHeader.biCompression = compression;
    return info;
}

// A memory context with a new section of the given description selected.
struct Surface {
    HBITMAP bitmap;
    HDC dc;
    uint8_t* bits = nullptr;
    explicit Surface(const BITMAPINFO& info) {
        bitmap = CreateDIBSection(nullptr, info, DIB_RGB_COLORS, &bits);
        dc = CreateCompatibleDC(nullptr);
        SelectObject(dc, bitmap);
    }
    explicit Surface(HBITMAP b) : bitmap(std::move(b)) {
        dc = CreateCompatibleDC(nullptr);
        SelectObject(dc, bitmap);
    }
    ~Surface() { DeleteDC(dc); }
};

// The colours of `width` pixels of row y.
std::vector<COLORREF> Row(const HDC& dc, int y, int width) {
    std::vector<COLORREF> out;
    for (int x = 0; x < width; ++x) out.push_back(GetPixel(dc, x, y));
    return out;
}
using Colours = std::vector<COLORREF>;
constexpr COLORREF kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0), kBlue = RGB(0, 0, 255),
                   kWhite = 0xFFFFFF;

const std::vector<RGBQUAD> kGreys4 = {
    {0, 0, 0, 0}, {85, 85, 85, 0}, {170, 170, 170, 0}, {255, 255, 255, 0}};
}  // namespace

TEST(GdiPixels, OutsideReadsInvalidAndWritesNothing) {
    Surface s(Info(10, 10, 32));
    EXPECT_EQ(GetPixel(s.dc, 10, 0), CLR_INVALID);
    EXPECT_EQ(GetPixel(s.dc, -1, 0), CLR_INVALID);
    EXPECT_EQ(SetPixel(s.dc, -1, 0, 0xFFFFFF), CLR_INVALID);
    EXPECT_EQ(GetPixel(s.dc, 0, 0), 0u);
    SetPixel(s.dc, 9, 9, RGB(1, 2, 3));
    EXPECT_EQ(GetPixel(s.dc, 9, 9), RGB(1, 2, 3));
    // Origin and clipping of a context move and limit what it reaches.
    SetViewportOrgEx(s.dc, 5, 5, nullptr);
    IntersectClipRect(s.dc, 0, 0, 2, 2);
    EXPECT_EQ(GetPixel(s.dc, 4, 4), CLR_INVALID);  // (9, 9) holds a colour but is clipped away
    EXPECT_EQ(GetPixel(s.dc, 2, 1), CLR_INVALID);  // the clip's right edge is outside it
    EXPECT_EQ(SetPixel(s.dc, 1, 1, RGB(9, 9, 9)), RGB(9, 9, 9));
    SetViewportOrgEx(s.dc, 0, 0, nullptr);
    SelectClipRect(s.dc, std::nullopt);
    EXPECT_EQ(GetPixel(s.dc, 6, 6), RGB(9, 9, 9));
}

TEST(GdiPixels, TablesStoreTheNearestColourAndSixteenBitsKeepTheirPrecision) {
    BITMAPINFO info = Info(4, 1, 8);
    info.bmiColors = kGreys4;
    info.bmiHeader.biClrUsed = 4;
    Surface pal(info);
    EXPECT_EQ(SetPixel(pal.dc, 0, 0, RGB(100, 90, 80)), RGB(85, 85, 85));
    EXPECT_EQ(GetPixel(pal.dc, 0, 0), RGB(85, 85, 85));
    EXPECT_EQ(pal.bits[0], 1);
    SetPixel(pal.dc, 1, 0, RGB(250, 250, 200));
    EXPECT_EQ(pal.bits[1], 3);

    Surface s555(Info(2, 1, 16));
    EXPECT_EQ(SetPixel(s555.dc, 0, 0, RGB(0xFF, 0x80, 0x13)), RGB(0xFF, 0x84, 0x10));
    EXPECT_EQ(s555.bits[0] | (s555.bits[1] << 8), (31 << 10) | (16 << 5) | 2);
    BITMAPINFO i565 = Info(2, 1, 16, BI_BITFIELDS);
    i565.bmiMasks = {0xF800, 0x07E0, 0x001F};
    Surface s565(i565);
    SetPixel(s565.dc, 0, 0, RGB(0xFF, 0x81, 0x00));
    EXPECT_EQ(s565.bits[0] | (s565.bits[1] << 8), (31 << 11) | (32 << 5));
    EXPECT_EQ(GetPixel(s565.dc, 0, 0), RGB(0xFF, 0x82, 0x00));
    SetPixel(s565.dc, 1, 0, 0xFFFFFF);
    EXPECT_EQ(GetPixel(s565.dc, 1, 0), 0xFFFFFFu);
}

TEST(GdiBitmaps, EveryDepthAndRowOrderAddressesRowsFromTheTop) {
    for (int bits : {1, 4, 8, 16, 24, 32}) {
        for (int height : {3, -3}) {
            BITMAPINFO info = Info(5, height, bits);
            if (bits <= 8) info.bmiColors = {{0, 0, 0, 0}, {255, 255, 255, 0}};
            Surface s(info);
            ASSERT_TRUE(s.bitmap) << bits;
            SetPixel(s.dc, 4, 0, 0xFFFFFF);
            DIBSECTION d;
            ASSERT_TRUE(GetObject(s.bitmap, d));
            EXPECT_EQ(d.dsBm.bmWidthBytes % 4, 0);
            EXPECT_EQ(d.dsBmih.biHeight, height);
            // Row 0 is the last stored row of a bottom-up section.
            const int stored = height > 0 ? 2 : 0;
            const uint8_t* row = d.dsBm.bmBits + stored * d.dsBm.bmWidthBytes;
            const int bit = 4 * bits;  // first bit of pixel 4
            const int mask = bits == 1 ? 0x80 >> (bit % 8) : bits == 4 ? 0xF0 : 0xFF;
            EXPECT_NE(row[bit / 8] & mask, 0) << bits << " " << height;
            EXPECT_EQ(GetPixel(s.dc, 4, 0), 0xFFFFFFu);
        }
    }
    // What the layer cannot hold is refused without an error code.
    SetLastError(ERROR_SUCCESS);
    EXPECT_FALSE(CreateDIBSection(nullptr, Info(5, 5, 7), DIB_RGB_COLORS, nullptr));
    EXPECT_FALSE(CreateDIBSection(nullptr, Info(0, 5, 8), DIB_RGB_COLORS, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    EXPECT_FALSE(CreateDIBSection(nullptr, Info(70000, 70000, 32), DIB_RGB_COLORS, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_NOT_ENOUGH_MEMORY);
}

TEST(GdiBitmaps, LargeSectionsStartZeroedWhereHugePagesCanBackThem) {
    // 1000 × 700 at 24 bits: a little over 2 MiB, its end within a huge page.
    for (int height : {700, -700}) {
        Surface s(Info(1000, height, 24));
        DIBSECTION d;
        ASSERT_TRUE(GetObject(s.bitmap, d));
        const uint8_t* begin = d.dsBm.bmBits;
        const uint8_t* end = begin + size_t(d.dsBm.bmWidthBytes) * 700;
        EXPECT_EQ(std::count(begin, end, 0), end - begin);
        SetPixel(s.dc, 0, 0, kWhite);
        SetPixel(s.dc, 999, 699, kWhite);
        EXPECT_EQ(Row(s.dc, 699, 1000).back(), kWhite);
        EXPECT_EQ(Row(s.dc, 0, 1).front(), kWhite);
#ifndef __SANITIZE_ADDRESS__
        EXPECT_EQ(reinterpret_cast<uintptr_t>(d.dsBm.bmBits) % (size_t{2} << 20), 0u);
#endif
    }
}

TEST(GdiBitmaps, RunLengthDataExpandsWithDeltasAndAbsoluteRuns) {
    // RLE8, 4 × 3, rows stored bottom-up.
    const uint8_t rle8[] = {3, 1,           // row 2 (bottom): three pixels of index 1
                            0, 0,           // end of line
                            0, 3, 2, 1, 2,  // row 1: absolute run 2 1 2
                            0,              // pad to 16 bits
                            0, 2, 1, 1,     // delta: one right, one row up, past the end of the row
                            0, 1};          // end of bitmap: the top row keeps index 0
    BITMAPINFO info = Info(4, 3, 8, BI_RLE8);
    info.bmiColors = {{0, 0, 0, 0}, {0, 0, 255, 0}, {0, 255, 0, 0}};
    info.bmiHeader.biClrUsed = 3;
    HDC screen = GetDC();
    HBITMAP b =
        CreateDIBitmap(screen, info.bmiHeader, CBM_INIT, rle8, sizeof rle8, info, DIB_RGB_COLORS);
    ASSERT_TRUE(b);
    Surface s(b);
    EXPECT_EQ(Row(s.dc, 2, 4), (Colours{kRed, kRed, kRed, 0}));
    EXPECT_EQ(Row(s.dc, 1, 4), (Colours{kGreen, kRed, kGreen, 0}));
    EXPECT_EQ(Row(s.dc, 0, 4), (Colours{0, 0, 0, 0}));

    // RLE4: an encoded run alternates the two nibbles; an absolute run lists them.
    const uint8_t rle4[] = {5, 0x12, 0, 0, 0, 3, 0x21, 0x20, 0, 1};
    BITMAPINFO info4 = Info(5, 2, 4, BI_RLE4);
    info4.bmiColors = info.bmiColors;
    HBITMAP b4 =
        CreateDIBitmap(screen, info4.bmiHeader, CBM_INIT, rle4, sizeof rle4, info4, DIB_RGB_COLORS);
    ASSERT_TRUE(b4);
    Surface s4(b4);
    EXPECT_EQ(Row(s4.dc, 1, 5), (Colours{kRed, kGreen, kRed, kGreen, kRed}));
    EXPECT_EQ(Row(s4.dc, 0, 3), (Colours{kGreen, kRed, kGreen}));
    // Cut data leaves the rest as made; top-down run-length data is refused.
    EXPECT_TRUE(CreateDIBitmap(screen, info.bmiHeader, CBM_INIT, rle8, 3, info, DIB_RGB_COLORS));
    BITMAPINFO topDown = info;
    topDown.bmiHeader.biHeight = -3;
    EXPECT_FALSE(CreateDIBitmap(screen, topDown.bmiHeader, CBM_INIT, rle8, sizeof rle8, topDown,
                                DIB_RGB_COLORS));
}

TEST(GdiBitmaps, RunLengthPixelsTheDataNeverSetsTakeIndexZero) {
    // Index 0 is blue here, so pixels the data skips show it, not the bitmap's zero.
    const uint8_t rle8[] = {0, 2, 1, 0,  // delta: one right on the bottom row
                            2, 1,        // two reds at columns 1 and 2
                            0, 2, 0, 1,  // delta straight up: the column stays where it was
                            1, 2,        // one green at column 3 of the middle row
                            0, 1};       // end: the top row is all index 0
    BITMAPINFO info = Info(5, 3, 8, BI_RLE8);
    info.bmiColors = {{255, 0, 0, 0}, {0, 0, 255, 0}, {0, 255, 0, 0}};
    info.bmiHeader.biClrUsed = 3;
    HDC screen = GetDC();
    HBITMAP b =
        CreateDIBitmap(screen, info.bmiHeader, CBM_INIT, rle8, sizeof rle8, info, DIB_RGB_COLORS);
    ASSERT_TRUE(b);
    Surface s(b);
    EXPECT_EQ(Row(s.dc, 2, 5), (Colours{kBlue, kRed, kRed, kBlue, kBlue}));
    EXPECT_EQ(Row(s.dc, 1, 5), (Colours{kBlue, kBlue, kBlue, kGreen, kBlue}));
    EXPECT_EQ(Row(s.dc, 0, 5), (Colours(5, kBlue)));

    // A run-length file far wider than its data: every column is made, the far end too.
    const int wide = 3'000'000;
    BITMAPINFO wideInfo = Info(wide, 2, 8, BI_RLE8);
    wideInfo.bmiColors = info.bmiColors;
    wideInfo.bmiHeader.biClrUsed = 3;
    const uint8_t few[] = {4, 2, 0, 0, 0, 2, 255, 0, 3, 1, 0, 1};
    HBITMAP w = CreateDIBitmap(screen, wideInfo.bmiHeader, CBM_INIT, few, sizeof few, wideInfo,
                               DIB_RGB_COLORS);
    ASSERT_TRUE(w);
    Surface ws(w);
    EXPECT_EQ(Row(ws.dc, 1, 5), (Colours{kGreen, kGreen, kGreen, kGreen, kBlue}));
    EXPECT_EQ(GetPixel(ws.dc, 254, 0), kBlue);
    EXPECT_EQ(GetPixel(ws.dc, 255, 0), kRed);
    EXPECT_EQ(GetPixel(ws.dc, 258, 0), kBlue);
    EXPECT_EQ(GetPixel(ws.dc, wide - 1, 0), kBlue);
    EXPECT_EQ(GetPixel(ws.dc, wide - 1, 1), kBlue);
}

TEST(GdiBitmaps, LargeStoresCountAgainstThePictureMemoryBudget) {
    const uint64_t before = vardel::PictureMemoryInUse();
    vardel::TPictureMemoryBudgetScope budget(before + (1 << 20));
    HBITMAP fits = CreateDIBSection(nullptr, Info(400, 400, 32), DIB_RGB_COLORS, nullptr);
    ASSERT_TRUE(fits);
    EXPECT_EQ(vardel::PictureMemoryInUse(), before + 400 * 400 * 4);
    SetLastError(ERROR_SUCCESS);
    EXPECT_FALSE(CreateDIBSection(nullptr, Info(400, 400, 32), DIB_RGB_COLORS, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_FALSE(CreateCompatibleBitmap(nullptr, 400, 400));
    // Small bitmaps, such as every memory context's own, never fail for the budget.
    EXPECT_TRUE(CreateDIBSection(nullptr, Info(8, 8, 32), DIB_RGB_COLORS, nullptr));
    HDC memory = CreateCompatibleDC(nullptr);
    EXPECT_TRUE(memory);
    DeleteDC(memory);
    fits.reset();
    EXPECT_EQ(vardel::PictureMemoryInUse(), before);
}

TEST(GdiTransfers, CopiesConvertStretchAndFollowRasterOperations) {
    BITMAPINFO info = Info(2, 2, 24);
    Surface src(info);
    SetPixel(src.dc, 0, 0, RGB(10, 20, 30));
    SetPixel(src.dc, 1, 0, RGB(200, 0, 0));
    SetPixel(src.dc, 0, 1, 0xFFFFFF);
    Surface dst(CreateCompatibleBitmap(nullptr, 4, 4));
    ASSERT_TRUE(StretchBlt(dst.dc, 0, 0, 4, 4, src.dc, 0, 0, 2, 2, SRCCOPY));
    const COLORREF a = RGB(10, 20, 30), b = RGB(200, 0, 0);
    EXPECT_EQ(Row(dst.dc, 1, 4), (Colours{a, a, b, b}));
    EXPECT_EQ(Row(dst.dc, 3, 4), (Colours{kWhite, kWhite, 0, 0}));
    // Halftone shrinking averages.
    SetStretchBltMode(dst.dc, HALFTONE);
    StretchBlt(dst.dc, 0, 0, 1, 1, src.dc, 0, 0, 2, 1, SRCCOPY);
    EXPECT_EQ(GetPixel(dst.dc, 0, 0), RGB(105, 10, 15));
    // Raster operations work on the stored values.
    PatBlt(dst.dc, 0, 0, 4, 4, WHITENESS);
    BitBlt(dst.dc, 0, 0, 2, 2, src.dc, 0, 0, SRCAND);
    EXPECT_EQ(GetPixel(dst.dc, 0, 0), RGB(10, 20, 30));
    BitBlt(dst.dc, 0, 0, 2, 2, src.dc, 0, 0, SRCINVERT);
    EXPECT_EQ(GetPixel(dst.dc, 0, 0), 0u);
    BitBlt(dst.dc, 0, 0, 1, 1, src.dc, 0, 0, NOTSRCCOPY);
    EXPECT_EQ(GetPixel(dst.dc, 0, 0), RGB(245, 235, 225));
    PatBlt(dst.dc, 0, 0, 1, 1, DSTINVERT);
    EXPECT_EQ(GetPixel(dst.dc, 0, 0), RGB(10, 20, 30));
    // Whiteness on a table without white stores the nearest colour.
    BITMAPINFO greys = Info(1, 1, 8);
    greys.bmiColors = {{0, 0, 0, 0}, {200, 200, 200, 0}};
    greys.bmiHeader.biClrUsed = 2;
    Surface g(greys);
    PatBlt(g.dc, 0, 0, 1, 1, WHITENESS);
    EXPECT_EQ(GetPixel(g.dc, 0, 0), RGB(200, 200, 200));
}

TEST(GdiTransfers, MonochromeBitmapsConvertThroughTextAndBackgroundColours) {
    Surface colour(CreateCompatibleBitmap(nullptr, 2, 1));
    SetPixel(colour.dc, 0, 0, RGB(1, 2, 3));
    SetPixel(colour.dc, 1, 0, RGB(9, 9, 9));
    Surface mono(CreateBitmap(2, 1, 1, 1, nullptr));
    // Colour to monochrome: the source's background colour becomes 1 (white).
    SetBkColor(colour.dc, RGB(1, 2, 3));
    BitBlt(mono.dc, 0, 0, 2, 1, colour.dc, 0, 0, SRCCOPY);
    EXPECT_EQ(Row(mono.dc, 0, 2), (Colours{kWhite, 0}));
    // Monochrome to colour: 0 takes the text colour, 1 the background colour.
    SetTextColor(colour.dc, RGB(0, 0, 255));
    SetBkColor(colour.dc, RGB(0, 255, 0));
    BitBlt(colour.dc, 0, 0, 2, 1, mono.dc, 0, 0, SRCCOPY);
    EXPECT_EQ(Row(colour.dc, 0, 2), (Colours{kGreen, kBlue}));
    // A memory context holding a monochrome bitmap makes monochrome bitmaps.
    HBITMAP again = CreateCompatibleBitmap(mono.dc, 3, 3);
    DIBSECTION d;
    GetObject(again, d);
    EXPECT_EQ(d.dsBm.bmBitsPixel, 1);

    // Masked transfer: mask bit 1 keeps the target, 0 takes the source.
    Surface target(CreateCompatibleBitmap(nullptr, 2, 1));
    PatBlt(target.dc, 0, 0, 2, 1, WHITENESS);
    Surface source(CreateCompatibleBitmap(nullptr, 2, 1));
    PatBlt(source.dc, 0, 0, 2, 1, BLACKNESS);
    const uint8_t maskBits[2] = {0x80, 0};
    HBITMAP mask = CreateBitmap(2, 1, 1, 1, maskBits);
    MaskBlt(target.dc, 0, 0, 2, 1, source.dc, 0, 0, mask, 0, 0, MAKEROP4(0x00AA0029, SRCCOPY));
    EXPECT_EQ(Row(target.dc, 0, 2), (Colours{kWhite, 0}));
}

TEST(GdiBitmaps, DeviceBitmapsConvertToAnyDepthWithATable) {
    Surface s(CreateCompatibleBitmap(nullptr, 3, 2));
    SetPixel(s.dc, 0, 0, RGB(255, 0, 0));
    SetPixel(s.dc, 2, 1, RGB(0, 0, 255));
    DeleteDC(s.dc);
    BITMAPINFO info;
    info.bmiHeader.biBitCount = 0;
    ASSERT_EQ(GetDIBits(nullptr, s.bitmap, 0, 0, nullptr, info, DIB_RGB_COLORS), 1);
    EXPECT_EQ(info.bmiHeader.biBitCount, 32);
    BITMAPINFO asked = Info(3, 2, 8);
    std::vector<uint8_t> rows(8);
    ASSERT_EQ(GetDIBits(nullptr, s.bitmap, 0, 2, rows.data(), asked, DIB_RGB_COLORS), 2);
    ASSERT_EQ(asked.bmiColors.size(), 256u);
    const RGBQUAD top = asked.bmiColors[rows[4]];  // bottom-up: row 0 of the picture is stored last
    EXPECT_EQ(RGB(top.rgbRed, top.rgbGreen, top.rgbBlue), RGB(255, 0, 0));
    const RGBQUAD corner = asked.bmiColors[rows[2]];
    EXPECT_EQ(RGB(corner.rgbRed, corner.rgbGreen, corner.rgbBlue), RGB(0, 0, 255));
}

TEST(GdiBitmaps, RowWidthsOfVeryWideBitmapsAreExact) {
    // 2^26 + 1 pixels of 32 bits: the width in bits no longer fits in an int.
    const int wide = (1 << 26) + 1;
    HBITMAP device = CreateCompatibleBitmap(nullptr, wide, 1);
    ASSERT_TRUE(device);
    DIBSECTION d;
    ASSERT_TRUE(GetObject(device, d));
    EXPECT_EQ(d.dsBm.bmWidthBytes, int64_t{wide} * 4);
    // A section row wider than 2 GiB is refused, never allocated short.
    EXPECT_FALSE(CreateDIBSection(nullptr, Info((1 << 30) + 1, 1, 32), DIB_RGB_COLORS, nullptr));
}

TEST(GdiPalettes, NearestIndexHalftoneAndEightBitDisplay) {
    LOGPALETTE lp;
    lp.palPalEntry = {{0, 0, 0, 0}, {255, 0, 0, 0}, {0, 0, 255, 0}};
    HPALETTE p = CreatePalette(lp);
    EXPECT_EQ(GetNearestPaletteIndex(p, RGB(200, 30, 30)), 1u);
    EXPECT_EQ(GetObject(p), 3);
    HPALETTE half = CreateHalftonePalette(nullptr);
    EXPECT_EQ(GetObject(half), 256);
    EXPECT_EQ(GetDeviceCaps(nullptr, BITSPIXEL), 32);
    SetDisplayBitsPerPixel(8);
    HDC screen = GetDC();
    EXPECT_EQ(GetDeviceCaps(screen, BITSPIXEL), 8);
    EXPECT_EQ(GetDeviceCaps(screen, RASTERCAPS) & RC_PALETTE, RC_PALETTE);
    Surface s(CreateCompatibleBitmap(screen, 1, 1));
    EXPECT_EQ(SetPixel(s.dc, 0, 0, RGB(50, 101, 153)), RGB(51, 102, 153));
    SetDisplayBitsPerPixel(32);
}

TEST(GdiMetafiles, EachFormTravelsThroughTheOtherUnchanged) {
    std::vector<uint8_t> emf(120, 0);
    emf[0] = 1;                                                      // header record
    emf[4] = 88;                                                     // its size
    emf[40] = 0x20, emf[41] = 0x45, emf[42] = 0x4D, emf[43] = 0x46;  // " EMF"
    emf[48] = 120;                                                   // total bytes
    for (size_t i = 88; i < 120; ++i) emf[i] = static_cast<uint8_t>(i);
    HENHMETAFILE e = SetEnhMetaFileBits(emf.data(), emf.size());
    ASSERT_TRUE(e);
    const auto wmf = GetWinMetaFileBits(e);
    HENHMETAFILE back = SetWinMetaFileBits(wmf.data(), wmf.size());
    ASSERT_TRUE(back);
    EXPECT_EQ(GetEnhMetaFileBits(back), emf);
    EXPECT_FALSE(SetEnhMetaFileBits(emf.data(), 60));
    const uint8_t plain[18 + 6] = {1, 0, 9, 0, 0, 3, 12, 0, 0, 0, 0, 0,
                                   3, 0, 0, 0, 0, 0, 3,  0, 0, 0, 0, 0};
    HENHMETAFILE w = SetWinMetaFileBits(plain, sizeof plain);
    ASSERT_TRUE(w);
    EXPECT_TRUE(IsWinMetaFile(w));
    const auto asEmf = GetEnhMetaFileBits(w);
    HENHMETAFILE w2 = SetEnhMetaFileBits(asEmf.data(), asEmf.size());
    ASSERT_TRUE(w2);
    EXPECT_EQ(GetWinMetaFileBits(w2), std::vector<uint8_t>(plain, plain + sizeof plain));
}

TEST(GdiShapes, LinesStopBeforeTheirEndAndRectanglesTakePenAndBrush) {
    Surface s(CreateCompatibleBitmap(nullptr, 6, 6));
    PatBlt(s.dc, 0, 0, 6, 6, WHITENESS);
    SelectObject(s.dc, CreatePen(PS_SOLID, 1, RGB(255, 0, 0)));
    MoveToEx(s.dc, 0, 0, nullptr);
    LineTo(s.dc, 3, 3);
    EXPECT_EQ(GetPixel(s.dc, 2, 2), kRed);
    EXPECT_EQ(GetPixel(s.dc, 3, 3), kWhite);
    POINT at;
    GetCurrentPositionEx(s.dc, &at);
    EXPECT_EQ(at.x, 3);
    SelectObject(s.dc, CreateSolidBrush(RGB(0, 0, 255)));
    Rectangle(s.dc, 1, 1, 5, 5);
    EXPECT_EQ(Row(s.dc, 2, 6), (Colours{kWhite, kRed, kBlue, kBlue, kRed, kWhite}));
    EXPECT_EQ(GetPixel(s.dc, 1, 1), kRed);
    EXPECT_EQ(GetPixel(s.dc, 5, 5), kWhite);
    FillRect(s.dc, {0, 0, 6, 1}, CreateSolidBrush(RGB(0, 255, 0)));
    EXPECT_EQ(GetPixel(s.dc, 5, 0), RGB(0, 255, 0));
    RECT clip;
    EXPECT_EQ(GetClipBox(s.dc, &clip), SIMPLEREGION);
    EXPECT_EQ(clip, (RECT{0, 0, 6, 6}));
}

namespace {
// 2^bits varied colours for a table.
std::vector<RGBQUAD> Varied(int bits) {
    std::vector<RGBQUAD> table;
    for (int i = 0; i < (1 << bits); ++i)
        table.push_back({static_cast<uint8_t>(i * 37), static_cast<uint8_t>(i * 91),
                         static_cast<uint8_t>(255 - i * 13), 0});
    return table;
}

// A section of the given depth whose pixels follow a pattern of colours (the nearest
// colours of a varied table at 8 bits or fewer).
Surface Patterned(int width, int height, int bits) {
    BITMAPINFO info = Info(width, height, bits);
    if (bits <= 8) info.bmiColors = Varied(bits);
    Surface s(info);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            SetPixel(s.dc, x, y,
                     RGB(static_cast<uint8_t>(x * 29 + y * 7), static_cast<uint8_t>(x * y * 3),
                         static_cast<uint8_t>(y * 41 + x)));
    return s;
}

std::vector<Colours> Rows(const HDC& dc, int width, int height) {
    std::vector<Colours> rows;
    for (int y = 0; y < height; ++y) rows.push_back(Row(dc, y, width));
    return rows;
}
}  // namespace

TEST(GdiTransfers, MirroringClippingAndOriginsPlaceEveryPixel) {
    Surface src = Patterned(6, 4, 24);
    const auto source = Rows(src.dc, 6, 4);
    // A negative width or height mirrors, the rectangle lying before the given corner;
    // both source and target negative mirror back.
    Surface dst(Info(6, 4, 32));
    StretchBlt(dst.dc, 6, 4, -6, -4, src.dc, 0, 0, 6, 4, SRCCOPY);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) EXPECT_EQ(GetPixel(dst.dc, x, y), source[3 - y][5 - x]);
    StretchBlt(dst.dc, 6, 0, -6, 4, src.dc, 6, 0, -6, 4, SRCCOPY);
    EXPECT_EQ(Rows(dst.dc, 6, 4), source);
    // The target's origin moves the transfer and its clipping cuts it.
    PatBlt(dst.dc, 0, 0, 6, 4, WHITENESS);
    SetViewportOrgEx(dst.dc, 2, 1, nullptr);
    IntersectClipRect(dst.dc, 0, 0, 3, 2);  // device (2, 1) to (5, 3)
    BitBlt(dst.dc, -1, -1, 6, 4, src.dc, 0, 0, SRCCOPY);
    SelectClipRect(dst.dc, std::nullopt);
    SetViewportOrgEx(dst.dc, 0, 0, nullptr);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) {
            const bool inside = x >= 2 && x < 5 && y >= 1 && y < 3;
            EXPECT_EQ(GetPixel(dst.dc, x, y), inside ? source[y][x - 1] : kWhite) << x << "," << y;
        }
}

TEST(GdiTransfers, EqualFormatsBelowEightBitsCopyFromAnyColumn) {
    for (int bits : {1, 4}) {
        SCOPED_TRACE(bits);
        Surface src = Patterned(21, 3, bits);
        const auto source = Rows(src.dc, 21, 3);
        for (int from : {0, 3, 8}) {
            for (int to : {0, 1, 5}) {
                BITMAPINFO info = Info(26, 3, bits);
                info.bmiColors = Varied(bits);
                Surface dst(info);
                BitBlt(dst.dc, to, 0, 21 - from, 3, src.dc, from, 0, SRCCOPY);
                for (int y = 0; y < 3; ++y)
                    for (int x = 0; x < 21 - from; ++x)
                        ASSERT_EQ(GetPixel(dst.dc, to + x, y), source[y][from + x])
                            << from << " to " << to << " at " << x << "," << y;
            }
        }
    }
}

TEST(GdiTransfers, PaletteSourcesGiveTheSameColoursTranslatedOnceOrPerPixel) {
    // 17 x 17 pixels of an 8-bit source outnumber its 256 values: each value is
    // translated once. Pixel by pixel they are translated each time.
    Surface src = Patterned(17, 17, 8);
    for (int bits : {32, 24, 16}) {
        SCOPED_TRACE(bits);
        Surface whole(Info(17, 17, bits)), single(Info(17, 17, bits));
        BitBlt(whole.dc, 0, 0, 17, 17, src.dc, 0, 0, SRCCOPY);
        for (int y = 0; y < 17; ++y)
            for (int x = 0; x < 17; ++x) BitBlt(single.dc, x, y, 1, 1, src.dc, x, y, SRCCOPY);
        EXPECT_EQ(Rows(whole.dc, 17, 17), Rows(single.dc, 17, 17));
        if (bits >= 24) {
            EXPECT_EQ(GetPixel(whole.dc, 4, 9), GetPixel(src.dc, 4, 9));
        }
    }
}

TEST(GdiTransfers, AMaskSmallerThanTheAreaAppliesTheForegroundBeyondIt) {
    Surface target(Info(4, 1, 32));
    PatBlt(target.dc, 0, 0, 4, 1, WHITENESS);
    Surface source(Info(4, 1, 32));
    PatBlt(source.dc, 0, 0, 4, 1, BLACKNESS);
    const uint8_t maskBits[2] = {0x40, 0};  // two pixels: 0, 1
    HBITMAP mask = CreateBitmap(2, 1, 1, 1, maskBits);
    // Foreground (bit 1) keeps the target; background (bit 0) takes the source.
    MaskBlt(target.dc, 0, 0, 4, 1, source.dc, 0, 0, mask, 0, 0, MAKEROP4(0x00AA0029, SRCCOPY));
    EXPECT_EQ(Row(target.dc, 0, 4), (Colours{0, kWhite, kWhite, kWhite}));
}
