#include <array>

#include "tests/app/WorkbenchFixture.h"

using namespace vardel;
using namespace vardel::test;

namespace {
constexpr TColor kWhite = 0xFFFFFF;

// The filter as the commands describe it, on red values; positions outside the
// picture read 255 (the invalid colour's red byte).
int Filter(const std::vector<std::vector<int>>& red, int x, int y) {
    static constexpr std::array<std::array<int, 3>, 3> w{{{1, -2, 1}, {-2, 4, -2}, {1, -2, 1}}};
    const int h = int(red.size()), wd = int(red[0].size());
    int s = 0;
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            const int xx = x + dx, yy = y + dy;
            const int r =
                (xx >= 0 && yy >= 0 && xx < wd && yy < h) ? red[size_t(yy)][size_t(xx)] : 255;
            s += w[size_t(dy + 1)][size_t(dx + 1)] * r;
        }
    return s < 0 ? 0 : s > 255 ? 255 : s;
}
}  // namespace

TEST_F(WorkbenchTest, Convol2FiltersTheMainViewIntoTheSecondView) {
    auto convolve3x3 = [&](std::function<TColor(int, int)> color) {
        PutPicture(*Form1->Image1, 3, 3, color);
        Form8->Image2->Picture().AssignGraphic(nullptr);
        Form1->Convol21->Click();
        return PixelOf(*Form8->Image2, 1, 1);
    };
    auto centre = [](TColor middle, TColor edge, TColor corner) {
        return [=](int x, int y) {
            return x == 1 && y == 1 ? middle : (x == 1 || y == 1) ? edge : corner;
        };
    };
    EXPECT_EQ(convolve3x3(centre(Rgb(60, 0, 0), 0, 0)), 240 * 0x10101);
    EXPECT_EQ(convolve3x3(centre(Rgb(100, 0, 0), 0, 0)), 255 * 0x10101);  // clamped
    EXPECT_EQ(convolve3x3(centre(0, Rgb(100, 0, 0), 0)), 0);              // −800
    // Green and blue play no part.
    EXPECT_EQ(convolve3x3(centre(Rgb(60, 200, 100), Rgb(0, 255, 255), Rgb(0, 9, 9))),
              240 * 0x10101);
    EXPECT_TRUE(Form8->Showing());
    // Only the one interior position is written; the empty view became white.
    EXPECT_EQ(HeldBitmap(*Form8->Image2)->Width(), 577);
    EXPECT_EQ(PixelOf(*Form8->Image2, 0, 0), kWhite);
    EXPECT_EQ(PixelOf(*Form8->Image2, 2, 1), kWhite);
    EXPECT_EQ(PixelOf(*Form8->Image2, 1, 2), kWhite);

    // One colour filters to black inside; the border keeps what the view held.
    PutPicture(*Form8->Image2, 8, 6, [](int, int) { return Rgb(1, 2, 3); });
    PutPicture(*Form1->Image1, 6, 5, [](int, int) { return Rgb(77, 10, 250); });
    Form1->Convol21->Click();
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x) {
            const bool interior = x >= 1 && x <= 4 && y >= 1 && y <= 3;
            EXPECT_EQ(PixelOf(*Form8->Image2, x, y), interior ? 0 : Rgb(1, 2, 3)) << x << "," << y;
        }
    // The main view is only read.
    EXPECT_EQ(PixelsOf(*Form1->Image1), std::vector<TColor>(30, Rgb(77, 10, 250)));
}

TEST_F(WorkbenchTest, Convol2OnATwoPixelHighPictureWritesNothingAndStillShowsForm8) {
    PutPicture(*Form1->Image1, 10, 2, [](int, int) { return Rgb(90, 0, 0); });
    Form1->Convol21->Click();
    EXPECT_TRUE(Form8->Showing());
    EXPECT_EQ(Form8->Image2->Picture().Graphic(), nullptr);

    Form8->Image2->Picture().LoadFile(SaveIcon("second.ico"));
    PutPicture(*Form1->Image1, 4, 4, [](int, int) { return Rgb(90, 0, 0); });
    Form1->Convol21->Click();
    EXPECT_EQ(messages, std::vector<std::string>{kNotABitmap});
}

TEST_F(WorkbenchTest, ConvolucionFiltersTheChosenFileInPlaceOverTheFixedViewArea) {
    std::vector<std::vector<int>> red(4, std::vector<int>(5));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x)
            red[size_t(y)][size_t(x)] = (x * 50 + y * 30 + (x * y) % 7 * 20) % 256;
    fileAnswers.push_back(SaveBitmap(
        "small.bmp", 5, 4, [&](int x, int y) { return Rgb(red[size_t(y)][size_t(x)], 17, 99); }));
    Form1->Convolucion1->Click();
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(Form8->Showing());
    ASSERT_EQ(fileRequests.size(), 1u);
    EXPECT_EQ(fileRequests[0].filter, "");

    // Written where it reads: later positions see the values written before them.
    // Rows 1 to 343 and columns 1 to 575 of the view are walked, so the picture's
    // last row and column are filtered too (their neighbours outside read 255); only
    // row 0 and column 0 keep their colours.
    for (int y = 1; y <= 3; ++y)
        for (int x = 1; x <= 4; ++x) red[size_t(y)][size_t(x)] = Filter(red, x, y);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x) {
            const bool written = x >= 1 && y >= 1;
            const TColor expected = written ? red[size_t(y)][size_t(x)] * 0x10101
                                            : Rgb(red[size_t(y)][size_t(x)], 17, 99);
            EXPECT_EQ(PixelOf(*Form8->Image2, x, y), expected) << x << "," << y;
        }
}

TEST_F(WorkbenchTest, ConvolucionCancelledOrWithABadFile) {
    // Cancelled: the filter still runs, on a new white 577 × 345 bitmap, unseen.
    Form1->Convolucion1->Click();
    EXPECT_FALSE(Form8->Showing());
    ASSERT_NE(HeldBitmap(*Form8->Image2), nullptr);
    EXPECT_EQ(SizeOf(*HeldBitmap(*Form8->Image2)), Size(577, 345));
    EXPECT_EQ(PixelOf(*Form8->Image2, 0, 0), kWhite);
    EXPECT_EQ(PixelOf(*Form8->Image2, 576, 344), kWhite);
    EXPECT_EQ(PixelOf(*Form8->Image2, 1, 1), 0);

    fileAnswers.push_back((dir / "picture.tif").string());
    Form1->Convolucion1->Click();
    EXPECT_EQ(messages, std::vector<std::string>{"Unknown picture file extension (.tif)"});
    EXPECT_TRUE(Form8->Showing());
}
