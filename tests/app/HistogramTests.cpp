#include "app/HistogramPlot.h"
#include "tests/app/WorkbenchFixture.h"

using namespace vardel;
using namespace vardel::test;

namespace {
constexpr TColor kWhite = 0xFFFFFF, kBlack = 0, kRed = 0x0000FF, kGreen = 0x008000,
                 kBlue = 0xFF0000;

TColor Plot(int x, int y) {
    return PixelOf(*Form3->Image2, x, y);
}

// The rows of column x that hold `color`.
std::vector<int> RowsOf(int x, TColor color) {
    std::vector<int> rows;
    for (int y = 0; y < 465; ++y)
        if (Plot(x, y) == color) rows.push_back(y);
    return rows;
}

std::vector<int> Range(int from, int to) {
    std::vector<int> r;
    for (int i = from; i <= to; ++i) r.push_back(i);
    return r;
}
}  // namespace

TEST_F(WorkbenchTest, TheGreyHistogramDrawsAxesAndRedBarsOfTheBlueCounts) {
    PutPicture(*Form1->Image1, 10, 10, [](int, int) { return Rgb(3, 200, 0x80); });
    Form1->HistogramaGris1->Click();
    EXPECT_TRUE(Form3->Showing());
    ASSERT_NE(HeldBitmap(*Form3->Image2), nullptr);
    EXPECT_EQ(SizeOf(*HeldBitmap(*Form3->Image2)), Size(505, 465));
    // The axes: column 50 from row 400 up to 120, row 400 from column 50 to 350.
    EXPECT_EQ(RowsOf(50, kBlack), Range(120, 400));
    for (int x = 50; x <= 350; ++x) EXPECT_EQ(Plot(x, 400), kBlack) << x;
    EXPECT_EQ(Plot(351, 400), kWhite);
    EXPECT_EQ(Plot(49, 400), kWhite);
    // 100 counts of 0x80: a bar of 11 pixels in column 179; one pixel everywhere else.
    EXPECT_EQ(RowsOf(179, kRed), Range(389, 399));
    for (int x = kPlotFirstColumn; x <= kPlotLastColumn; ++x)
        if (x != 179) {
            EXPECT_EQ(RowsOf(x, kRed), std::vector<int>{399}) << x;
        }
    EXPECT_TRUE(RowsOf(307, kRed).empty());

    // Drawing it again draws the same pixels.
    const std::vector<TColor> first = PixelsOf(*Form3->Image2);
    Form1->HistogramaGris1->Click();
    EXPECT_EQ(PixelsOf(*Form3->Image2), first);
}

TEST_F(WorkbenchTest, ChannelHistogramsPlotOnePointPerValueRoundingHalvesToEven) {
    // Blue counts: value 1 five times, 2 fifteen, 3 twenty-five, 4 twenty-six.
    PutPicture(*Form1->Image1, 71, 1, [](int x, int) {
        return Rgb(0, 0, x < 5 ? 1 : x < 20 ? 2 : x < 45 ? 3 : 4);
    });
    Form1->HistogramaAzul1->Click();
    EXPECT_EQ(Plot(52, 400), kBlue);  // 5 counts round to 0: the point sits on the axis
    EXPECT_EQ(Plot(53, 398), kBlue);  // 15 → 2
    EXPECT_EQ(Plot(54, 398), kBlue);  // 25 → 2
    EXPECT_EQ(Plot(55, 397), kBlue);  // 26 → 3
    EXPECT_EQ(Plot(54, 397), kWhite);
    for (int x : {51, 56, 200, 306}) EXPECT_EQ(Plot(x, 400), kBlue) << x;
    EXPECT_EQ(Plot(50, 400), kBlack);
    EXPECT_EQ(Plot(307, 400), kBlack);

    // Plots add up: red and green points show beside the blue ones.
    PutPicture(*Form1->Image1, 10, 10, [](int, int) { return Rgb(10, 20, 30); });
    Form1->HistogramaRojo1->Click();
    Form1->HistogramaVerde1->Click();
    EXPECT_EQ(Plot(61, 390), kRed);
    EXPECT_EQ(Plot(71, 390), kGreen);
    EXPECT_EQ(Plot(53, 398), kBlue);
    EXPECT_EQ(Plot(200, 400), kGreen);  // the last plot's zero marks lie on top
}

TEST_F(WorkbenchTest, HistogramsOfASinglePixelAndOfCountsBeyondTheWindow) {
    PutPicture(*Form1->Image1, 1, 1, [](int, int) { return Rgb(0, 0, 9); });
    Form1->HistogramaAzul1->Click();
    for (int x = kPlotFirstColumn; x <= kPlotLastColumn; ++x)
        EXPECT_EQ(RowsOf(x, kBlue), std::vector<int>{400});

    // 5000 counts: a bar of 501 pixels whose top 101 fall above the bitmap.
    PutPicture(*Form1->Image1, 100, 50, [](int, int) { return Rgb(0, 0, 0); });
    Form1->HistogramaGris1->Click();
    EXPECT_EQ(RowsOf(51, kRed), Range(0, 399));
    EXPECT_TRUE(messages.empty());
}

TEST_F(WorkbenchTest, TheHistogramWindowKeepsItsPlotWhenClosedAndBorrarHistogramaClearsIt) {
    PutPicture(*Form1->Image1, 10, 10, [](int, int) { return Rgb(0, 0, 0x80); });
    Form1->HistogramaAzul1->Click();
    Form3->Widget()->close();
    EXPECT_FALSE(Form3->Showing());
    EXPECT_EQ(Plot(179, 390), kBlue);

    PutPicture(*Form1->Image1, 10, 10, [](int, int) { return Rgb(0, 0, 0x40); });
    Form1->HistogramaGris1->Click();
    EXPECT_TRUE(Form3->Showing());
    EXPECT_EQ(Plot(179, 390), kBlue);
    EXPECT_EQ(RowsOf(115, kRed), Range(389, 399));

    Form1->BorrarHistograma1->Click();
    // White everywhere in those columns but on the axis row.
    std::vector<int> allButAxis = Range(0, 399);
    for (int y = 401; y < 465; ++y) allButAxis.push_back(y);
    for (int x = kPlotFirstColumn; x <= kPlotLastColumn; ++x) {
        EXPECT_EQ(RowsOf(x, kWhite), allButAxis) << x;
        EXPECT_EQ(Plot(x, 400), kBlack) << x;
    }
    EXPECT_EQ(RowsOf(50, kBlack), Range(120, 400));
    EXPECT_EQ(Plot(350, 400), kBlack);

    // The next histogram stands alone.
    Form1->HistogramaAzul1->Click();
    EXPECT_EQ(RowsOf(115, kBlue), std::vector<int>{390});
    EXPECT_TRUE(RowsOf(115, kRed).empty());
    EXPECT_TRUE(RowsOf(179, kBlue) == std::vector<int>{400});
}

TEST_F(WorkbenchTest, BorrarHistogramaBeforeAnyPlotAndHistogramsOfPicturesThatAreNoBitmaps) {
    Form1->BorrarHistograma1->Click();
    EXPECT_EQ(Form3->Image2->Picture().Graphic(), nullptr);
    EXPECT_FALSE(Form3->Showing());

    Form1->Image1->Picture().LoadFile(SaveIcon("picture.ico"));
    Form1->HistogramaRojo1->Click();
    EXPECT_EQ(messages, std::vector<std::string>{kNotABitmap});
    EXPECT_FALSE(Form3->Showing());
    EXPECT_EQ(Form3->Image2->Picture().Graphic(), nullptr);

    // An empty main view is counted as the white bitmap it gets.
    Form1->Image1->Picture().AssignGraphic(nullptr);
    Form1->HistogramaRojo1->Click();
    // 231441 counts of 255: the point lies far above the window.
    EXPECT_EQ(RowsOf(306, kRed), std::vector<int>{});
    EXPECT_EQ(Plot(306, 400), kBlack);
    EXPECT_EQ(RowsOf(305, kRed), std::vector<int>{400});
}
