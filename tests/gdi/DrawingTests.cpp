// The drawing calls themselves: regions, mapping, saved states, raster operations,
// curves and text, on true-colour and palette surfaces.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/gdi/MetafileBuilder.h"

using namespace vardel::gdi;
using namespace vardel::test;

namespace {
constexpr COLORREF kWhite = 0xFFFFFF, kBlack = 0, kRed = RGB(255, 0, 0), kBlue = RGB(0, 0, 255),
                   kYellow = RGB(255, 255, 0);

// The bounds of the pixels that are not white, or an empty rectangle.
RECT Ink(const Canvas& c) {
    RECT r{c.width, c.height, 0, 0};
    for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x)
            if (c.At(x, y) != kWhite)
                r = {std::min<int>(r.left, x), std::min<int>(r.top, y),
                     std::max<int>(r.right, x + 1), std::max<int>(r.bottom, y + 1)};
    return r.right > r.left ? r : RECT{};
}

bool LiberationInstalled() {
    return std::system("fc-list | grep -q LiberationSans-Regular") == 0;
}
}  // namespace

TEST(GdiRegions, CombineOffsetAndClipByEveryMode) {
    const HRGN a = CreateRectRgn(0, 0, 10, 10), b = CreateRectRgn(5, 5, 15, 15),
               r = CreateRectRgn(0, 0, 0, 0);
    const struct {
        int mode, kind;
        RECT box;
        int area;
    } cases[] = {{RGN_AND, SIMPLEREGION, {5, 5, 10, 10}, 25},
                 {RGN_OR, COMPLEXREGION, {0, 0, 15, 15}, 175},
                 {RGN_XOR, COMPLEXREGION, {0, 0, 15, 15}, 150},
                 {RGN_DIFF, COMPLEXREGION, {0, 0, 10, 10}, 75},
                 {RGN_COPY, SIMPLEREGION, {0, 0, 10, 10}, 100}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        EXPECT_EQ(CombineRgn(r, a, b, c.mode), c.kind);
        RECT box;
        GetRgnBox(r, &box);
        EXPECT_EQ(box, c.box);
        int area = 0;
        for (int y = -1; y < 16; ++y)
            for (int x = -1; x < 16; ++x) area += PtInRegion(r, x, y);
        EXPECT_EQ(area, c.area);
    }
    // A checkerboard of 80 000 squares is more than a region keeps: its bounds stand in.
    std::vector<RECT> squares;
    for (int y = 0; y < 400; ++y)
        for (int x = y % 2; x < 400; x += 2) squares.push_back({x, y, x + 1, y + 1});
    EXPECT_EQ(GetRgnBox(ExtCreateRegion(nullptr, squares), nullptr), SIMPLEREGION);
    squares.resize(1000);
    EXPECT_EQ(GetRgnBox(ExtCreateRegion(nullptr, squares), nullptr), COMPLEXREGION);
    EXPECT_EQ(OffsetRgn(a, 3, -2), SIMPLEREGION);
    EXPECT_TRUE(PtInRegion(a, 12, -2));
    EXPECT_EQ(CombineRgn(r, a, a, RGN_XOR), NULLREGION);
    // A triangle by the winding rule, filled through the clipping.
    const POINT tri[] = {{0, 0}, {8, 0}, {0, 8}};
    Canvas c(10, 10);
    EXPECT_EQ(SelectClipRgn(c.dc, CreatePolygonRgn(tri, 3, WINDING)), COMPLEXREGION);
    FillRect(c.dc, {0, 0, 10, 10}, GetStockBrush(BLACK_BRUSH));
    EXPECT_EQ(c.At(1, 1), kBlack);
    EXPECT_EQ(c.At(6, 6), CLR_INVALID);  // outside the clipping: not readable
    SetPixel(c.dc, 7, 7, kRed);          // single pixels keep to the region too
    SelectClipRgn(c.dc, nullptr);
    EXPECT_EQ(c.At(7, 7), kWhite);
    EXPECT_EQ(c.At(6, 6), kWhite);
}

TEST(GdiMapping, FixedModesScaleByResolutionAndSavedStatesComeBack) {
    Canvas c(10, 10);
    const struct {
        int mode;
        POINT in, out;
    } cases[] = {{MM_TEXT, {7, 3}, {7, 3}},          {MM_LOMETRIC, {254, -127}, {96, 48}},
                 {MM_HIMETRIC, {2540, 0}, {96, 0}},  {MM_LOENGLISH, {100, -50}, {96, 48}},
                 {MM_HIENGLISH, {1000, 0}, {96, 0}}, {MM_TWIPS, {1440, -720}, {96, 48}}};
    for (const auto& m : cases) {
        SCOPED_TRACE(m.mode);
        SetMapMode(c.dc, m.mode);
        POINT p = m.in;
        ASSERT_TRUE(LPtoDP(c.dc, &p, 1));
        EXPECT_EQ(p.x, m.out.x);
        EXPECT_EQ(p.y, m.out.y);
    }
    SetMapMode(c.dc, MM_ANISOTROPIC);
    SetWindowExtEx(c.dc, 2, 4, nullptr);
    SetViewportExtEx(c.dc, 6, -8, nullptr);
    SetWindowOrgEx(c.dc, 1, 1, nullptr);
    EXPECT_EQ(SaveDC(c.dc), 1);
    EXPECT_FALSE(SetWorldTransform(c.dc, XFORM{2, 0, 0, 2, 0, 0}));  // needs the advanced mode
    SetGraphicsMode(c.dc, GM_ADVANCED);
    EXPECT_TRUE(SetWorldTransform(c.dc, XFORM{2, 0, 0, 2, 0, 0}));
    EXPECT_EQ(SaveDC(c.dc), 2);
    ModifyWorldTransform(c.dc, nullptr, MWT_IDENTITY);
    POINT p{3, 3};
    LPtoDP(c.dc, &p, 1);
    EXPECT_EQ(p.x, 6);   // (3 − 1) × 3
    EXPECT_EQ(p.y, -4);  // (3 − 1) × −2
    EXPECT_TRUE(RestoreDC(c.dc, -1));
    p = {3, 3};
    LPtoDP(c.dc, &p, 1);
    EXPECT_EQ(p.x, 15);  // (6 − 1) × 3
    EXPECT_TRUE(RestoreDC(c.dc, 1));
    EXPECT_FALSE(RestoreDC(c.dc, 1));
    p = {7, 3};
    LPtoDP(c.dc, &p, 1);
    EXPECT_EQ(p.x, 18);  // the first saved state: no world transform
    EXPECT_FALSE(SetWorldTransform(c.dc, XFORM{2, 0, 0, 2, 0, 0}));  // nor its mode
}

TEST(GdiDrawing, TurnedShapesRasterOperationsAndPaletteSurfaces) {
    Canvas c(40, 40);
    SetGraphicsMode(c.dc, GM_ADVANCED);
    // A square turned by 45 degrees about (20, 20): a diamond.
    const double k = std::sqrt(0.5);
    SetWorldTransform(c.dc, XFORM{float(k), float(k), float(-k), float(k), 20, 20});
    SelectObject(c.dc, GetStockPen(NULL_PEN));
    SelectObject(c.dc, GetStockBrush(BLACK_BRUSH));
    Rectangle(c.dc, -10, -10, 10, 10);
    ModifyWorldTransform(c.dc, nullptr, MWT_IDENTITY);
    EXPECT_EQ(c.Mismatches([&](int x, int y) -> int64_t {
        const double d = std::fabs(x + 0.5 - 20) + std::fabs(y + 0.5 - 20),
                     edge = 10 * std::sqrt(2.0);
        if (std::fabs(d - edge) < 0.8) return -1;
        return d < edge ? kBlack : kWhite;
    }),
              0);
    // Drawing twice in exclusive-or mode gives back what was there.
    SetROP2(c.dc, R2_XORPEN);
    SelectObject(c.dc, CreatePen(PS_SOLID, 0, kYellow));
    for (int i = 0; i < 2; ++i) {
        MoveToEx(c.dc, 0, 20, nullptr);
        LineTo(c.dc, 40, 20);
    }
    EXPECT_EQ(c.At(20, 20), kBlack);
    EXPECT_EQ(c.At(2, 20), kWhite);
    SetROP2(c.dc, R2_NOT);
    MoveToEx(c.dc, 0, 20, nullptr);
    LineTo(c.dc, 40, 20);
    EXPECT_EQ(c.At(20, 20), kWhite);
    EXPECT_EQ(c.At(2, 20), kBlack);
    // On 8 bits, brushes store the nearest colour of the table.
    BITMAPINFO info;
    info.bmiHeader.biWidth = 4;
    info.bmiHeader.biHeight = 4;
    info.bmiHeader.biBitCount = 8;
    info.bmiColors = {{0, 0, 0, 0}, {0, 0, 200, 0}, {255, 255, 255, 0}};
    info.bmiHeader.biClrUsed = 3;
    HDC dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, CreateDIBSection(nullptr, info, DIB_RGB_COLORS, nullptr));
    SelectObject(dc, CreateHatchBrush(HS_VERTICAL, RGB(250, 10, 10)));
    SelectObject(dc, GetStockPen(NULL_PEN));
    Rectangle(dc, 0, 0, 4, 4);
    EXPECT_EQ(GetPixel(dc, 3, 0), RGB(200, 0, 0));  // the hatch line
    EXPECT_EQ(GetPixel(dc, 0, 0), kWhite);          // the background
    DeleteDC(dc);
}

TEST(GdiDrawing, CurvesFollowTheirBoxAndDirection) {
    Canvas c(60, 60);
    SelectObject(c.dc, GetStockPen(NULL_PEN));
    SelectObject(c.dc, GetStockBrush(BLACK_BRUSH));
    // A chord cut along the line from (50, 30) to (10, 30): the lower half, clockwise.
    SetArcDirection(c.dc, AD_CLOCKWISE);
    Chord(c.dc, 10, 10, 50, 50, 50, 30, 10, 30);
    EXPECT_EQ(c.At(30, 40), kBlack);
    EXPECT_EQ(c.At(30, 20), kWhite);
    // Rounded corners leave the corner pixel out.
    RoundRect(c.dc, 0, 0, 20, 10, 8, 8);
    EXPECT_EQ(c.At(0, 0), kWhite);
    EXPECT_EQ(c.At(10, 0), kBlack);
    // Curves from the current position: the line to the arc, and the arc.
    SelectObject(c.dc, CreatePen(PS_SOLID, 0, kRed));
    MoveToEx(c.dc, 55, 5, nullptr);
    AngleArc(c.dc, 55, 20, 5, 0, 180);
    POINT at;
    GetCurrentPositionEx(c.dc, &at);
    EXPECT_EQ(at.x, 50);
    EXPECT_EQ(at.y, 20);
    EXPECT_EQ(c.At(57, 10), kRed);  // the line down to the arc's start at (60, 20)
    EXPECT_EQ(c.At(55, 15), kRed);  // the top of the arc
    const POINT curve[] = {{0, 58}, {20, 40}, {40, 40}, {59, 58}};
    PolyBezier(c.dc, curve, 4);
    // The curve's middle, (29.9, 44.5): three quarters of the way up to its control points.
    int middle = 0;
    for (int y = 43; y <= 46; ++y) middle += c.At(30, y) == kRed;
    EXPECT_EQ(middle, 1);
    const POINT figure[] = {{2, 50}, {12, 50}, {12, 54}};
    const uint8_t types[] = {PT_MOVETO, PT_LINETO, PT_LINETO | PT_CLOSEFIGURE};
    EXPECT_TRUE(PolyDraw(c.dc, figure, types, 3));
    EXPECT_EQ(c.At(7, 52), kRed);  // the closing line back to (2, 50)
    const uint8_t bad[] = {PT_MOVETO, PT_BEZIERTO, PT_LINETO};
    EXPECT_FALSE(PolyDraw(c.dc, figure, bad, 3));
}

TEST(GdiDrawing, WidenedPathsAreThePensArea) {
    Canvas c(40, 20);
    SelectObject(c.dc, ExtCreatePen(PS_GEOMETRIC | PS_ENDCAP_FLAT, 6, 0, {}));
    SelectObject(c.dc, GetStockBrush(BLACK_BRUSH));
    BeginPath(c.dc);
    MoveToEx(c.dc, 5, 10, nullptr);
    LineTo(c.dc, 35, 10);
    EndPath(c.dc);
    ASSERT_TRUE(WidenPath(c.dc));
    SetPolyFillMode(c.dc, WINDING);
    ASSERT_TRUE(FillPath(c.dc));
    EXPECT_FALSE(FillPath(c.dc));  // the path is used up
    EXPECT_EQ(Ink(c), (RECT{5, 7, 35, 13}));
}

TEST(GdiText, TextIsSetInTheNearestFaceWithItsAlignmentAndBackground) {
    if (!LiberationInstalled()) GTEST_SKIP() << "the metric-compatible faces are not installed";
    Canvas c(200, 60);
    LOGFONT font;
    font.lfHeight = -20;
    font.lfFaceName = "Arial";
    SelectObject(c.dc, CreateFontIndirect(font));
    SIZE size;
    ASSERT_TRUE(GetTextExtentPoint32W(c.dc, u"MMMMMMMMMM", &size));
    // Arial's M is 1706/2048 of the height: a face with Arial's widths stands in.
    EXPECT_NEAR(size.cx, 166.6, 1);
    // A requested width is measured as the desktop measures Arial's average: its own
    // average asks for no stretching at all.
    font.lfHeight = -200;
    font.lfWidth = 88;
    SelectObject(c.dc, CreateFontIndirect(font));
    GetTextExtentPoint32W(c.dc, u"MMMMMMMMMM", &size);
    EXPECT_NEAR(size.cx, 1666, 15);
    font.lfWidth = 44;
    SelectObject(c.dc, CreateFontIndirect(font));
    GetTextExtentPoint32W(c.dc, u"MMMMMMMMMM", &size);
    EXPECT_NEAR(size.cx, 833, 10);
    font.lfHeight = -20;
    font.lfWidth = 0;
    font.lfFaceName = "Courier New";
    SelectObject(c.dc, CreateFontIndirect(font));
    GetTextExtentPoint32W(c.dc, u"iiiii", &size);
    EXPECT_NEAR(size.cx, 60, 1);  // fixed pitch: 0.6 of the height each
    SetTextColor(c.dc, kBlue);
    SetBkColor(c.dc, kYellow);
    SetBkMode(c.dc, OPAQUE);
    ASSERT_TRUE(ExtTextOutW(c.dc, 10, 5, 0, nullptr, u"Hello", nullptr));
    const RECT ink = Ink(c);
    // The background covers the cell: the advances and the face's full height.
    EXPECT_EQ(ink.left, 10);
    EXPECT_EQ(ink.right, 70);
    EXPECT_EQ(ink.top, 5);
    EXPECT_NEAR(ink.bottom, 5 + size.cy, 1);
    int blue = 0;
    for (int y = ink.top; y < ink.bottom; ++y)
        for (int x = ink.left; x < ink.right; ++x) blue += c.At(x, y) == kBlue;
    EXPECT_GT(blue, 40);
}

TEST(GdiText, AlignmentSpacingAndEscapementMoveTheInk) {
    if (!LiberationInstalled()) GTEST_SKIP() << "the metric-compatible faces are not installed";
    LOGFONT font;
    font.lfHeight = -16;
    font.lfFaceName = "Courier New";
    const struct {
        int align, extra, escapement;
        bool (*check)(const RECT&);
    } cases[] = {
        // Right-aligned at x = 100: all the ink lies left of it.
        {TA_RIGHT | TA_BASELINE, 0, 0,
         [](const RECT& r) { return r.right <= 100 && r.left >= 100 - 4 * 10; }},
        // Centred: ink on both sides.
        {TA_CENTER | TA_BASELINE, 0, 0,
         [](const RECT& r) { return r.left < 100 && r.right > 100; }},
        // Bottom-aligned: the ink ends above y = 50.
        {TA_LEFT | TA_BOTTOM, 0, 0, [](const RECT& r) { return r.bottom <= 50 && r.left >= 100; }},
        // Ten more pixels after each character: four characters reach about 78 further.
        {TA_LEFT | TA_BASELINE, 10, 0, [](const RECT& r) { return r.right - r.left > 65; }},
        // Turned by 90 degrees: the text runs upwards from (100, 50).
        {TA_LEFT | TA_BASELINE, 0, 900,
         [](const RECT& r) { return r.bottom <= 52 && r.top < 20 && r.right - r.left < 16; }},
    };
    for (const auto& t : cases) {
        SCOPED_TRACE(t.align * 10000 + t.escapement + t.extra);
        Canvas c(200, 100);
        font.lfEscapement = t.escapement;
        SelectObject(c.dc, CreateFontIndirect(font));
        SetBkMode(c.dc, TRANSPARENT);
        SetTextAlign(c.dc, t.align);
        SetTextCharacterExtra(c.dc, t.extra);
        ExtTextOutW(c.dc, 100, 50, 0, nullptr, u"WWWW", nullptr);
        const RECT r = Ink(c);
        EXPECT_TRUE(t.check(r)) << r.left << " " << r.top << " " << r.right << " " << r.bottom;
    }
}
