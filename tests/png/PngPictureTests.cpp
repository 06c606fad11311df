// The PNG picture in the picture model: its registry row, the picture container and
// the view, drawing with alpha, pixel writes that keep the alpha, and vardel-cli.
#include "graphics/Image.h"
#include "graphics/Picture.h"
#include "tests/graphics/TestSupport.h"
#include "tests/png/PngTestSupport.h"

namespace vardel::test {
namespace {

fs::path WritePng(const fs::path& file, const TRgba& pixels, bool withAlpha) {
    WriteBytes(file, PngOf(pixels, withAlpha));
    return file;
}

TColor Color(uint8_t r, uint8_t g, uint8_t b) {
    return static_cast<TColor>(gdi::RGB(r, g, b));
}

TEST_F(PngTest, RegisteredAfterTheOtherKindsAndLoadedByThePictureContainer) {
    auto& list = TFileFormatsList::Instance();
    const TFileFormat last = list.Rows().back();
    EXPECT_EQ(last.extension, "png");
    EXPECT_EQ(last.description, "Portable Network Graphics");
    EXPECT_EQ(last.kind, &TPngImage::ClassInfo());
    EXPECT_EQ(list.Rows()[list.Rows().size() - 2].extension, "jpg");
    EXPECT_EQ(list.FindByExtension("PNG"), &TPngImage::ClassInfo());
    StopPngModule();
    EXPECT_EQ(list.FindByExtension("png"), nullptr);
    StartPngModule();

    // A typed name in any case loads; the picture is a bitmap.
    TPicture picture;
    int notified = 0;
    picture.OnModified = [&](TPicture*) { ++notified; };
    picture.LoadFile(WritePng(dir_ / "Picture.PNG", VariedRgba(5, 3, false), false).string());
    EXPECT_EQ(notified, 1);
    ASSERT_NE(dynamic_cast<TPngImage*>(picture.Graphic()), nullptr);
    EXPECT_EQ(picture.AsBitmap(), picture.Graphic());
    EXPECT_EQ(notified, 1);

    // A damaged file leaves the picture as it was, unnotified.
    WriteBytes(dir_ / "broken.png", {0x89, 'P', 'N', 'G'});
    EXPECT_EQ(MessageOf([&] { picture.LoadFile((dir_ / "broken.png").string()); }),
              "PNG image is not valid (the file ends early)");
    EXPECT_EQ(picture.Width(), 5);
    EXPECT_EQ(notified, 1);

    // Saved in its own format whatever the name says.
    picture.SaveFile((dir_ / "saved.bmp").string());
    const auto saved = ReadBytes(dir_ / "saved.bmp");
    ASSERT_GE(saved.size(), 8u);
    EXPECT_EQ(saved[1], 'P');
    TPngImage again;
    again.LoadFile((dir_ / "saved.bmp").string());
    EXPECT_TRUE(SameRgba(RgbaOf(again), VariedRgba(5, 3, false)));
}

TEST_F(PngTest, PixelWritesOnTheViewKeepTheAlpha) {
    TImage view("Image1");
    view.Picture().LoadFile(WritePng(dir_ / "a.png", VariedRgba(6, 4, true), true).string());
    TCanvas& surface = view.Surface();  // no "Can only modify an image if it contains a bitmap"
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            surface.WritePixel(x, y, (surface.ReadPixel(x, y) & 0xFF) * 0x10101);
    auto* png = dynamic_cast<TPngImage*>(view.Picture().Graphic());
    ASSERT_NE(png, nullptr);
    EXPECT_TRUE(png->HasAlpha());
    TRgba expected = VariedRgba(6, 4, true);
    for (size_t i = 0; i < expected.rgba.size(); i += 4)
        expected.rgba[i + 1] = expected.rgba[i + 2] = expected.rgba[i];
    EXPECT_TRUE(SameRgba(RgbaOf(*png), expected));

    // A copy shares the pixels until one side writes; the alpha stays on both sides.
    TPicture copy;
    copy.AssignGraphic(png);
    auto* shared = dynamic_cast<TPngImage*>(copy.Graphic());
    ASSERT_NE(shared, nullptr);
    EXPECT_EQ(shared->ShareCount(), 2);
    shared->Surface().WritePixel(0, 0, clBlue);
    EXPECT_EQ(png->ShareCount(), 1);
    EXPECT_TRUE(SameRgba(RgbaOf(*png), expected));
    expected.rgba[0] = 0, expected.rgba[1] = 0, expected.rgba[2] = 255;
    EXPECT_TRUE(SameRgba(RgbaOf(*shared), expected));

    // Saved and opened again, colours and alpha are those written.
    copy.SaveFile((dir_ / "b.png").string());
    TPngImage again;
    again.LoadFile((dir_ / "b.png").string());
    EXPECT_TRUE(SameRgba(RgbaOf(again), expected));
}

TEST_F(PngTest, DrawnOverWhatLiesBeneathByItsAlpha) {
    // Alpha 0, 64, 128 and 255 over a red target.
    TRgba pixels{4, 1, {0, 255, 0, 0, 0, 255, 0, 64, 0, 0, 255, 128, 10, 20, 30, 255}};
    TPngImage image;
    image.LoadFile(WritePng(dir_ / "a.png", pixels, true).string());
    auto mix = [](int s, int t, int a) {
        return static_cast<uint8_t>((s * a + t * (255 - a) + 127) / 255);
    };
    const std::vector<TColor> mixed = {clRed, Color(mix(0, 255, 64), mix(255, 0, 64), 0),
                                       Color(mix(0, 255, 128), 0, mix(255, 0, 128)),
                                       Color(10, 20, 30)};
    for (const TPixelLayout layout : {TPixelLayout::Format24Bit, TPixelLayout::Format32Bit}) {
        TBitmap target;
        target.SetPixelLayout(layout);
        Fill(target, 6, 3, clRed);
        target.Surface().DrawGraphic(1, 1, &image);
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(target.Surface().ReadPixel(1 + x, 1), mixed[size_t(x)]) << x;
        EXPECT_EQ(target.Surface().ReadPixel(0, 1), clRed);
        EXPECT_EQ(target.Surface().ReadPixel(5, 1), clRed);
        EXPECT_EQ(target.Surface().ReadPixel(1, 0), clRed);
        // Stretched to twice the size: each pixel covers two by two.
        Fill(target, 8, 2, clRed);
        target.Surface().DrawGraphicStretched({0, 0, 8, 2}, &image);
        for (int x = 0; x < 8; ++x)
            for (int y = 0; y < 2; ++y)
                EXPECT_EQ(target.Surface().ReadPixel(x, y), mixed[size_t(x / 2)]) << x;
    }
    // Without transparency the picture covers what was there.
    TPngImage opaque;
    opaque.LoadFile(WritePng(dir_ / "b.png", pixels, false).string());
    TBitmap target;
    Fill(target, 4, 1, clRed);
    target.Surface().DrawGraphic(0, 0, &opaque);
    EXPECT_EQ(target.Surface().ReadPixel(0, 0), Color(0, 255, 0));
    // Through 24 bits and back, the fourth byte no longer is alpha.
    image.SetPixelLayout(TPixelLayout::Format24Bit);
    image.SetPixelLayout(TPixelLayout::Format32Bit);
    EXPECT_FALSE(image.HasAlpha());
    target.Surface().DrawGraphic(0, 0, &image);
    EXPECT_EQ(target.Surface().ReadPixel(0, 0), Color(0, 255, 0));
}

TEST_F(PngTest, CompanionReportsConvertsAndSavesPngFiles) {
    const std::string cli = VARDEL_CLI;
    const TRgba pixels{2, 1, {0, 0, 255, 0, 200, 100, 50, 128}};
    const fs::path translucent = WritePng(dir_ / "translucent.png", pixels, true);
    int status = 0;
    EXPECT_EQ(
        Output(cli + " info " + Quote(translucent), status),
        "{\"kind\":\"png\",\"width\":2,\"height\":1,\"bits\":32,\"alpha\":true,\"bitDepth\":8,"
        "\"colour\":\"rgba\",\"interlaced\":false}\n");
    EXPECT_EQ(status, 0);

    // Converted: drawn on white, as BMP or, for a .png name, as PNG without alpha.
    const TRgba onWhite{2, 1, {255, 255, 255, 255, 227, 177, 152, 255}};
    for (const char* name : {"shown.bmp", "shown.PNG"}) {
        EXPECT_EQ(RunCommand(cli + " convert " + Quote(translucent) + " " + Quote(dir_ / name)), 0);
        TPicture shown;
        shown.LoadFile((dir_ / name).string());
        auto* bitmap = dynamic_cast<TBitmap*>(shown.Graphic());
        ASSERT_NE(bitmap, nullptr) << name;
        EXPECT_TRUE(SameRgba(RgbaOf(*bitmap), onWhite)) << name;
    }
    const auto converted = ReadBytes(dir_ / "shown.PNG");
    ASSERT_GT(converted.size(), 25u);
    EXPECT_EQ(converted[25], 2);  // RGB

    // A BMP converted to a .png name keeps its pixels.
    TBitmap bmp;
    Fill(bmp, 3, 2, Color(1, 2, 3));
    bmp.SaveFile((dir_ / "in.bmp").string());
    EXPECT_EQ(
        RunCommand(cli + " convert " + Quote(dir_ / "in.bmp") + " " + Quote(dir_ / "out.png")), 0);
    TPngImage fromBmp;
    fromBmp.LoadFile((dir_ / "out.png").string());
    EXPECT_EQ(fromBmp.Surface().ReadPixel(2, 1), Color(1, 2, 3));

    // save writes PNG, alpha included.
    EXPECT_EQ(RunCommand(cli + " save " + Quote(translucent) + " " + Quote(dir_ / "saved.png")), 0);
    TPngImage saved;
    saved.LoadFile((dir_ / "saved.png").string());
    EXPECT_TRUE(SameRgba(RgbaOf(saved), pixels));

    // A damaged file: the kind's message and status 1.
    WriteBytes(dir_ / "broken.png", {1, 2, 3, 4, 5, 6, 7, 8});
    EXPECT_EQ(Output(cli + " info " + Quote(dir_ / "broken.png") + " 2>&1", status),
              "PNG image is not valid (Not a PNG file)\n");
    EXPECT_EQ(status, 1);
}

}  // namespace
}  // namespace vardel::test
