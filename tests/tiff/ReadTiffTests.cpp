// Decoding TIFF directories into a bitmap: the four kinds, the messages and what each
// failure leaves in the target.
#include <gtest/gtest.h>

#include "formats/tiff/TiffMessages.h"
#include "platform/runtime/Exceptions.h"
#include "tests/tiff/TiffTestSupport.h"

using namespace vardel;
using namespace vardel::testing;

namespace {

const TColor kMarker = Rgb(1, 2, 3);

// Loads the bytes from a file of their own into a target that shows kMarker before.
struct TLoad {
    TBitmap target;
    std::vector<std::string> messages;
    explicit TLoad(const std::vector<uint8_t>& bytes) {
        target.SetSize(1, 1);
        target.Surface().WritePixel(0, 0, kMarker);
        TTempDir dir;
        TMessageLog log;
        ReadTiffFile(dir.Write("image.tif", bytes), target);
        messages = log.Texts();
    }
    std::vector<TColor> Pixels() { return PixelsOf(target); }
};

TDirectorySpec Without(TDirectorySpec spec, uint16_t tag) {
    std::erase_if(spec.entries, [tag](const TEntrySpec& e) { return e.tag == tag; });
    return spec;
}

TDirectorySpec With(TDirectorySpec spec, TEntrySpec entry) {
    spec = Without(std::move(spec), entry.tag);
    spec.entries.push_back(std::move(entry));
    return spec;
}

// An 8-bit grey 2 × 1 image of levels 10 and 20.
TDirectorySpec SmallGrey() {
    return ImageDirectory(2, 1, {8}, 1, {10, 20}, 1);
}

// 16 ColorMap triples: red i * 0x1111, green 0xFFFF for entry 0 and 0x00FF after, blue 0x8000.
std::vector<uint32_t> SixteenColours() {
    std::vector<uint32_t> map;
    for (int i = 0; i < 16; ++i) map.push_back(i * 0x1111);
    for (int i = 0; i < 16; ++i) map.push_back(i == 0 ? 0xFFFF : 0x00FF);
    map.insert(map.end(), 16, 0x8000);
    return map;
}

}  // namespace

TEST(ReadTiff, EachKindInBothByteOrders) {
    std::vector<uint8_t> rgb, rgba;  // 5 × 2 pixels, red i, green 100 + i, blue 200 + i
    std::vector<TColor> rgbPixels;
    for (int i = 0; i < 10; ++i) {
        const auto r = static_cast<uint8_t>(i), g = static_cast<uint8_t>(100 + i),
                   b = static_cast<uint8_t>(200 + i);
        rgb.insert(rgb.end(), {r, g, b});
        rgba.insert(rgba.end(), {r, g, b, static_cast<uint8_t>(i * 25)});
        rgbPixels.push_back(Rgb(r, g, b));
    }
    std::vector<uint8_t> grey5(15);  // width 5: rows padded from 5 to 8 bytes
    std::vector<TColor> grey5Pixels, grey5White;
    for (int i = 0; i < 15; ++i) {
        grey5[i] = static_cast<uint8_t>(i * 17);
        grey5Pixels.push_back(Grey(i * 17));
        grey5White.push_back(Grey(255 - i * 17));
    }
    // Bilevel, width 10 (two bytes a row, leftmost pixel in bit 7).
    const std::vector<uint8_t> bilevel = {0b10110000, 0b01000000, 0b00000000, 0b11000000};
    std::vector<TColor> ones, zeros;
    for (char bit : std::string("10110000010000000011")) {
        ones.push_back(bit == '1' ? Grey(255) : Grey(0));
        zeros.push_back(bit == '1' ? Grey(0) : Grey(255));
    }
    TDirectorySpec rgbaSpec = ImageDirectory(5, 2, {8, 8, 8, 8}, 2, rgba, 1);
    rgbaSpec.entries.push_back({277, kShort, {4}});  // SamplesPerPixel
    rgbaSpec.entries.push_back({338, kShort, {2}});  // ExtraSamples: unassociated alpha
    TDirectorySpec rgbStated = ImageDirectory(5, 2, {8}, 2, rgb, 2);  // one BitsPerSample for all
    rgbStated.entries.push_back({277, kShort, {3}});
    rgbStated.entries.push_back({284, kShort, {1}});  // PlanarConfiguration: interleaved
    TDirectorySpec palette8 = ImageDirectory(4, 1, {8}, 3, {0, 5, 15, 200}, 1);
    palette8.entries.push_back({320, kShort, SixteenColours()});
    TDirectorySpec palette4 = ImageDirectory(3, 1, {4}, 3, {0x1F, 0x50}, 1);
    palette4.entries.push_back({320, kShort, SixteenColours()});

    struct Case {
        const char* what;
        TDirectorySpec spec;
        std::vector<TColor> pixels;
    };
    const std::vector<Case> cases = {
        {"grey 8, padded rows, strips of 2", ImageDirectory(5, 3, {8}, 1, grey5, 2), grey5Pixels},
        {"grey 8, width 8",
         ImageDirectory(8, 1, {8}, 1, {0, 1, 2, 3, 252, 253, 254, 255}, 1),
         {Grey(0), Grey(1), Grey(2), Grey(3), Grey(252), Grey(253), Grey(254), Grey(255)}},
        {"grey 4: 15 is white, 1 is 17",
         ImageDirectory(3, 2, {4}, 1, {0x01, 0xF0, 0x87, 0x20}, 1),
         {Grey(0), Grey(17), Grey(255), Grey(136), Grey(119), Grey(34)}},
        {"grey 8 WhiteIsZero", ImageDirectory(5, 3, {8}, 0, grey5, 3), grey5White},
        {"grey 4 WhiteIsZero",
         ImageDirectory(3, 1, {4}, 0, {0x0F, 0x10}, 1),
         {Grey(255), Grey(0), Grey(238)}},
        {"bilevel BlackIsZero", ImageDirectory(10, 2, {1}, 1, bilevel, 1), ones},
        {"bilevel WhiteIsZero", ImageDirectory(10, 2, {1}, 0, bilevel, 1), zeros},
        {"bilevel without BitsPerSample", Without(ImageDirectory(10, 2, {1}, 0, bilevel, 2), 258),
         zeros},
        // Values past the 16 map entries keep the grey ramp; 0xFFFF gives 255, 0x00FF 0.
        {"palette 8",
         palette8,
         {Rgb(0, 255, 128), Rgb(0x55, 0, 128), Rgb(0xFF, 0, 128), Grey(200)}},
        {"palette 4", palette4, {Rgb(0x11, 0, 128), Rgb(0xFF, 0, 128), Rgb(0x55, 0, 128)}},
        {"RGB, padded rows", ImageDirectory(5, 2, {8, 8, 8}, 2, rgb, 1), rgbPixels},
        {"RGB, samples and planes stated", rgbStated, rgbPixels},
        {"RGB with alpha", rgbaSpec, rgbPixels},
    };
    for (bool intel : {true, false}) {
        for (const Case& c : cases) {
            TLoad load(BuildTiff(intel, {c.spec}));
            EXPECT_EQ(load.messages, std::vector<std::string>{}) << c.what;
            EXPECT_EQ(load.Pixels(), c.pixels) << c.what << (intel ? " II" : " MM");
        }
    }
}

TEST(ReadTiff, EveryMessageAndWhatItEnds) {
    const TDirectorySpec rgb = ImageDirectory(2, 1, {8, 8, 8}, 2, std::vector<uint8_t>(6, 50), 1);
    const TDirectorySpec palette =
        With(ImageDirectory(2, 1, {8}, 3, {1, 2}, 1), {320, kShort, std::vector<uint32_t>(768)});
    const TDirectorySpec bilevel = ImageDirectory(2, 1, {1}, 0, {0xC0}, 1);
    auto compressed = [](TDirectorySpec spec) { return With(std::move(spec), {259, kShort, {5}}); };
    TDirectorySpec noStrips = SmallGrey(), shortStrip = SmallGrey(), pastTheEnd = SmallGrey();
    noStrips.strips.clear();
    shortStrip.strips[0].pop_back();
    pastTheEnd.strips.clear();
    pastTheEnd.entries.push_back({273, kLong, {100000}});
    pastTheEnd.entries.push_back({279, kLong, {2}});
    using namespace tiffmsg;
    struct Case {
        TDirectorySpec bad;
        std::string message;
        bool endsTheLoad;
    };
    const std::vector<Case> cases = {
        {Without(SmallGrey(), 262), kNoPhotometric, true},
        {With(SmallGrey(), {262, kShort, {5}}), std::string(kBadPhotometric) + "5", true},
        {Without(SmallGrey(), 256), kNoWidth, false},
        {Without(rgb, 257), kNoHeight, false},
        {Without(palette, 259), kNoCompression, false},
        {compressed(bilevel), CompressedMessage(kCompressedBilevel), false},
        {compressed(SmallGrey()), CompressedMessage(kCompressedGrey), false},
        {compressed(palette), CompressedMessage(kCompressedPalette), false},
        {compressed(rgb), CompressedMessage(kCompressedRgb), false},
        {Without(palette, 258), kNoBitsPerSample, false},
        {Without(rgb, 258), kNoBitsPerSample, false},
        {Without(palette, 320), kNoColorMap, false},
        {With(rgb, {258, kShort, {8, 8, 16}}), kRgbBits, false},
        {With(With(rgb, {258, kShort, {8, 8, 8, 16}}), {277, kShort, {4}}), kRgbBits, false},
        {With(rgb, {284, kShort, {2}}), kRgbPlanar, false},
        {With(palette, {277, kShort, {2}}), kPaletteSamples, false},  // an alpha sample
        {noStrips, kImageData, false},
        {shortStrip, kImageData, false},
        {pastTheEnd, kImageData, false},
    };
    for (bool intel : {true, false}) {
        for (const Case& c : cases) {
            TLoad load(BuildTiff(intel, {c.bad, SmallGrey()}));
            EXPECT_EQ(load.messages, std::vector<std::string>{c.message});
            // A skipped directory lets the next one decode; an ended load leaves the target.
            const std::vector<TColor> kept = {kMarker}, next = {Grey(10), Grey(20)};
            EXPECT_EQ(load.Pixels(), c.endsTheLoad ? kept : next) << c.message;
        }
    }
    EXPECT_EQ(
        CompressedMessage(kCompressedRgb),
        "Cant read compressed RGB Full Color Image\r\rfeel free to implement this type of image\r"
        "and send it back to the Vardel project's issue tracker");

    // Checks that only a direct call of a reader reaches.
    TTempDir dir;
    TMessageLog log;
    const std::string path =
        dir.Write("x.tif", BuildTiff(true, {With(SmallGrey(), {258, kShort, {2}}),
                                            Without(SmallGrey(), 258), Without(bilevel, 262)}));
    TFileTiff file;
    file.SetFileName(path);
    TBitmap target;
    ReadGrayImage(path, *file.GetDirectory(0), target);
    ReadGrayImage(path, *file.GetDirectory(1), target);
    ReadBilevelImage(path, *file.GetDirectory(2), target);
    EXPECT_EQ(log.Texts(), (std::vector<std::string>{kGreyBits, kNoBitsPerSample, kNoPhotometric}));
}

TEST(ReadTiff, BitsStoredLowestFirstAtEveryDepth) {
    // Each image once as stored normally and once with the bits of every byte reversed
    // and FillOrder 2: both show the same pixels.
    auto reversed = [](TDirectorySpec spec) {
        for (auto& strip : spec.strips)
            for (uint8_t& byte : strip) {
                uint8_t r = 0;
                for (int bit = 0; bit < 8; ++bit) r |= ((byte >> bit) & 1) << (7 - bit);
                byte = r;
            }
        return With(std::move(spec), {266, kShort, {2}});
    };
    std::vector<uint8_t> rgba(24);
    for (size_t i = 0; i < rgba.size(); ++i) rgba[i] = static_cast<uint8_t>(i * 37 + 1);
    TDirectorySpec rgbaSpec =
        With(ImageDirectory(3, 2, {8, 8, 8, 8}, 2, rgba, 1), {277, kShort, {4}});
    TDirectorySpec palette4 = ImageDirectory(3, 1, {4}, 3, {0x1F, 0x50}, 1);
    palette4.entries.push_back({320, kShort, SixteenColours()});
    const std::vector<TDirectorySpec> images = {
        ImageDirectory(10, 2, {1}, 0, {0b10110000, 0b01000000, 0b00000001, 0b11000000}, 1),
        ImageDirectory(3, 2, {4}, 1, {0x01, 0xF0, 0x87, 0x20}, 2),
        ImageDirectory(5, 1, {8}, 1, {1, 2, 64, 128, 255}, 1),
        palette4,
        ImageDirectory(2, 2, {8, 8, 8}, 2, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, 1),
        rgbaSpec,
    };
    for (bool intel : {true, false}) {
        for (const TDirectorySpec& image : images) {
            const std::vector<TColor> plain = TLoad(BuildTiff(intel, {image})).Pixels();
            ASSERT_NE(plain, std::vector<TColor>{kMarker});
            EXPECT_EQ(TLoad(BuildTiff(intel, {reversed(image)})).Pixels(), plain);
            // FillOrder 1 is the default said out loud.
            EXPECT_EQ(TLoad(BuildTiff(intel, {With(image, {266, kShort, {1}})})).Pixels(), plain);
        }
    }
}

TEST(ReadTiff, DirectoriesInTurnAndWhatTheTargetKeeps) {
    // Both decode: the target shows the second.
    EXPECT_EQ(
        TLoad(BuildTiff(false, {SmallGrey(), ImageDirectory(1, 1, {8}, 1, {99}, 1)})).Pixels(),
        std::vector<TColor>{Grey(99)});
    // 16-bit grey is passed over without a word; a 2-bit palette has no bitmap
    // description, and the picture before it stays.
    TDirectorySpec twoBits = ImageDirectory(4, 1, {2}, 3, {0x1B}, 1);
    twoBits.entries.push_back({320, kShort, std::vector<uint32_t>(12, 0)});
    TLoad skipped(
        BuildTiff(true, {SmallGrey(), ImageDirectory(1, 1, {16}, 1, {1, 2}, 1), twoBits}));
    EXPECT_EQ(skipped.Pixels(), (std::vector<TColor>{Grey(10), Grey(20)}));
    EXPECT_TRUE(skipped.messages.empty());
    // A bad header: the message, and the target as it was.
    TLoad bad({'I', 'I', 43, 0, 8, 0, 0, 0});
    ASSERT_EQ(bad.messages.size(), 1u);
    EXPECT_TRUE(bad.messages[0].starts_with("<") &&
                bad.messages[0].ends_with("image.tif> is not a valid TIFF file"));
    EXPECT_EQ(bad.Pixels(), std::vector<TColor>{kMarker});
    // A missing name becomes an empty TIFF file: nothing to show and nothing to say.
    TTempDir dir;
    TMessageLog log;
    TBitmap target;
    ReadTiffFile(dir.Path("missing.tif"), target);
    EXPECT_EQ(ReadAll(dir.Path("missing.tif")).size(), 8u);
    EXPECT_TRUE(log.Texts().empty());
    EXPECT_TRUE(target.IsEmpty());
}

TEST(ReadTiff, LimitsRaiseTheRuntimeErrors) {
    TTempDir dir;
    TMessageLog log;
    TBitmap target;
    EXPECT_THROW(
        ReadTiffFile(dir.Write("wide.tif",
                               BuildTiff(true, {ImageDirectory(70000, 1, {8}, 1,
                                                               std::vector<uint8_t>(70000), 1)})),
                     target),
        ERangeError);
    // 257 directories: the first 256 decode, then the range error.
    std::vector<TDirectorySpec> many(257, ImageDirectory(1, 1, {8}, 1, {1}, 1));
    many[255] = ImageDirectory(1, 1, {8}, 1, {42}, 1);
    EXPECT_THROW(ReadTiffFile(dir.Write("many.tif", BuildTiff(true, many)), target), ERangeError);
    EXPECT_EQ(PixelsOf(target), std::vector<TColor>{Grey(42)});
    // 65535 × 5000 at one bit: 5000 strips of the same 8 KiB (the file's own arrays serve
    // as pixels), but the display bitmap would pass 1 GiB.
    TDirectorySpec huge = ImageDirectory(65535, 5000, {1}, 1, {}, 1);
    huge.strips.clear();
    huge.entries.push_back({273, kLong, std::vector<uint32_t>(5000, 8)});
    huge.entries.push_back({279, kLong, std::vector<uint32_t>(5000, 8192)});
    EXPECT_THROW(ReadTiffFile(dir.Write("huge.tif", BuildTiff(true, {huge})), target),
                 EOutOfMemory);
    // 65535 strips of the same 16385 bytes: over 1 GiB of strip data, refused before it
    // is allocated.
    TDirectorySpec strips = ImageDirectory(8, 65535, {8}, 1, {}, 1);
    strips.strips.clear();
    strips.entries.push_back({273, kLong, std::vector<uint32_t>(65535, 8)});
    strips.entries.push_back({279, kLong, std::vector<uint32_t>(65535, 16385)});
    EXPECT_THROW(ReadTiffFile(dir.Write("strips.tif", BuildTiff(true, {strips})), target),
                 EOutOfMemory);
    EXPECT_TRUE(log.Texts().empty());
    EXPECT_EQ(PixelsOf(target), std::vector<TColor>{Grey(42)});
}

TEST(ReadTiff, EveryCutOfAValidFileLoadsSafely) {
    std::vector<uint8_t> rgb;
    std::vector<TColor> rgbPixels;
    for (int i = 0; i < 15; ++i) {
        rgb.insert(rgb.end(), {static_cast<uint8_t>(i), static_cast<uint8_t>(2 * i),
                               static_cast<uint8_t>(3 * i)});
        rgbPixels.push_back(Rgb(i, 2 * i, 3 * i));
    }
    TDirectorySpec palette = ImageDirectory(3, 2, {4}, 3, {0x01, 0x20, 0x30, 0x00}, 1);
    std::vector<uint32_t> map(48, 0);
    for (int i = 0; i < 48; ++i) map[i] = (i % 16) << 12;  // entry i is grey 16 * i
    palette.entries.push_back({320, kShort, map});
    const std::vector<TColor> palettePixels = {Grey(0),    Grey(0x10), Grey(0x20),
                                               Grey(0x30), Grey(0),    Grey(0)};
    const std::vector<TColor> marker = {kMarker};
    for (bool intel : {true, false}) {
        const auto full = BuildTiff(intel, {ImageDirectory(5, 3, {8, 8, 8}, 2, rgb, 2), palette});
        EXPECT_EQ(TLoad(full).Pixels(), palettePixels);
        for (size_t n = 0; n < full.size(); ++n) {
            TLoad load({full.begin(), full.begin() + static_cast<ptrdiff_t>(n)});
            const auto pixels = load.Pixels();
            EXPECT_TRUE(pixels == marker || pixels == rgbPixels || pixels == palettePixels) << n;
            EXPECT_LE(load.messages.size(), 2u) << n;
        }
    }
}
