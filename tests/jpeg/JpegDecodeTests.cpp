// Decoded pixels against libjpeg-turbo's own djpeg with the same settings.
#include <jerror.h>

#include "formats/jpeg/Jpeg.h"
#include "graphics/Picture.h"
#include "platform/gdi/Gdi.h"
#include "tests/jpeg/JpegTestSupport.h"

namespace vardel::test {
namespace {

#define REQUIRE_JPEG_TOOLS() \
    if (!HaveJpegTools()) GTEST_SKIP() << "cjpeg/djpeg (libjpeg-turbo-progs) not installed"

struct EncoderCase {
    const char* name;
    const char* options;
    int width, height;
};

// Odd sizes leave partial blocks and partial MCUs at the right and bottom edges.
const EncoderCase kEncoderCases[] = {
    {"baseline", "-quality 85", 64, 48},
    {"progressive", "-progressive", 67, 45},
    {"greyscale", "-grayscale", 50, 33},
    {"greyscale progressive", "-grayscale -progressive", 41, 29},
    {"restart every row", "-restart 1", 70, 40},
    {"restart every 3 blocks", "-restart 3B -sample 2x2", 45, 37},
    {"4:2:0", "-sample 2x2", 77, 53},
    {"4:4:4", "-sample 1x1", 33, 65},
    {"4:2:2", "-sample 2x1", 59, 31},
    {"arithmetic coding", "-arithmetic", 48, 48},
    {"one pixel", "", 1, 1},
};

TEST_F(JpegTest, DecodesLikeDjpegForEncoderVariants) {
    REQUIRE_JPEG_TOOLS();
    for (const EncoderCase& c : kEncoderCases) {
        SCOPED_TRACE(c.name);
        const auto source = dir_ / "source.ppm", jpeg = dir_ / "picture.jpg",
                   reference = dir_ / "djpeg.bmp";
        WriteTestPicture(source, c.width, c.height);
        Compress(source, jpeg, c.options);
        const bool grey = std::string(c.options).find("-grayscale") != std::string::npos;
        ASSERT_TRUE(Decompress(jpeg, reference, grey));

        TPicture picture;
        picture.LoadFile(jpeg.string());
        auto* image = dynamic_cast<TJPEGImage*>(picture.Graphic());
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->Width(), c.width);
        EXPECT_EQ(image->Height(), c.height);
        EXPECT_EQ(image->Grayscale(), grey);
        EXPECT_FALSE(image->Decoded());

        TBitmap& decoded = image->DecodeBitmap();
        EXPECT_EQ(decoded.PixelLayout(),
                  grey ? TPixelLayout::Format8Bit : TPixelLayout::Format24Bit);
        EXPECT_TRUE(SamePixels(decoded, reference));

        // What the workbench shows: the picture drawn on a white 32-bit surface.
        TBitmap shown;
        shown.SetPixelLayout(TPixelLayout::Format32Bit);
        shown.SetSize(image->Width(), image->Height());
        shown.Surface().DrawGraphic(0, 0, image);
        EXPECT_TRUE(SamePixels(shown, reference));
    }
}

TEST_F(JpegTest, GreyOutputUsesTheDecodersGreyPalette) {
    REQUIRE_JPEG_TOOLS();
    const auto source = dir_ / "source.ppm", jpeg = dir_ / "grey.jpg";
    WriteTestPicture(source, 40, 30);
    Compress(source, jpeg, "-grayscale");
    TPicture picture;
    picture.LoadFile(jpeg.string());
    TBitmap& decoded = dynamic_cast<TJPEGImage*>(picture.Graphic())->DecodeBitmap();
    std::vector<gdi::PALETTEENTRY> entries(256);
    entries.resize(gdi::GetPaletteEntries(decoded.Palette(), 0, 256, entries.data()));
    ASSERT_GT(entries.size(), 1u);
    EXPECT_LE(entries.size(), 236u);
    for (const auto& e : entries) {
        EXPECT_EQ(e.peRed, e.peGreen);
        EXPECT_EQ(e.peGreen, e.peBlue);
    }
}

// The 8-bit display: pictures decode to palette bitmaps of at most 236 colours, the
// module default taken from the screen at start-up.
struct TEightBitDisplay {
    TEightBitDisplay() { gdi::SetDisplayBitsPerPixel(8); }
    ~TEightBitDisplay() { gdi::SetDisplayBitsPerPixel(32); }
};

class JpegEightBitTest : public ::testing::Test {
  protected:
    TEightBitDisplay display_;
    TPictureModules modules_;  // started on the 8-bit display
    TScratchDir dir_;
};

TEST_F(JpegEightBitTest, ColourFilesQuantiseLikeDjpeg) {
    REQUIRE_JPEG_TOOLS();
    EXPECT_EQ(JpegDefaults().OutputDepth, TJPEGOutputDepth::Depth8Bit);
    for (const char* options : {"-sample 2x2", "-progressive"}) {
        SCOPED_TRACE(options);
        const auto source = dir_ / "source.ppm", jpeg = dir_ / "colour.jpg",
                   reference = dir_ / "djpeg.bmp";
        WriteTestPicture(source, 61, 43);
        Compress(source, jpeg, options);
        ASSERT_TRUE(Decompress(jpeg, reference, true));

        TPicture picture;
        picture.LoadFile(jpeg.string());
        TBitmap& decoded = dynamic_cast<TJPEGImage*>(picture.Graphic())->DecodeBitmap();
        EXPECT_EQ(decoded.PixelLayout(), TPixelLayout::Format8Bit);
        EXPECT_LE(gdi::GetObject(decoded.Palette()), 236);
        EXPECT_TRUE(SamePixels(decoded, reference));
    }
}

TEST_F(JpegEightBitTest, HeldPaletteIsTheMapColoursAreQuantisedOnto) {
    REQUIRE_JPEG_TOOLS();
    const auto source = dir_ / "source.ppm", colour = dir_ / "colour.jpg", grey = dir_ / "grey.jpg";
    WriteTestPicture(source, 32, 24);
    Compress(source, colour, "");
    Compress(source, grey, "-grayscale");
    // Eight colours: the corners of the colour cube.
    gdi::LOGPALETTE cube;
    for (int i = 0; i < 8; ++i)
        cube.palPalEntry.push_back(
            {uint8_t(i & 1 ? 255 : 0), uint8_t(i & 2 ? 255 : 0), uint8_t(i & 4 ? 255 : 0), 0});
    const gdi::HPALETTE palette = gdi::CreatePalette(cube);

    TJPEGImage image;
    image.LoadFile(colour.string());
    image.SetPalette(palette);
    EXPECT_EQ(image.Palette(), palette);
    TBitmap& decoded = image.DecodeBitmap();
    EXPECT_EQ(gdi::GetObject(decoded.Palette()), 8);
    for (uint32_t pixel : Pixels(decoded))
        for (int shift : {0, 8, 16})
            EXPECT_TRUE(((pixel >> shift) & 0xFF) == 0 || ((pixel >> shift) & 0xFF) == 255);

    // Grey output cannot use a colour map; its pixels then index the decoder's own
    // grey map, which the bitmap must carry instead of the held palette.
    TJPEGImage greyImage;
    greyImage.LoadFile(grey.string());
    greyImage.SetPalette(palette);
    const auto reference = dir_ / "grey.bmp";
    ASSERT_TRUE(Decompress(grey, reference, true));
    EXPECT_TRUE(SamePixels(greyImage.DecodeBitmap(), reference));
}

TEST_F(JpegTest, ShowingScansEndsWithTheFullQualityPicture) {
    REQUIRE_JPEG_TOOLS();
    const auto source = dir_ / "source.ppm", jpeg = dir_ / "progressive.jpg",
               reference = dir_ / "djpeg.bmp";
    WriteTestPicture(source, 80, 60);
    Compress(source, jpeg, "-progressive");
    ASSERT_TRUE(Decompress(jpeg, reference, false));
    TJPEGImage image;
    image.LoadFile(jpeg.string());
    EXPECT_TRUE(image.Settings().MultiScan);
    TJPEGSettings settings = image.Settings();
    settings.ShowScans = true;
    image.SetSettings(settings);
    int endings = 0;
    image.OnProgress = [&](TObject*, TProgressStage stage, uint8_t percent, bool, const gdi::RECT&,
                           const std::string&) {
        if (stage == TProgressStage::psEnding) {
            ++endings;
            EXPECT_EQ(percent, 100);
        }
    };
    EXPECT_TRUE(SamePixels(image.DecodeBitmap(), reference));
    EXPECT_EQ(endings, 1);

    // The same on an 8-bit display: quick one-pass colours for the scans, then the
    // two-pass map for the final picture.
    settings.OutputDepth = TJPEGOutputDepth::Depth8Bit;
    image.SetSettings(settings);
    ASSERT_TRUE(Decompress(jpeg, reference, true));
    EXPECT_TRUE(SamePixels(image.DecodeBitmap(), reference));
}

TEST_F(JpegTest, TruncatedFileDecodesWithoutError) {
    REQUIRE_JPEG_TOOLS();
    const auto source = dir_ / "source.ppm", whole = dir_ / "whole.jpg", cut = dir_ / "cut.jpg";
    WriteTestPicture(source, 64, 64);
    for (const char* options : {"", "-progressive"}) {
        SCOPED_TRACE(options);
        Compress(source, whole, options);
        std::vector<uint8_t> bytes = ReadBytes(whole);
        bytes.resize(bytes.size() * 6 / 10);
        WriteBytes(cut, bytes);
        const auto reference = dir_ / "djpeg.bmp";
        ASSERT_TRUE(Decompress(cut, reference, false));

        TPicture picture;
        picture.LoadFile(cut.string());
        TBitmap shown;
        shown.SetPixelLayout(TPixelLayout::Format32Bit);
        shown.SetSize(64, 64);
        EXPECT_NO_THROW(shown.Surface().DrawGraphic(0, 0, picture.Graphic()));
        EXPECT_TRUE(SamePixels(shown, reference));
    }
}

TEST_F(JpegTest, CorruptFileKeepsItsPartlyDecodedBitmap) {
    REQUIRE_JPEG_TOOLS();
    const auto source = dir_ / "source.ppm", whole = dir_ / "whole.jpg",
               broken = dir_ / "broken.jpg";
    WriteTestPicture(source, 64, 64);
    Compress(source, whole, "");
    // A second frame header half way through the image data: the rows before it
    // decode, the rest is filled in, and the library then refuses the file.
    std::vector<uint8_t> bytes = ReadBytes(whole);
    const size_t middle = bytes.size() / 2;
    const uint8_t frame[] = {0xFF, 0xC0, 0x00, 0x0B, 8, 0, 8, 0, 8, 1, 1, 0x11, 0};
    std::copy(std::begin(frame), std::end(frame), bytes.begin() + static_cast<ptrdiff_t>(middle));
    WriteBytes(broken, bytes);

    TPicture picture;
    picture.LoadFile(broken.string());
    TBitmap shown;
    shown.SetPixelLayout(TPixelLayout::Format32Bit);
    shown.SetSize(64, 64);
    try {
        shown.Surface().DrawGraphic(0, 0, picture.Graphic());
        FAIL() << "the second frame header was accepted";
    } catch (const EJPEG& e) {
        EXPECT_EQ(e.Message(), "JPEG error #" + std::to_string(JERR_SOF_DUPLICATE));
    }
    auto* image = dynamic_cast<TJPEGImage*>(picture.Graphic());
    ASSERT_TRUE(image->Decoded());
    TBitmap& kept = image->DecodeBitmap();  // no second attempt, no second error
    ASSERT_EQ(kept.Width(), 64);

    // The top rows are the picture's own.
    TJPEGImage good;
    good.LoadFile(whole.string());
    const std::vector<uint32_t> expected = Pixels(good.DecodeBitmap()), partial = Pixels(kept);
    EXPECT_TRUE(std::equal(expected.begin(), expected.begin() + 64 * 8, partial.begin()));
    EXPECT_NO_THROW(shown.Surface().DrawGraphic(0, 0, picture.Graphic()));
}

}  // namespace
}  // namespace vardel::test
