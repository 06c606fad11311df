// Windows metafiles: records with their parameters stored last first, objects in the
// lowest free slot, the placeable box as the window; drawn against pixels worked out
// here and against libwmf's wmf2gd.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "tests/gdi/MetafileBuilder.h"

using namespace vardel::gdi;
using namespace vardel::test;
namespace fs = std::filesystem;

namespace {
constexpr uint16_t kSetBkMode = 0x0102, kSetMapMode = 0x0103, kSetPolyFillMode = 0x0106,
                   kSetBkColor = 0x0201, kSetWindowOrg = 0x020B, kSetWindowExt = 0x020C,
                   kLineTo = 0x0213, kMoveTo = 0x0214, kSaveDC = 0x001E, kRestoreDC = 0x0127,
                   kSelectObject = 0x012D, kDeleteObject = 0x01F0, kCreatePen = 0x02FA,
                   kCreateBrush = 0x02FC, kPolygon = 0x0324, kIntersectClip = 0x0416,
                   kEllipse = 0x0418, kRectangle = 0x041B, kSetPixel = 0x041F, kPie = 0x081A,
                   kChord = 0x0830, kStretchDib = 0x0F43, kTextOut = 0x0521, kEscape = 0x0626;
constexpr COLORREF kWhite = 0xFFFFFF, kBlack = 0, kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0),
                   kBlue = RGB(0, 0, 255), kYellow = RGB(255, 255, 0);

Bytes Color(COLORREF c) {
    Bytes b;
    Put32(b, c);
    return b;
}

// Brush records: style, colour, hatch.
WmfBuilder& Brush(WmfBuilder& w, int style, COLORREF c, int hatch = 0) {
    Bytes tail = Color(c);
    Put16(tail, hatch);
    return w.Record(kCreateBrush, {style}, tail);
}
// Pen records: style, width, colour.
WmfBuilder& Pen(WmfBuilder& w, int style, int width, COLORREF c) {
    return w.Record(kCreatePen, {style, width, 0}, Color(c));
}

// Shapes of every family that both renderers draw, with their expected pixels.
WmfBuilder Shapes() {
    WmfBuilder w;
    w.Record(kSetWindowOrg, {0, 0})
        .Record(kSetWindowExt, {48, 96})
        .Record(kSetMapMode, {MM_ANISOTROPIC});
    Pen(w, PS_NULL, 0, 0);  // slot 0
    Brush(w, 0, kWhite);    // slot 1
    Brush(w, 0, kGreen);    // slot 2
    // A white ground over the whole box, so that every renderer sees the same extent.
    w.Record(kSelectObject, {0}).Record(kSelectObject, {1}).Record(kRectangle, {48, 96, 0, 0});
    w.Record(kSelectObject, {2}).Record(kDeleteObject, {1});
    Brush(w, 0, kBlue);                                               // takes the freed slot 1
    w.Record(kSelectObject, {1}).Record(kRectangle, {20, 30, 4, 4});  // bottom, right, top, left
    Brush(w, 0, kRed);                                                // slot 3
    w.Record(kSelectObject, {3}).Record(kEllipse, {44, 60, 28, 4});
    w.Record(kSetPolyFillMode, {WINDING}).Record(kPolygon, {3}, Points16({66, 4, 92, 4, 66, 30}));
    w.Record(kSaveDC, {}).Record(kIntersectClip, {44, 92, 34, 66});
    w.Record(kSelectObject, {2}).Record(kRectangle, {48, 96, 30, 62});
    w.Record(kRestoreDC, {-1});
    return w;
}

int64_t ExpectedShapes(int x, int y) {
    const double px = x + 0.5, py = y + 0.5;
    if (x >= 4 && x < 30 && y >= 4 && y < 20) return kBlue;
    const double e = std::pow((px - 32) / 28, 2) + std::pow((py - 36) / 8, 2);
    if (x >= 66 && y >= 4 && std::fabs(px + py - 96) < 0.6) return -1;
    if (std::fabs(e - 1) < 0.12) return -1;
    if (e < 1) return kRed;
    if (x >= 66 && x < 92 && y >= 4 && px + py < 96) return kRed;
    if (x >= 66 && x < 92 && y >= 34 && y < 44) return kGreen;
    return kWhite;
}

// wmf2gd draws the placeable file at 72 pixels an inch; the box is in those units.
bool RenderWithLibwmf(const Bytes& placeable, std::vector<uint8_t>& rgb, int& width, int& height) {
    if (std::system("command -v wmf2gd >/dev/null 2>&1") != 0 ||
        std::system("/usr/bin/python3 -c 'import PIL' 2>/dev/null") != 0)
        return false;
    const fs::path dir = fs::temp_directory_path() / ("vardel-wmf-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    {
        std::ofstream out(dir / "shapes.wmf", std::ios::binary);
        out.write(reinterpret_cast<const char*>(placeable.data()),
                  static_cast<std::streamsize>(placeable.size()));
    }
    const std::string run =
        "cd " + dir.string() + " && wmf2gd -t png -o shapes.png shapes.wmf >/dev/null 2>&1 && " +
        "/usr/bin/python3 " + VARDEL_SOURCE_DIR + "/tests/graphics/png_to_rgb.py . shapes.png";
    if (std::system(run.c_str()) != 0) return false;
    std::ifstream in(dir / "shapes.rgb", std::ios::binary);
    uint32_t size[2] = {};
    in.read(reinterpret_cast<char*>(size), 8);
    width = static_cast<int>(size[0]), height = static_cast<int>(size[1]);
    rgb.resize(size_t{size[0]} * size[1] * 3);
    in.read(reinterpret_cast<char*>(rgb.data()), static_cast<std::streamsize>(rgb.size()));
    fs::remove_all(dir);
    return true;
}
}  // namespace

TEST(WmfPlayback, ShapesObjectsAndClippingMatchTheirPixels) {
    Canvas c(96, 48);
    ASSERT_TRUE(c.PlayWmf(Shapes().Plain(), {0, 0, 96, 48}));
    EXPECT_EQ(c.Mismatches(ExpectedShapes), 0);
}

TEST(WmfPlayback, ThePlaceableBoxIsTheWindowTheDestinationShows) {
    // No window of its own: the box (10, 10)–(58, 34) fills the destination, twice as large.
    WmfBuilder w;
    Brush(w, 0, kBlack).Record(kSelectObject, {0});
    Pen(w, PS_NULL, 0, 0).Record(kSelectObject, {1});
    w.Record(kRectangle, {22, 34, 10, 10});  // the box's left half
    Canvas c(96, 48);
    ASSERT_TRUE(c.PlayWmf(w.Plain(), {10, 10, 58, 34}));
    EXPECT_EQ(
        c.Mismatches([](int x, int y) -> int64_t { return x < 48 && y < 24 ? kBlack : kWhite; }),
        0);
}

TEST(WmfPlayback, PixelsBitmapsTextAndEscapes) {
    WmfBuilder w;
    w.Record(kSetWindowExt, {48, 96}).Record(kSetMapMode, {MM_ANISOTROPIC});
    w.Record(kEscape, {15, 4, 1, 2});  // a comment
    w.Record(kSetPixel, {0, 0, 3, 2}, {});
    Bytes pixel = Color(kRed);
    Put16(pixel, 3), Put16(pixel, 2);
    w.Record(kSetPixel, {}, pixel);
    // A 2 × 2 picture stretched over (10, 10)–(30, 30).
    const Bytes dib = Dib24(2, 2, {kRed, kGreen, kBlue, kBlack});
    w.Record(kStretchDib, {0x20, 0xCC, DIB_RGB_COLORS, 2, 2, 0, 0, 20, 20, 10, 10}, dib);
    // Text on an opaque yellow background.
    w.Record(kSetBkMode, {OPAQUE}).Record(kSetBkColor, {}, Color(kYellow));
    Bytes font;
    for (int v : {-16, 0, 0, 0, 400}) Put16(font, v);
    font.insert(font.end(), 8, 0);
    for (char ch : std::string("Courier New")) font.push_back(static_cast<uint8_t>(ch));
    font.push_back(0);
    w.Record(0x02FB, {}, font).Record(kSelectObject, {0});
    Bytes text = {'W', 'M', 'F', 0};
    Put16(text, 34), Put16(text, 40);  // y, x
    w.Record(kTextOut, {3}, text);
    Canvas c(96, 48);
    ASSERT_TRUE(c.PlayWmf(w.Plain(), {0, 0, 96, 48}));
    EXPECT_EQ(c.At(2, 3), kRed);
    EXPECT_EQ(c.At(12, 12), kRed);
    EXPECT_EQ(c.At(27, 12), kGreen);
    EXPECT_EQ(c.At(12, 27), kBlue);
    EXPECT_EQ(c.At(27, 27), kBlack);
    // The cell of three characters from (40, 34): yellow behind dark ink.
    int ink = 0, yellow = 0, outside = 0;
    for (int y = 30; y < 48; ++y)
        for (int x = 36; x < 96; ++x) {
            const COLORREF p = c.At(x, y);
            const bool inCell = x >= 40 && x < 40 + 3 * 10 && y >= 34 && y < 48;
            if (!inCell)
                outside += p != kWhite;
            else if (p == kYellow)
                ++yellow;
            else if (GetRValue(p) < 128)
                ++ink;
        }
    EXPECT_EQ(outside, 0);
    EXPECT_GT(ink, 30);
    EXPECT_GT(yellow, 100);
}

TEST(WmfPlayback, RecordsThatLieStopPlayback) {
    for (int lie = 0; lie < 3; ++lie) {
        SCOPED_TRACE(lie);
        WmfBuilder w;
        w.Record(kSetWindowExt, {48, 96}).Record(kSetMapMode, {MM_ANISOTROPIC});
        Brush(w, 0, kBlack).Record(kSelectObject, {0});
        w.Record(kRectangle, {10, 10, 0, 0});
        if (lie == 0) w.Record(kPolygon, {900}, Points16({0, 0, 5, 5}));  // more points than held
        if (lie == 1) w.Record(kTextOut, {300}, {'a', 'b'});              // more characters
        if (lie == 2) {
            Bytes dib = Dib24(9, 9, std::vector<COLORREF>(81));
            dib.resize(90);  // fewer pixels than its header says
            w.Record(kStretchDib, {0x20, 0xCC, 0, 9, 9, 0, 0, 9, 9, 0, 0}, dib);
        }
        w.Record(kRectangle, {10, 30, 0, 20});
        Canvas c(96, 48);
        ASSERT_TRUE(c.PlayWmf(w.Plain(), {0, 0, 96, 48}));
        EXPECT_EQ(c.At(5, 5), kBlack);
        EXPECT_EQ(c.At(25, 5), kWhite);
    }
    // A record longer than the file ends it.
    Bytes plain = WmfBuilder().Record(kRectangle, {10, 10, 0, 0}).Plain();
    plain[18] = 0xFF;
    Canvas c(96, 48);
    EXPECT_TRUE(c.PlayWmf(plain, {0, 0, 96, 48}));
    EXPECT_EQ(c.At(5, 5), kWhite);
}

TEST(WmfPlayback, LibwmfDrawsTheSameShapes) {
    std::vector<uint8_t> rgb;
    int width = 0, height = 0;
    if (!RenderWithLibwmf(Shapes().Placeable({0, 0, 96, 48}, 72), rgb, width, height))
        GTEST_SKIP() << "wmf2gd or Pillow is not installed";
    ASSERT_EQ(width, 96);
    ASSERT_EQ(height, 48);
    Canvas c(96, 48);
    ASSERT_TRUE(c.PlayWmf(Shapes().Plain(), {0, 0, 96, 48}));
    // Edges may fall a pixel apart: at most one pixel in twenty differs, and none
    // away from an edge of the expected picture. libwmf leaves ellipses unfilled: the
    // ellipse's box is not compared.
    int differ = 0, inner = 0;
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 96; ++x) {
            if (x < 62 && y >= 26) continue;
            const uint8_t* p = &rgb[(size_t(y) * 96 + x) * 3];
            const COLORREF theirs = RGB(p[0], p[1], p[2]), ours = c.At(x, y);
            int most = 0;
            for (int k = 0; k < 3; ++k)
                most = std::max(
                    most, std::abs(int((theirs >> 8 * k) & 0xFF) - int((ours >> 8 * k) & 0xFF)));
            if (most <= 48) continue;
            ++differ;
            bool edge = false;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    edge |= ExpectedShapes(x + dx, y + dy) != ExpectedShapes(x, y);
            inner += !edge;
        }
    RecordProperty("differing_pixels", differ);
    EXPECT_LE(differ, 96 * 48 / 20);
    EXPECT_EQ(inner, 0);
}
