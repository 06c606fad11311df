// "Cargar JPEG" and "Cargar Tiff", and what "Cargar GIF" does without its file.
#include <cstdio>
#include <fstream>

#include <jerror.h>
#include <jpeglib.h>

#include <QExposeEvent>
#include <QWindow>

#include "formats/jpeg/Jpeg.h"
#include "formats/tiff/TiffMessages.h"
#include "tests/app/FixedPathFixture.h"

using namespace vardel;
using namespace vardel::test;

TEST_F(FixedPathTest, CargarJpegLeavesTheRedChannelOnTheWindowAndNoPicture) {
    PutPicture(*Form1->Image1, 100, 80, [](int, int) { return Rgb(0, 200, 0); });
    Form1->Present();
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
    ASSERT_EQ(ShownOnForm1(70, 10), Rgb(0, 200, 0));
    PutJpeg(60, 30);
    Form1->CargarJPEG1->Click();
    EXPECT_TRUE(messages.empty());

    TJPEGImage reference;
    reference.LoadFile((drive / "1.jpg").string());
    TCanvas& decoded = reference.DecodeBitmap().Surface();
    int mismatches = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 60; ++x)
            if (ShownOnForm1(x, y) != Rgb(decoded.ReadPixel(x, y) & 0xFF, 0, 0)) ++mismatches;
    EXPECT_EQ(mismatches, 0);
    // The picture's red really varies, so the check above saw more than one value.
    EXPECT_NE(ShownOnForm1(2, 5), ShownOnForm1(57, 5));
    // Beyond the JPEG's area the window still shows Image1.
    EXPECT_EQ(ShownOnForm1(60, 10), Rgb(0, 200, 0));
    EXPECT_EQ(ShownOnForm1(10, 30), Rgb(0, 200, 0));

    // Nothing but the screen changed: Image1 keeps its picture, Form7 stays hidden, and
    // the next full repaint shows Image1 again.
    EXPECT_EQ(PixelsOf(*Form1->Image1), std::vector<TColor>(100 * 80, Rgb(0, 200, 0)));
    EXPECT_FALSE(Form7->Showing());
    Form1->InvalidateRect({0, 0, Form1->ClientWidth(), Form1->ClientHeight()});
    Form1->PaintNow();
    EXPECT_EQ(ShownOnForm1(5, 5), Rgb(0, 200, 0));
}

TEST_F(FixedPathTest, CargarJpegAndGifWithoutTheirFilesSayWhichNameTheyCouldNotOpen) {
    Form1->CargarJPEG1->Click();
    Form1->CargarGIF1->Click();
    EXPECT_EQ(messages, (std::vector<std::string>{"Cannot open file C:\\1.jpg.",
                                                  "Cannot open file C:\\DIDOR_AZE.gif."}));
    EXPECT_FALSE(Form7->Showing());
    EXPECT_EQ(Form7->Image7->Picture().Graphic(), nullptr);

    // A file that the JPEG reader refuses gives the reader's own message.
    PutFile("1.jpg", {'n', 'o', 't', ' ', 'a', ' ', 'J', 'P', 'E', 'G'});
    Form1->CargarJPEG1->Click();
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[2], "JPEG error #" + std::to_string(JERR_NO_SOI) + ".");
    EXPECT_FALSE(Form7->Showing());
}

TEST_F(FixedPathTest, CargarTiffDecodesIntoImage7AndForm7FollowsTheSize) {
    PutGreyTiff(40, 30, [](int x, int y) { return static_cast<uint8_t>(x * 5 + y); });
    Form1->CargarTiff1->Click();
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(dialogs.empty());
    EXPECT_TRUE(Form7->Showing());
    ASSERT_NE(HeldBitmap(*Form7->Image7), nullptr);
    EXPECT_EQ(SizeOf(*HeldBitmap(*Form7->Image7)), Size(40, 30));
    EXPECT_EQ(PixelOf(*Form7->Image7, 0, 0), Rgb(0, 0, 0));
    EXPECT_EQ(PixelOf(*Form7->Image7, 3, 2), 0x010101 * 17);
    EXPECT_EQ(PixelOf(*Form7->Image7, 39, 29), 0x010101 * 224);
    EXPECT_EQ(SizeOf(*Form7->Image7), Size(40, 30));
    EXPECT_EQ(ClientSizeOf(*Form7), Size(40, 30));
    EXPECT_EQ(Form1->Image1->Picture().Graphic(), nullptr);
}

TEST_F(FixedPathTest, CargarTiffShowsTheReadersMessagesAndStillShowsForm7) {
    PutGreyTiff(8, 4, [](int, int) { return uint8_t{77}; });
    Form1->CargarTiff1->Click();
    Form7->Dismiss();
    ASSERT_FALSE(Form7->Showing());

    // Not a TIFF at all: the reader says so, naming the file as the program wrote it,
    // and the bitmap keeps the earlier picture.
    PutFile("saturn.tif", {'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0});
    Form1->CargarTiff1->Click();
    EXPECT_EQ(dialogs, std::vector<std::string>{tiffmsg::NotTiffMessage("C:\\saturn.tif")});
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(Form7->Showing());
    EXPECT_EQ(PixelsOf(*Form7->Image7), std::vector<TColor>(8 * 4, 0x010101 * 77));
}

TEST_F(FixedPathTest, CargarTiffWithoutItsFileLeavesAnEmptyTiffAndShowsForm7) {
    // Not even the drive's folder exists yet.
    ASSERT_FALSE(fs::exists(drive));
    Form1->CargarTiff1->Click();
    EXPECT_TRUE(Form7->Showing());
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(dialogs.empty());
    ASSERT_TRUE(fs::exists(drive / "saturn.tif"));
    EXPECT_EQ(FirstBytes(drive / "saturn.tif", 100), std::string("II*\0\0\0\0\0", 8));

    // The empty file decodes nothing: a picture already there stays as it was.
    PutGreyTiff(5, 5, [](int x, int) { return static_cast<uint8_t>(x * 50); });
    Form1->CargarTiff1->Click();
    const std::vector<TColor> before = PixelsOf(*Form7->Image7);
    fs::remove(drive / "saturn.tif");
    Form1->CargarTiff1->Click();
    EXPECT_EQ(PixelsOf(*Form7->Image7), before);
    EXPECT_EQ(fs::file_size(drive / "saturn.tif"), 8u);
}

TEST_F(FixedPathTest, CargarTiffStopsBeforeForm7WhenTheReaderRaises) {
    // Wider than the reader takes: a range error, not a message of the reader's own.
    PutGreyTiff(70000, 1, [](int, int) { return uint8_t{1}; });
    Form1->CargarTiff1->Click();
    EXPECT_EQ(messages, std::vector<std::string>{"Range check error."});
    EXPECT_TRUE(dialogs.empty());
    EXPECT_FALSE(Form7->Showing());
}

TEST_F(FixedPathTest, UncoveredOrShownAgainTheMainWindowShowsImage1InsteadOfCargarJpegsDrawing) {
    PutPicture(*Form1->Image1, 100, 80, [](int, int) { return Rgb(0, 200, 0); });
    PutPicture(*Form7->Image7, 40, 30, [](int, int) { return Rgb(0, 0, 200); });
    PutJpeg(60, 30);
    Form1->Present();
    Form1->HistogramaGris1->Click();
    Form7->Present();
    auto settle = [] {
        for (int i = 0; i < 3; ++i) QApplication::processEvents();
    };
    auto shown = [](TForm* form, int x, int y) {
        return form->ClientWidget()->grab().toImage().pixelColor(x, y);
    };
    auto expose = [](TForm* form) {
        QExposeEvent uncovered(QRegion(0, 0, form->Widget()->width(), form->Widget()->height()));
        QApplication::sendEvent(form->Widget()->windowHandle(), &uncovered);
    };
    const std::vector<std::pair<std::string, std::function<void()>>> ways = {
        {"uncovered",
         [&] {
             for (TForm* form : std::vector<TForm*>{Form1, Form3, Form7}) expose(form);
         }},
        {"hidden and shown again",
         [&] {
             Form1->Widget()->hide();
             Form3->Dismiss();
             Form7->Dismiss();
             settle();
             Form1->Widget()->show();
             Form3->Present();
             Form7->Present();
         }},
    };
    for (const auto& [way, action] : ways) {
        // The windows shown are exposed first; then the drawing is made.
        settle();
        Form1->CargarJPEG1->Click();
        settle();
        const QColor drawn = shown(Form1, 5, 5);
        ASSERT_TRUE(drawn.red() > 0 && drawn.green() == 0 && drawn.blue() == 0) << way;
        action();
        settle();
        EXPECT_EQ(shown(Form1, 5, 5), QColor(0, 200, 0)) << way;
        EXPECT_EQ(ShownOnForm1(5, 5), Rgb(0, 200, 0)) << way;
        // Pictures in views stay: the histogram's axis and bar, and Form7's picture.
        EXPECT_EQ(shown(Form3, 16 + 50, 8 + 300), QColor(0, 0, 0)) << way;
        EXPECT_EQ(shown(Form3, 16 + 51, 8 + 300), QColor(255, 0, 0)) << way;
        EXPECT_EQ(shown(Form7, 5, 5), QColor(0, 0, 200)) << way;
    }
    EXPECT_TRUE(messages.empty());
}
