// PNG files built chunk by chunk: every colour type and depth with its expected
// pixels, damaged and cut files, the size limits, and write-then-read round trips.
#include "platform/runtime/ByteOrder.h"
#include "platform/runtime/Streams.h"
#include "tests/png/PngTestSupport.h"

namespace vardel::test {
namespace {

void Load(TPngImage& image, const std::vector<uint8_t>& file) {
    TReadOnlyMemoryStream stream(file.data(), file.size());
    image.LoadStream(stream);
}

std::vector<uint8_t> Save(TPngImage& image) {
    TMemoryStream out;
    image.SaveStream(out);
    return out.TakeBytes();
}

TRgba Pixels(uint32_t width, uint32_t height, std::vector<uint8_t> rgba) {
    return {width, height, std::move(rgba)};
}

std::vector<uint8_t> Palette(std::initializer_list<uint8_t> rgb) {
    return rgb;
}

// Adam7 scanlines of 8-bit RGB pixels (filter type 0 everywhere).
std::vector<uint8_t> Interlaced(const TRgba& pixels) {
    struct Pass {
        uint32_t x0, y0, dx, dy;
    };
    static constexpr Pass kPasses[] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                       {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
    std::vector<uint8_t> lines;
    for (const Pass& p : kPasses) {
        if (p.x0 >= pixels.width) continue;
        for (uint32_t y = p.y0; y < pixels.height; y += p.dy) {
            lines.push_back(0);
            for (uint32_t x = p.x0; x < pixels.width; x += p.dx)
                for (int k = 0; k < 3; ++k)
                    lines.push_back(pixels.rgba[4 * (y * pixels.width + x) + k]);
        }
    }
    return lines;
}

TEST_F(PngTest, EveryColourTypeAndDepthReadsWithItsAlpha) {
    struct Case {
        const char* what;
        TPngFields fields;
        TRgba expected;
        int bits;
    };
    const std::vector<Case> cases = {
        {"grey, 1 bit",
         {3, 1, 1, 0, 0, {}, Unfiltered({{0b10100000}})},
         Pixels(3, 1, {255, 255, 255, 255, 0, 0, 0, 255, 255, 255, 255, 255}),
         24},
        {"grey, 2 bits",
         {4, 1, 2, 0, 0, {}, Unfiltered({{0b00011011}})},
         Pixels(4, 1, {0, 0, 0, 255, 85, 85, 85, 255, 170, 170, 170, 255, 255, 255, 255, 255}),
         24},
        {"grey, 4 bits, 15 keyed transparent",
         {2, 1, 4, 0, 0, {{"tRNS", {0, 15}}}, Unfiltered({{0xF7}})},
         Pixels(2, 1, {255, 255, 255, 0, 119, 119, 119, 255}),
         32},
        {"grey, 16 bits: the high byte",
         {2, 1, 16, 0, 0, {}, Unfiltered({{0x12, 0xFF, 0xAB, 0x01}})},
         Pixels(2, 1, {0x12, 0x12, 0x12, 255, 0xAB, 0xAB, 0xAB, 255}),
         24},
        {"RGB, 8 bits",
         {2, 1, 8, 2, 0, {}, Unfiltered({{1, 2, 3, 250, 251, 252}})},
         Pixels(2, 1, {1, 2, 3, 255, 250, 251, 252, 255}),
         24},
        {"RGB, 16 bits, a key that only the full samples match",
         {2,
          1,
          16,
          2,
          0,
          {{"tRNS", {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}}},
          Unfiltered({{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF}})},
         Pixels(2, 1, {255, 255, 255, 0, 255, 255, 255, 255}),
         32},
        {"palette, 2 bits",
         {3,
          1,
          2,
          3,
          0,
          {{"PLTE", Palette({10, 20, 30, 40, 50, 60, 70, 80, 90})}},
          Unfiltered({{0b10010000}})},
         Pixels(3, 1, {70, 80, 90, 255, 40, 50, 60, 255, 10, 20, 30, 255}),
         24},
        {"palette with a shorter tRNS: later entries opaque",
         {3,
          1,
          8,
          3,
          0,
          {{"PLTE", Palette({1, 1, 1, 2, 2, 2, 3, 3, 3})}, {"tRNS", {0, 128}}},
          Unfiltered({{0, 1, 2}})},
         Pixels(3, 1, {1, 1, 1, 0, 2, 2, 2, 128, 3, 3, 3, 255}),
         32},
        {"palette index beyond the palette: black",
         {2, 1, 8, 3, 0, {{"PLTE", Palette({9, 8, 7})}}, Unfiltered({{0, 200}})},
         Pixels(2, 1, {9, 8, 7, 255, 0, 0, 0, 255}),
         24},
        {"grey and alpha, 8 bits",
         {2, 1, 8, 4, 0, {}, Unfiltered({{50, 0, 60, 200}})},
         Pixels(2, 1, {50, 50, 50, 0, 60, 60, 60, 200}),
         32},
        {"grey and alpha, 16 bits",
         {1, 1, 16, 4, 0, {}, Unfiltered({{0x80, 0x7F, 0x40, 0xFF}})},
         Pixels(1, 1, {0x80, 0x80, 0x80, 0x40}),
         32},
        {"RGBA, 8 bits",
         {1, 2, 8, 6, 0, {}, Unfiltered({{1, 2, 3, 4}, {5, 6, 7, 255}})},
         Pixels(1, 2, {1, 2, 3, 4, 5, 6, 7, 255}),
         32},
        {"RGBA, 16 bits",
         {1, 1, 16, 6, 0, {}, Unfiltered({{0x10, 0x01, 0x20, 0x02, 0x30, 0x03, 0x40, 0x04}})},
         Pixels(1, 1, {0x10, 0x20, 0x30, 0x40}),
         32},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TPngImage image;
        Load(image, BuildPng(c.fields));
        EXPECT_EQ(image.Image().description.dsBm.bmBitsPixel, c.bits);
        EXPECT_EQ(image.HasAlpha(), c.bits == 32);
        EXPECT_TRUE(SameRgba(RgbaOf(image), c.expected));
        EXPECT_EQ(image.FileFacts().bitDepth, c.fields.depth);
        EXPECT_EQ(image.FileFacts().colorType, c.fields.colour);
    }

    // Interlaced: the seven passes assemble the same picture.
    const TRgba varied = VariedRgba(13, 11, false);
    TPngImage interlaced;
    Load(interlaced, BuildPng({13, 11, 8, 2, 1, {}, Interlaced(varied)}));
    EXPECT_TRUE(interlaced.FileFacts().interlaced);
    EXPECT_TRUE(SameRgba(RgbaOf(interlaced), varied));
}

// The reason libpng (or the reader) gives, inside the kind's message.
std::string Invalid(const std::string& reason) {
    return "PNG image is not valid (" + reason + ")";
}

TEST_F(PngTest, DamagedFilesAreRefusedWithTheirReasonAndThePictureStays) {
    const TRgba before = VariedRgba(3, 2, true);
    const std::vector<uint8_t> good = PngOf(VariedRgba(5, 4, false), false);
    auto with = [&](size_t at, std::initializer_list<uint8_t> bytes) {
        std::vector<uint8_t> file = good;
        std::copy(bytes.begin(), bytes.end(), file.begin() + static_cast<ptrdiff_t>(at));
        return file;
    };
    // IHDR fields start at 16; its CRC at 29; the IDAT chunk's data at 41.
    auto ihdr = [](uint32_t width, uint32_t height, uint8_t depth, uint8_t colour) {
        return BuildPng({width, height, depth, colour, 0, {}, Unfiltered({{0, 0, 0}})});
    };
    std::vector<uint8_t> noIend = good;
    noIend.resize(good.size() - 12);
    std::vector<uint8_t> shortData =
        BuildPng({5, 4, 8, 2, 0, {}, Unfiltered({std::vector<uint8_t>(15, 7)})});
    const std::vector<std::pair<std::vector<uint8_t>, std::string>> cases = {
        {{}, Invalid("the file ends early")},
        {{'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0, 0, 0}, Invalid("Not a PNG file")},
        {with(29, {0, 0, 0, 0}), Invalid("IHDR: CRC error")},
        {ihdr(0, 1, 8, 2), Invalid("Invalid IHDR data")},
        {ihdr(1, 1, 3, 0), Invalid("Invalid IHDR data")},
        {ihdr(1, 1, 8, 5), Invalid("Invalid IHDR data")},
        {ihdr(1000001, 1, 8, 2), Invalid("Invalid IHDR data")},
        {BuildPng({1, 1, 8, 3, 0, {}, Unfiltered({{0}})}),
         Invalid("IDAT: Missing PLTE before IDAT")},
        {noIend, Invalid("the file ends early")},
        {shortData, Invalid("Not enough image data")},
    };
    for (const auto& [file, message] : cases) {
        SCOPED_TRACE(message);
        TPngImage image;
        Load(image, PngOf(before, true));
        EXPECT_EQ(MessageOf<EInvalidGraphic>([&] { Load(image, file); }), message);
        EXPECT_TRUE(SameRgba(RgbaOf(image), before));
        EXPECT_TRUE(image.HasAlpha());
    }
    // Damaged image data: zlib's reason.
    TPngImage image;
    const std::string zlib = MessageOf<EInvalidGraphic>([&] {
        Load(image, with(43, {0xFF, 0xFF, 0xFF}));
    });
    EXPECT_EQ(zlib.rfind("PNG image is not valid (IDAT: ", 0), 0u) << zlib;
    EXPECT_TRUE(image.IsEmpty());
}

TEST_F(PngTest, FilesCutAtEveryLengthAreRefusedAndChangeNothing) {
    const TRgba before = VariedRgba(4, 3, false);
    const TRgba varied = VariedRgba(9, 7, false);
    for (const auto& file :
         {PngOf(VariedRgba(9, 7, true), true), BuildPng({9, 7, 8, 2, 1, {}, Interlaced(varied)})}) {
        TPngImage whole;
        Load(whole, file);
        ASSERT_EQ(whole.Width(), 9);
        for (size_t length = 0; length < file.size(); ++length) {
            TPngImage image;
            Load(image, PngOf(before, false));
            const std::vector<uint8_t> cut(file.begin(),
                                           file.begin() + static_cast<ptrdiff_t>(length));
            const std::string message = MessageOf<EInvalidGraphic>([&] { Load(image, cut); });
            ASSERT_EQ(message.rfind("PNG image is not valid (", 0), 0u)
                << length << ": " << message;
            ASSERT_TRUE(SameRgba(RgbaOf(image), before)) << length;
        }
    }
}

TEST_F(PngTest, PicturesPastTheLimitAreRefusedBeforeAllocating) {
    // 20000 × 20000 with alpha would take 1.6 GB: refused from the header alone.
    TPngImage image;
    Load(image, PngOf(VariedRgba(2, 2, false), false));
    const auto huge = BuildPng({20000, 20000, 8, 6, 0, {}, Unfiltered({{0}})});
    EXPECT_EQ(MessageOf<EOutOfMemory>([&] { Load(image, huge); }), "Out of memory");
    EXPECT_EQ(image.Width(), 2);
    // Wide but within every limit.
    const auto wide =
        BuildPng({16000, 1, 8, 2, 0, {}, Unfiltered({std::vector<uint8_t>(48000, 9)})});
    Load(image, wide);
    EXPECT_EQ(image.Width(), 16000);
}

TEST_F(PngTest, SavedFilesReadBackExactly) {
    auto colourType = [](const std::vector<uint8_t>& file) {
        return file.size() > 25 ? file[25] : -1;
    };
    // With alpha: RGBA, every value kept.
    const TRgba translucent = VariedRgba(17, 5, true);
    TPngImage image;
    Load(image, PngOf(translucent, true));
    std::vector<uint8_t> saved = Save(image);
    EXPECT_EQ(colourType(saved), 6);
    TPngImage again;
    Load(again, saved);
    EXPECT_TRUE(again.HasAlpha());
    EXPECT_TRUE(SameRgba(RgbaOf(again), translucent));

    // Without: RGB, and opened again as 24 bits.
    const TRgba opaque = VariedRgba(6, 9, false);
    Load(image, PngOf(opaque, false));
    saved = Save(image);
    EXPECT_EQ(colourType(saved), 2);
    Load(again, saved);
    EXPECT_EQ(again.PixelLayout(), TPixelLayout::Format24Bit);
    EXPECT_TRUE(SameRgba(RgbaOf(again), opaque));

    // An alpha channel that is opaque everywhere is not written.
    Load(image, PngOf(opaque, true));
    EXPECT_TRUE(image.HasAlpha());
    saved = Save(image);
    EXPECT_EQ(colourType(saved), 2);
    Load(again, saved);
    EXPECT_TRUE(SameRgba(RgbaOf(again), opaque));

    // 16-bit samples come back as their high bytes, the only loss.
    Load(image, BuildPng({1, 1, 16, 6, 0, {}, Unfiltered({{1, 2, 3, 4, 5, 6, 7, 8}})}));
    Load(again, Save(image));
    EXPECT_TRUE(SameRgba(RgbaOf(again), Pixels(1, 1, {1, 3, 5, 7})));

    // Other bitmaps given to a PNG picture are written with their colours, no alpha.
    TBitmap palette;
    palette.SetPixelLayout(TPixelLayout::Format8Bit);
    palette.SetSize(3, 2);
    palette.Surface().WritePixel(1, 1, clRed);
    const TRgba colours = RgbaOf(palette);
    image.Assign(&palette);
    EXPECT_FALSE(image.HasAlpha());
    saved = Save(image);
    EXPECT_EQ(colourType(saved), 2);
    Load(again, saved);
    EXPECT_TRUE(SameRgba(RgbaOf(again), colours));
    EXPECT_EQ(again.Surface().ReadPixel(1, 1), clRed);
}

}  // namespace
}  // namespace vardel::test
