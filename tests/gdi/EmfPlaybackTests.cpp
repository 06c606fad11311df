// Enhanced metafiles, one per record family, played one logical unit to a pixel and
// compared with pixels worked out here from the shapes' own definitions.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "tests/gdi/MetafileBuilder.h"

using namespace vardel::gdi;
using namespace vardel::test;

namespace {
// Record types of enhanced metafiles.
constexpr uint32_t kPolygon16 = 86, kPolyPolygon16 = 91, kSetWindowExt = 9, kSetViewportExt = 11,
                   kSetBkMode = 18, kSetPolyFillMode = 19, kSetBkColor = 25, kMoveTo = 27,
                   kExcludeClip = 29, kIntersectClip = 30, kSaveDC = 33, kRestoreDC = 34,
                   kSetWorldTransform = 35, kSelectObject = 37, kCreatePen = 38, kCreateBrush = 39,
                   kEllipse = 42, kRectangle = 43, kPie = 47, kSetMapMode = 17, kLineTo = 54,
                   kBeginPath = 59, kEndPath = 60, kCloseFigure = 61, kFillPath = 62,
                   kSelectClipPath = 67, kComment = 70, kExtSelectClipRgn = 75, kBitBlt = 76,
                   kStretchDIBits = 81, kCreateDibPatternBrush = 94, kExtCreatePen = 95,
                   kSetIcmMode = 98;
constexpr int64_t kStock = 0x80000000;
constexpr COLORREF kWhite = 0xFFFFFF, kBlack = 0, kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0),
                   kBlue = RGB(0, 0, 255), kYellow = RGB(255, 255, 0);

EmfBuilder& SolidBrush(EmfBuilder& b, int handle, COLORREF color) {
    return b.Record(kCreateBrush, {handle, 0, color, 0}).Record(kSelectObject, {handle});
}
EmfBuilder& NullPen(EmfBuilder& b) {
    return b.Record(kSelectObject, {kStock | NULL_PEN});
}

// Whether (x, y) lies inside the polygon by the crossing count or the winding number,
// worked out directly from the vertices.
bool Inside(const std::vector<std::pair<double, double>>& p, double x, double y, bool winding) {
    int crossings = 0, wind = 0;
    for (size_t i = 0; i < p.size(); ++i) {
        const auto [x0, y0] = p[i];
        const auto [x1, y1] = p[(i + 1) % p.size()];
        if ((y0 <= y) == (y1 <= y)) continue;
        const double at = x0 + (y - y0) * (x1 - x0) / (y1 - y0);
        if (at > x) {
            ++crossings;
            wind += y1 > y0 ? 1 : -1;
        }
    }
    return winding ? wind != 0 : crossings % 2 == 1;
}

// Distance from (x, y) to the nearest edge of the polygon.
double EdgeDistance(const std::vector<std::pair<double, double>>& p, double x, double y) {
    double best = 1e9;
    for (size_t i = 0; i < p.size(); ++i) {
        const auto [x0, y0] = p[i];
        const auto [x1, y1] = p[(i + 1) % p.size()];
        const double dx = x1 - x0, dy = y1 - y0;
        const double t =
            std::clamp(((x - x0) * dx + (y - y0) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
        best = std::min(best, std::hypot(x - (x0 + t * dx), y - (y0 + t * dy)));
    }
    return best;
}

Bytes RegionData(std::initializer_list<RECT> rects) {
    Bytes b;
    const int64_t n = static_cast<int64_t>(rects.size());
    for (int64_t v :
         {int64_t{32}, int64_t{1}, n, 16 * n, int64_t{0}, int64_t{0}, int64_t{0}, int64_t{0}})
        Put32(b, v);
    for (const RECT& r : rects)
        for (int v : {r.left, r.top, r.right, r.bottom}) Put32(b, v);
    return b;
}
}  // namespace

TEST(EmfPlayback, RectanglesTakeTheBrushInsideAndThePenOnTheirEdges) {
    EmfBuilder b;
    SolidBrush(b, 1, kBlue)
        .Record(kCreatePen, {2, PS_SOLID, 1, 0, kRed})
        .Record(kSelectObject, {2});
    b.Record(kRectangle, {10, 5, 30, 25});
    // The stock null pen and black brush.
    b.Record(kSelectObject, {kStock | NULL_PEN}).Record(kSelectObject, {kStock | BLACK_BRUSH});
    b.Record(kRectangle, {40, 5, 60, 25});
    // A wide pen with mitred joins, centred on the outline; no fill.
    b.Record(kExtCreatePen, {3, 0, 0, 0, 0, PS_GEOMETRIC | PS_JOIN_MITER, 5, 0, kRed, 0, 0});
    b.Record(kSelectObject, {3}).Record(kSelectObject, {kStock | NULL_BRUSH});
    b.Record(kRectangle, {70, 10, 91, 41});
    Canvas c(96, 48);
    ASSERT_TRUE(c.PlayEmf(b.Build(96, 48)));
    auto in = [](int x, int y, int l, int t, int r, int bo) {
        return x >= l && x < r && y >= t && y < bo;
    };
    EXPECT_EQ(c.Mismatches([&](int x, int y) -> int64_t {
        if (in(x, y, 10, 5, 30, 25))
            return (x == 10 || x == 29 || y == 5 || y == 24) ? kRed : kBlue;
        if (in(x, y, 40, 5, 60, 25)) return kBlack;
        // Pixel centres within 2.5 of the outline through (70, 10) and (90, 40).
        if (in(x, y, 68, 8, 93, 43)) return in(x, y, 73, 13, 88, 38) ? kWhite : kRed;
        return kWhite;
    }),
              0);
}

TEST(EmfPlayback, PolygonsFillByTheEvenOddOrTheWindingRule) {
    // Two five-pointed stars drawn in one stroke: the middle is crossed twice.
    std::vector<std::pair<double, double>> left, right;
    Bytes l, r;
    for (int k = 0; k < 5; ++k) {
        const double a = -M_PI / 2 + k * 4 * M_PI / 5;
        const int x = static_cast<int>(std::lround(24 + 22 * std::cos(a)));
        const int y = static_cast<int>(std::lround(24 + 22 * std::sin(a)));
        left.push_back({x, y});
        right.push_back({x + 48, y});
        Put16(l, x), Put16(l, y), Put16(r, x + 48), Put16(r, y);
    }
    EmfBuilder b;
    SolidBrush(b, 1, kGreen);
    NullPen(b).Record(kSetPolyFillMode, {ALTERNATE}).Record(kPolygon16, {0, 0, 0, 0, 5}, l);
    b.Record(kSetPolyFillMode, {WINDING}).Record(kPolygon16, {0, 0, 0, 0, 5}, r);
    Canvas c(96, 48);
    ASSERT_TRUE(c.PlayEmf(b.Build(96, 48)));
    EXPECT_EQ(c.At(24, 26), kWhite);  // the middle of the even-odd star is a hole
    EXPECT_EQ(c.At(72, 26), kGreen);
    EXPECT_EQ(c.Mismatches([&](int x, int y) -> int64_t {
        const auto& star = x < 48 ? left : right;
        if (EdgeDistance(star, x + 0.5, y + 0.5) < 0.05) return -1;  // on an edge: either
        return Inside(star, x + 0.5, y + 0.5, x >= 48) ? kGreen : kWhite;
    }),
              0);
}

TEST(EmfPlayback, PolyPolygonsOverlapByTheFillRule) {
    const Bytes squares = Points16({4, 4, 30, 4, 30, 30, 4, 30, 16, 16, 42, 16, 42, 42, 16, 42});
    Bytes moved;
    for (size_t i = 0; i < squares.size(); i += 2) {
        const int v = squares[i] | (squares[i + 1] << 8);
        Put16(moved, i % 4 == 0 ? v + 48 : v);
    }
    EmfBuilder b;
    SolidBrush(b, 1, kBlue);
    NullPen(b).Record(kPolyPolygon16, {0, 0, 0, 0, 2, 8, 4, 4}, squares);
    b.Record(kSetPolyFillMode, {WINDING}).Record(kPolyPolygon16, {0, 0, 0, 0, 2, 8, 4, 4}, moved);
    Canvas c(96, 48);
    ASSERT_TRUE(c.PlayEmf(b.Build(96, 48)));
    EXPECT_EQ(c.Mismatches([](int x, int y) -> int64_t {
        const int u = x % 48;
        const bool a = u >= 4 && u < 30 && y >= 4 && y < 30,
                   b = u >= 16 && u < 42 && y >= 16 && y < 42;
        return (x < 48 ? a != b : a || b) ? kBlue : kWhite;
    }),
              0);
}

TEST(EmfPlayback, EllipsesAndPiesFollowTheirCurves) {
    EmfBuilder b;
    SolidBrush(b, 1, kGreen);
    NullPen(b).Record(kEllipse, {4, 4, 44, 40});
    // A quarter: from the radial going right to the one going up, counter-clockwise.
    b.Record(kPie, {52, 4, 92, 44, 92, 24, 72, 4});
    Canvas c(96, 48);
    ASSERT_TRUE(c.PlayEmf(b.Build(96, 48)));
    EXPECT_EQ(c.Mismatches([](int x, int y) -> int64_t {
        const double px = x + 0.5, py = y + 0.5;
        if (x < 48) {
            const double e = std::pow((px - 24) / 20, 2) + std::pow((py - 22) / 18, 2);
            if (std::fabs(e - 1) < 0.08) return -1;
            return e < 1 ? kGreen : kWhite;
        }
        const double dx = px - 72, dy = 24 - py, e = (dx * dx + dy * dy) / 400;
        if (std::fabs(e - 1) < 0.08 || std::fabs(dx) < 0.6 || std::fabs(dy) < 0.6) return -1;
        return e < 1 && dx > 0 && dy > 0 ? kGreen : kWhite;
    }),
              0);
}

TEST(EmfPlayback, LinesLeaveOutTheirEndAndStyledPensDash) {
    EmfBuilder b;
    b.Record(kCreatePen, {1, PS_SOLID, 0, 0, kRed}).Record(kSelectObject, {1});
    b.Record(kMoveTo, {2, 2}).Record(kLineTo, {40, 2});
    b.Record(kMoveTo, {2, 5}).Record(kLineTo, {2, 20});
    b.Record(kMoveTo, {5, 5}).Record(kLineTo, {15, 15});
    // Dashes of 18 pixels and gaps of 6 in the background colour.
    b.Record(kCreatePen, {2, PS_DASH, 1, 0, kBlue}).Record(kSelectObject, {2});
    b.Record(kSetBkMode, {OPAQUE}).Record(kSetBkColor, {kYellow});
    b.Record(kMoveTo, {0, 30}).Record(kLineTo, {96, 30});
    // Four pixels wide with flat ends.
    b.Record(kExtCreatePen, {3, 0, 0, 0, 0, PS_GEOMETRIC | PS_ENDCAP_FLAT, 4, 0, kGreen, 0, 0});
    b.Record(kSelectObject, {3}).Record(kMoveTo, {20, 40}).Record(kLineTo, {80, 40});
    Canvas c(96, 48);
    ASSERT_TRUE(c.PlayEmf(b.Build(96, 48)));
    EXPECT_EQ(c.Mismatches([](int x, int y) -> int64_t {
        if (y == 2 && x >= 2 && x < 40) return kRed;
        if (x == 2 && y >= 5 && y < 20) return kRed;
        if (x == y && x >= 5 && x < 15) return kRed;
        if (y == 30) return x % 24 < 18 ? kBlue : kYellow;
        if (x == 80 && y >= 38 && y < 42) return -1;  // the flat end runs through these centres
        if (y >= 38 && y < 42 && x >= 20 && x < 80) return kGreen;
        return kWhite;
    }),
              0);
}

TEST(EmfPlayback, HatchedAndPatternBrushesTileFromTheOrigin) {
    EmfBuilder b;
    NullPen(b).Record(kCreateBrush, {1, 2, kBlue, HS_CROSS}).Record(kSelectObject, {1});
    b.Record(kSetBkColor, {kYellow}).Record(kRectangle, {0, 0, 32, 48});
    b.Record(kCreateBrush, {2, 2, kRed, HS_DIAGCROSS}).Record(kSelectObject, {2});
    b.Record(kSetBkMode, {TRANSPARENT}).Record(kRectangle, {32, 0, 64, 48});
    // A 2 × 2 tile in the record: red, green over blue, black.
    const Bytes dib = Dib24(2, 2, {kRed, kGreen, kBlue, kBlack});
    b.Record(kCreateDibPatternBrush, {3, DIB_RGB_COLORS, 32, 40, 32 + 40, int64_t(dib.size()) - 40},
             dib);
    b.Record(kSelectObject, {3}).Record(kRectangle, {64, 0, 96, 48});
    Canvas c(96, 48);
    ASSERT_TRUE(c.PlayEmf(b.Build(96, 48)));
    EXPECT_EQ(c.Mismatches([](int x, int y) -> int64_t {
        const int u = x % 8, v = y % 8;
        if (x < 32) return u == 3 || v == 3 ? kBlue : kYellow;
        if (x < 64) return u == v || u + v == 7 ? kRed : kWhite;
        static const COLORREF tile[4] = {kRed, kGreen, kBlue, kBlack};
        return tile[(y % 2) * 2 + x % 2];
    }),
              0);
}

TEST(EmfPlayback, MappingModesAndWorldTransformsPlaceShapes) {
    EmfBuilder b;
    NullPen(b).Record(kSelectObject, {kStock | BLACK_BRUSH});
    // Window 10 × 10 on a viewport of 30 × 20: three pixels a unit across, two down.
    b.Record(kSetMapMode, {MM_ANISOTROPIC})
        .Record(kSetWindowExt, {10, 10})
        .Record(kSetViewportExt, {30, 20});
    b.Record(kRectangle, {2, 3, 6, 8});
    b.Record(kSaveDC, {});
    b.Record(kSetWorldTransform, {}, [] {
        Bytes x;
        for (float f : {1.f, 0.f, 0.f, 1.f, 10.f, 0.f}) PutFloat(x, f);
        return x;
    }());
    b.Record(kRectangle, {2, 3, 6, 8});
    // Equal units both ways in the isotropic mode: the smaller scale.
    b.Record(kSetMapMode, {MM_ISOTROPIC})
        .Record(kSetWindowExt, {10, 10})
        .Record(kSetViewportExt, {60, 30});
    b.Record(kRectangle, {20, 0, 24, 4});
    b.Record(kRestoreDC, {-1});
    b.Record(kRectangle, {0, 10, 2, 12});
    Canvas c(96, 48);
    ASSERT_TRUE(c.PlayEmf(b.Build(96, 48)));
    auto in = [](int x, int y, int l, int t, int r, int bo) {
        return x >= l && x < r && y >= t && y < bo;
    };
    EXPECT_EQ(c.Mismatches([&](int x, int y) -> int64_t {
        const bool black = in(x, y, 6, 6, 18, 16) || in(x, y, 36, 6, 48, 16) ||
                           in(x, y, 90, 0, 96, 12) || in(x, y, 0, 20, 6, 24);
        return black ? kBlack : kWhite;
    }),
              0);
}

TEST(EmfPlayback, ClippingRectanglesRegionsAndPathsLimitDrawing) {
    EmfBuilder b;
    NullPen(b).Record(kSelectObject, {kStock | BLACK_BRUSH});
    b.Record(kSaveDC, {})
        .Record(kIntersectClip, {10, 10, 40, 40})
        .Record(kExcludeClip, {20, 20, 30, 30});
    b.Record(kRectangle, {0, 0, 96, 48}).Record(kRestoreDC, {-1});
    const Bytes region = RegionData({{44, 2, 50, 8}, {44, 40, 48, 46}});
    b.Record(kExtSelectClipRgn, {int64_t(region.size()), RGN_COPY}, region);
    b.Record(kRectangle, {0, 0, 96, 48});
    b.Record(kExtSelectClipRgn, {0, RGN_COPY});
    // A triangle as the clipping.
    b.Record(kBeginPath, {})
        .Record(kMoveTo, {60, 4})
        .Record(kLineTo, {92, 4})
        .Record(kLineTo, {92, 36});
    b.Record(kCloseFigure, {}).Record(kEndPath, {}).Record(kSelectClipPath, {RGN_COPY});
    b.Record(kRectangle, {0, 0, 96, 48});
    Canvas c(96, 48);
    ASSERT_TRUE(c.PlayEmf(b.Build(96, 48)));
    auto in = [](int x, int y, int l, int t, int r, int bo) {
        return x >= l && x < r && y >= t && y < bo;
    };
    const std::vector<std::pair<double, double>> triangle = {{60, 4}, {92, 4}, {92, 36}};
    EXPECT_EQ(c.Mismatches([&](int x, int y) -> int64_t {
        if (x >= 56) {
            if (EdgeDistance(triangle, x + 0.5, y + 0.5) < 0.05) return -1;
            return Inside(triangle, x + 0.5, y + 0.5, false) ? kBlack : kWhite;
        }
        const bool black = (in(x, y, 10, 10, 40, 40) && !in(x, y, 20, 20, 30, 30)) ||
                           in(x, y, 44, 2, 50, 8) || in(x, y, 44, 40, 48, 46);
        return black ? kBlack : kWhite;
    }),
              0);
}

TEST(EmfPlayback, PathsAreFilledByTheirFigures) {
    EmfBuilder b;
    SolidBrush(b, 1, kRed);
    NullPen(b).Record(kBeginPath, {});
    b.Record(kMoveTo, {10, 4})
        .Record(kLineTo, {80, 4})
        .Record(kLineTo, {10, 44})
        .Record(kCloseFigure, {});
    b.Record(kRectangle, {50, 20, 90, 46}).Record(kEndPath, {}).Record(kFillPath, {0, 0, 0, 0});
    Canvas c(96, 48);
    ASSERT_TRUE(c.PlayEmf(b.Build(96, 48)));
    const std::vector<std::pair<double, double>> triangle = {{10, 4}, {80, 4}, {10, 44}};
    const std::vector<std::pair<double, double>> box = {{50, 20}, {90, 20}, {90, 46}, {50, 46}};
    EXPECT_EQ(c.Mismatches([&](int x, int y) -> int64_t {
        const double px = x + 0.5, py = y + 0.5;
        if (EdgeDistance(triangle, px, py) < 0.05 || EdgeDistance(box, px, py) < 0.05) return -1;
        // Two figures of one path, filled by the even-odd rule.
        return Inside(triangle, px, py, false) != Inside(box, px, py, false) ? kRed : kWhite;
    }),
              0);
}

TEST(EmfPlayback, BitmapsStretchAndCombineByRasterOperation) {
    const Bytes quad = Dib24(2, 2, {kRed, kGreen, kBlue, kBlack});
    EmfBuilder b;
    // Stretched from 2 × 2 to 20 × 20 at (4, 4).
    b.Record(kStretchDIBits,
             {0, 0, 0, 0, 4, 4, 0, 0, 2, 2, 80, 40, 120, int64_t(quad.size()) - 40, DIB_RGB_COLORS,
              SRCCOPY, 20, 20},
             quad);
    // Yellow first, then red and blue ANDed onto it.
    NullPen(b);
    SolidBrush(b, 1, kYellow).Record(kRectangle, {40, 4, 50, 14});
    const Bytes pair = Dib24(2, 1, {kRed, kBlue});
    b.Record(kBitBlt,
             {0,
              0,
              0,
              0,
              40,
              4,
              2,
              1,
              SRCAND,
              0,
              0,
              0x3F800000,
              0,
              0,
              0x3F800000,
              0,
              0,
              0,
              0,
              100,
              40,
              140,
              int64_t(pair.size()) - 40},
             pair);
    // No bitmap: the brush fills.
    b.Record(kBitBlt, {0, 0, 0,          0, 60, 4, 6, 6, PATCOPY, 0, 0, 0x3F800000,
                       0, 0, 0x3F800000, 0, 0,  0, 0, 0, 0,       0, 0});
    Canvas c(96, 48);
    ASSERT_TRUE(c.PlayEmf(b.Build(96, 48)));
    auto in = [](int x, int y, int l, int t, int r, int bo) {
        return x >= l && x < r && y >= t && y < bo;
    };
    EXPECT_EQ(c.Mismatches([&](int x, int y) -> int64_t {
        if (in(x, y, 4, 4, 24, 24)) {
            static const COLORREF q[4] = {kRed, kGreen, kBlue, kBlack};
            return q[((y - 4) / 10) * 2 + (x - 4) / 10];
        }
        if (x == 40 && y == 4) return kRed;
        if (x == 41 && y == 4) return kBlack;
        if (in(x, y, 40, 4, 50, 14) || in(x, y, 60, 4, 66, 10)) return kYellow;
        return kWhite;
    }),
              0);
}

TEST(EmfPlayback, PaletteColoursNameEntriesOfTheSelectedPalette) {
    Bytes entries;
    for (COLORREF c : {kRed, kGreen, kBlue}) Put32(entries, c);  // red, green, blue, flags
    EmfBuilder b;
    b.Record(49, {1, 0x300 | (3 << 16)}, entries).Record(48, {1});  // create and select
    b.Record(15, {5, 5, 0x01000002});                               // pixel in entry 2
    Bytes yellow;
    Put32(yellow, kYellow);
    b.Record(50, {1, 2, 1}, yellow);  // entry 2 becomes yellow
    b.Record(15, {6, 5, 0x01000002});
    Canvas c(96, 48);
    ASSERT_TRUE(c.PlayEmf(b.Build(96, 48)));
    EXPECT_EQ(c.At(5, 5), kBlue);
    EXPECT_EQ(c.At(6, 5), kYellow);
}

TEST(EmfPlayback, CommentsAndUnknownRecordsAreSkipped) {
    EmfBuilder b;
    NullPen(b).Record(kSelectObject, {kStock | BLACK_BRUSH}).Record(kRectangle, {0, 0, 10, 10});
    b.Record(kComment, {12, 0x2B464D45, 1, 2, 3});  // a private comment
    b.Record(200, {1, 2, 3, 4});                    // no such record
    b.Record(kSetIcmMode, {2});
    b.Record(kRectangle, {20, 0, 30, 10});
    Canvas c(96, 48);
    ASSERT_TRUE(c.PlayEmf(b.Build(96, 48)));
    EXPECT_EQ(c.At(5, 5), kBlack);
    EXPECT_EQ(c.At(25, 5), kBlack);
}

TEST(EmfPlayback, RecordsThatLieStopPlaybackWithWhatWasDrawnKept) {
    const Bytes dib = Dib24(1, 1, {kRed});
    const struct {
        const char* what;
        std::function<void(EmfBuilder&)> lie;
    } cases[] = {
        {"more points than the record holds",
         [](EmfBuilder& b) {
             b.Record(kPolygon16, {0, 0, 0, 0, 4000}, Points16({0, 0, 5, 5}));
         }},
        {"counts that do not add up",
         [](EmfBuilder& b) {
             b.Record(kPolyPolygon16, {0, 0, 0, 0, 2, 4, 3, 3}, Points16({0, 0, 5, 0, 0, 5, 1, 1}));
         }},
        {"a size that is not a multiple of four",
         [](EmfBuilder& b) {
             b.Raw({43, 0, 0, 0, 26, 0, 0, 0});
         }},
        {"a size of nothing",
         [](EmfBuilder& b) {
             b.Raw({43, 0, 0, 0, 0, 0, 0, 0});
         }},
        {"a size beyond the file",
         [](EmfBuilder& b) {
             b.Raw({43, 0, 0, 0, 0, 0, 1, 0});
         }},
        {"pixels beyond the record",
         [&](EmfBuilder& b) {
             b.Record(kStretchDIBits,
                      {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 80, 40, 5000, 4, 0, SRCCOPY, 1, 1}, dib);
         }},
        {"text beyond the record",
         [](EmfBuilder& b) {
             b.Record(84, {0, 0, 0, 0, 1, 0, 0, 0, 0, 500, 76, 0, 0, 0, 0, 0, 0}, Utf16(u"ab"));
         }},
        {"a region of more rectangles than it holds",
         [](EmfBuilder& b) {
             Bytes region = RegionData({{0, 0, 4, 4}});
             region[8] = 99;
             b.Record(kExtSelectClipRgn, {int64_t(region.size()), RGN_COPY}, region);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EmfBuilder b;
        NullPen(b).Record(kSelectObject, {kStock | BLACK_BRUSH}).Record(kRectangle, {0, 0, 10, 10});
        c.lie(b);
        b.Record(kRectangle, {20, 0, 30, 10});
        Canvas canvas(96, 48);
        ASSERT_TRUE(canvas.PlayEmf(b.Build(96, 48)));
        EXPECT_EQ(canvas.At(5, 5), kBlack);   // drawn before the lie
        EXPECT_EQ(canvas.At(25, 5), kWhite);  // after it: never played
    }
}

TEST(EmfPlayback, ThePictureIsPlacedOnItsRectangleAndLeavesTheContextAsItWas) {
    EmfBuilder b;
    NullPen(b).Record(kSelectObject, {kStock | BLACK_BRUSH}).Record(kRectangle, {0, 0, 48, 48});
    b.Record(kSetMapMode, {MM_ANISOTROPIC})
        .Record(kSetWindowExt, {1, 1})
        .Record(kSetViewportExt, {5, 5});
    b.Record(kSaveDC, {}).Record(kSaveDC, {}).Record(kRestoreDC, {-5});  // cannot go back further
    b.Record(kRectangle, {0, 0, 1000, 1000});  // spills over the frame: kept inside
    Canvas c(40, 40);
    const Bytes emf = b.Build(96, 48);
    HENHMETAFILE m = SetEnhMetaFileBits(emf.data(), emf.size());
    SetViewportOrgEx(c.dc, 2, 0, nullptr);
    // Half size into (4, 4)–(52, 28), on a context moved two pixels right.
    ASSERT_TRUE(PlayEnhMetaFile(c.dc, m, {4, 4, 52, 28}));
    POINT origin;
    SetViewportOrgEx(c.dc, 0, 0, &origin);
    EXPECT_EQ(origin.x, 2);
    // The destination covers device pixels (6, 4)–(54, 28).
    EXPECT_EQ(c.At(6, 4), kBlack);
    EXPECT_EQ(c.At(39, 27), kBlack);
    EXPECT_EQ(c.At(5, 7), kWhite);
    EXPECT_EQ(c.At(6, 3), kWhite);
    EXPECT_EQ(c.At(6, 28), kWhite);
    EXPECT_EQ(SaveDC(c.dc), 1);  // the saved states of the picture are gone
    RECT clip;
    EXPECT_EQ(GetClipBox(c.dc, &clip), SIMPLEREGION);
    EXPECT_EQ(clip, (RECT{0, 0, 40, 40}));
}

TEST(EmfPlayback, TextTakesItsAdvancesBackgroundAndColourFromTheRecords) {
    // A font record: height −16, weight 400, face "Courier New".
    Bytes face = Utf16(u"Courier New");
    face.resize(64, 0);
    EmfBuilder b;
    b.Record(82, {1, -16, 0, 0, 0, 400, 0, 0}, face).Record(kSelectObject, {1});
    b.Record(24, {kBlue});  // text colour
    b.Record(kSetBkMode, {TRANSPARENT});
    // Two characters at (10, 10), the second 50 units after the first, in an opaque
    // yellow rectangle (10, 30)–(90, 40).
    Bytes tail = Utf16(u"II");
    Put32(tail, 50), Put32(tail, 10);
    b.Record(kSetBkColor, {kYellow});
    b.Record(84, {0, 0, 0, 0, GM_COMPATIBLE, 0, 0, 10, 10, 2, 76, ETO_OPAQUE, 10, 30, 90, 40, 80},
             tail);
    Canvas c(96, 48);
    ASSERT_TRUE(c.PlayEmf(b.Build(96, 48)));
    // Ink about each character's cell, the rectangle yellow where no ink lies on it.
    int left = 0, right = 0, elsewhere = 0, white = 0;
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 96; ++x) {
            const COLORREF p = c.At(x, y);
            const bool inRect = x >= 10 && x < 90 && y >= 30 && y < 40;
            if (p == kYellow) {
                elsewhere += !inRect;
            } else if (p == kWhite) {
                white += inRect;
            } else if (x >= 8 && x < 22) {
                ++left;
            } else if (x >= 58 && x < 72) {
                ++right;
            } else {
                ++elsewhere;
            }
        }
    EXPECT_GT(left, 5);
    EXPECT_GT(right, 5);
    EXPECT_EQ(elsewhere, 0);
    EXPECT_EQ(white, 0);
}
