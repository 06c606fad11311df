// Decoded pixels against libjpeg-turbo's own djpeg with the same settings.
#include <jerror.h>

#include "graphics/Picture.h"
#include "tests/jpeg/JpegTestSupport.h"

namespace vardel::test {
namespace {

TEST_F(JpegTest, DecodesLikeDjpegForEncoderVariants) {
    REQUIRE_JPEG_TOOLS();
    struct Case {
        const char* options;
        int width, height;
    };
    // Odd sizes leave partial blocks and partial MCUs at the right and bottom edges.
    const Case cases[] = {
        {"-quality 85", 64, 48},
        {"-progressive", 67, 45},
        {"-grayscale", 50, 33},
        {"-grayscale -progressive", 41, 29},
        {"-restart 1", 70, 40},
        {"-restart 3B -sample 2x2", 45, 37},
        {"-sample 2x2", 77, 53},
        {"-sample 1x1", 33, 65},
        {"-sample 2x1", 59, 31},
        {"-arithmetic", 48, 48},
        {"", 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options);
        const fs::path jpeg = MakeJpeg(dir_, "picture.jpg", c.width, c.height, c.options),
                       reference = dir_ / "djpeg.bmp";
        const bool grey = std::string(c.options).find("-grayscale") != std::string::npos;
        ASSERT_TRUE(Decompress(jpeg, reference, grey));

        TPicture picture;
        picture.LoadFile(jpeg.string());
        auto* image = dynamic_cast<TJPEGImage*>(picture.Graphic());
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->Grayscale(), grey);
        TBitmap& decoded = image->DecodeBitmap();
        // Grey output is quantised, to the decoder's grey map.
        EXPECT_EQ(decoded.PixelLayout(),
                  grey ? TPixelLayout::Format8Bit : TPixelLayout::Format24Bit);
        EXPECT_TRUE(SamePixels(decoded, reference));
        EXPECT_TRUE(DrawsLike(*image, reference));
    }
}

struct TEightBitDisplay {
    TEightBitDisplay() { gdi::SetDisplayBitsPerPixel(8); }
    ~TEightBitDisplay() { gdi::SetDisplayBitsPerPixel(32); }
};

// On an 8-bit display the module defaults to 8-bit palette bitmaps of at most 236
// colours.
class JpegEightBitTest : public ::testing::Test {
  protected:
    TEightBitDisplay display_;
    TPictureModules modules_;  // started on the 8-bit display
    TScratchDir dir_;
};

TEST_F(JpegEightBitTest, ColoursAreQuantisedLikeDjpegOrOntoTheHeldPalette) {
    REQUIRE_JPEG_TOOLS();
    EXPECT_EQ(JpegDefaults().OutputDepth, TJPEGOutputDepth::Depth8Bit);
    const fs::path reference = dir_ / "djpeg.bmp";
    for (const char* options : {"-sample 2x2", "-progressive"}) {
        SCOPED_TRACE(options);
        const fs::path jpeg = MakeJpeg(dir_, "colour.jpg", 61, 43, options);
        ASSERT_TRUE(Decompress(jpeg, reference, true));
        TJPEGImage image;
        image.LoadFile(jpeg.string());
        TBitmap& decoded = image.DecodeBitmap();
        EXPECT_EQ(decoded.PixelLayout(), TPixelLayout::Format8Bit);
        EXPECT_LE(gdi::GetObject(decoded.Palette()), 236);
        EXPECT_TRUE(SamePixels(decoded, reference));
    }

    // A held palette is the map that colours are quantised onto: here the eight
    // corners of the colour cube.
    gdi::LOGPALETTE cube;
    for (uint8_t i = 0; i < 8; ++i)
        cube.palPalEntry.push_back(
            {uint8_t(i & 1 ? 255 : 0), uint8_t(i & 2 ? 255 : 0), uint8_t(i & 4 ? 255 : 0), 0});
    const gdi::HPALETTE palette = gdi::CreatePalette(cube);
    TJPEGImage colour;
    colour.LoadFile(MakeJpeg(dir_, "colour.jpg", 32, 24).string());
    colour.SetPalette(palette);
    EXPECT_EQ(colour.Palette(), palette);
    EXPECT_EQ(gdi::GetObject(colour.DecodeBitmap().Palette()), 8);
    for (uint32_t pixel : Pixels(colour.DecodeBitmap()))
        for (int shift : {0, 8, 16})
            EXPECT_TRUE(((pixel >> shift) & 0xFF) % 255 == 0) << std::hex << pixel;

    // Also when every scan is shown: the final pass maps onto it as a plain decode.
    const fs::path progressive = MakeJpeg(dir_, "progressive.jpg", 32, 24, "-progressive");
    TJPEGImage plain, scans;
    plain.LoadFile(progressive.string());
    plain.SetPalette(palette);
    scans.LoadFile(progressive.string());
    TJPEGSettings settings = scans.Settings();
    settings.ShowScans = true;
    scans.SetSettings(settings);
    scans.SetPalette(palette);
    EXPECT_EQ(Pixels(scans.DecodeBitmap()), Pixels(plain.DecodeBitmap()));

    // Grey output cannot use a colour map; its pixels index the decoder's own grey
    // map, which the bitmap must then carry instead of the held palette.
    const fs::path greyJpeg = MakeJpeg(dir_, "grey.jpg", 32, 24, "-grayscale");
    TJPEGImage grey;
    grey.LoadFile(greyJpeg.string());
    grey.SetPalette(palette);
    ASSERT_TRUE(Decompress(greyJpeg, reference, true));
    EXPECT_TRUE(SamePixels(grey.DecodeBitmap(), reference));
}

TEST_F(JpegTest, ShowingScansEndsWithTheFullQualityPicture) {
    REQUIRE_JPEG_TOOLS();
    const fs::path jpeg = MakeJpeg(dir_, "progressive.jpg", 80, 60, "-progressive"),
                   reference = dir_ / "djpeg.bmp";
    TJPEGImage image;
    image.LoadFile(jpeg.string());
    EXPECT_TRUE(image.Settings().MultiScan);
    std::vector<int> endings;
    image.OnProgress = [&](TObject*, TProgressStage stage, uint8_t percent, bool, const gdi::RECT&,
                           const std::string&) {
        if (stage == TProgressStage::psEnding) endings.push_back(percent);
    };
    // Quick passes while the scans arrive, then the settings' own quality: at 24
    // bits, and at 8 bits with one-pass colours first and the two-pass map last.
    TJPEGSettings settings = image.Settings();
    settings.ShowScans = true;
    for (auto depth : {TJPEGOutputDepth::Depth24Bit, TJPEGOutputDepth::Depth8Bit}) {
        settings.OutputDepth = depth;
        image.SetSettings(settings);
        ASSERT_TRUE(Decompress(jpeg, reference, depth == TJPEGOutputDepth::Depth8Bit));
        EXPECT_TRUE(SamePixels(image.DecodeBitmap(), reference));
    }
    EXPECT_EQ(endings, (std::vector<int>{100, 100}));
}

TEST_F(JpegTest, TruncatedFilesDecodeQuietlyAndCorruptOnesKeepTheirRows) {
    REQUIRE_JPEG_TOOLS();
    const fs::path reference = dir_ / "djpeg.bmp", damaged = dir_ / "damaged.jpg";
    for (const char* options : {"", "-progressive"}) {
        SCOPED_TRACE(options);
        std::vector<uint8_t> bytes = ReadBytes(MakeJpeg(dir_, "whole.jpg", 64, 64, options));
        bytes.resize(bytes.size() * 6 / 10);
        WriteBytes(damaged, bytes);
        ASSERT_TRUE(Decompress(damaged, reference, false));
        TPicture picture;
        picture.LoadFile(damaged.string());
        EXPECT_TRUE(DrawsLike(*picture.Graphic(), reference));  // no error either
    }

    // A second frame header half way through the image data: the rows before it
    // decode, the rest is filled in, and then the library refuses the file.
    const fs::path whole = MakeJpeg(dir_, "whole.jpg", 64, 64);
    std::vector<uint8_t> bytes = ReadBytes(whole);
    const uint8_t frame[] = {0xFF, 0xC0, 0x00, 0x0B, 8, 0, 8, 0, 8, 1, 1, 0x11, 0};
    std::copy(std::begin(frame), std::end(frame),
              bytes.begin() + static_cast<ptrdiff_t>(bytes.size() / 2));
    WriteBytes(damaged, bytes);
    TPicture picture;
    picture.LoadFile(damaged.string());
    EXPECT_EQ(MessageOf<EJPEG>([&] { DrawsLike(*picture.Graphic(), reference); }),
              LibraryError(JERR_SOF_DUPLICATE));
    // Later draws show the kept rows without trying again: the first eight rows are
    // the sound file's.
    auto& image = dynamic_cast<TJPEGImage&>(*picture.Graphic());
    ASSERT_TRUE(image.Decoded());
    TBitmap shown;
    DrawOnBitmap(image, shown);
    TJPEGImage good;
    good.LoadFile(whole.string());
    const std::vector<uint32_t> expected = Pixels(good.DecodeBitmap());
    for (const std::vector<uint32_t>& kept : {Pixels(shown), Pixels(image.DecodeBitmap())}) {
        ASSERT_EQ(kept.size(), expected.size());
        EXPECT_TRUE(std::equal(expected.begin(), expected.begin() + 64 * 8, kept.begin()));
    }
}

}  // namespace
}  // namespace vardel::test
