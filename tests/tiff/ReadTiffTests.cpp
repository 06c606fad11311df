// Decoding TIFF directories into a bitmap: the four kinds, the messages and what each
// failure leaves in the target.
#include <gtest/gtest.h>

#include "formats/tiff/ReadTiff.h"
#include "formats/tiff/TiffMessages.h"
#include "platform/runtime/Exceptions.h"
#include "tests/tiff/TiffTestSupport.h"

using namespace vardel;
using namespace vardel::testing;

namespace {

// Loads bytes written to a file of their own into `target`.
std::vector<std::string> Load(const std::vector<uint8_t>& bytes, TBitmap& target) {
    TTempDir dir;
    TMessageLog log;
    ReadTiffFile(dir.Write("image.tif", bytes), target);
    return log.Texts();
}

std::vector<TColor> Decode(const std::vector<uint8_t>& bytes,
                           std::vector<std::string>* messages = nullptr) {
    TBitmap target;
    const auto texts = Load(bytes, target);
    if (messages) *messages = texts;
    return PixelsOf(target);
}

// A one-by-one bitmap of a known colour, to see whether a load replaced it.
void Paint(TBitmap& bitmap, TColor color) {
    bitmap.SetSize(1, 1);
    bitmap.Surface().WritePixel(0, 0, color);
}

const TColor kMarker = Rgb(1, 2, 3);

// An 8-bit grey 2 × 1 image of levels 10 and 20.
TDirectorySpec SmallGrey() {
    return ImageDirectory(2, 1, {8}, 1, {10, 20}, 1);
}

TDirectorySpec Without(TDirectorySpec spec, uint16_t tag) {
    std::erase_if(spec.entries, [tag](const TEntrySpec& e) { return e.tag == tag; });
    return spec;
}

TDirectorySpec With(TDirectorySpec spec, TEntrySpec entry) {
    spec = Without(std::move(spec), entry.tag);
    spec.entries.push_back(std::move(entry));
    return spec;
}

}  // namespace

TEST(ReadTiff, GreyRowsArePaddedAndFourBitLevelsSpreadOverTheRange) {
    for (bool intel : {true, false}) {
        // Width 5 needs three pad bytes a row; width 8 none. Strips of 2 rows, the last short.
        std::vector<uint8_t> five(5 * 3), eight(8 * 3);
        for (size_t i = 0; i < five.size(); ++i) five[i] = static_cast<uint8_t>(i * 16);
        for (size_t i = 0; i < eight.size(); ++i) eight[i] = static_cast<uint8_t>(255 - i);
        std::vector<TColor> expect5, expect8;
        for (uint8_t v : five) expect5.push_back(Grey(v));
        for (uint8_t v : eight) expect8.push_back(Grey(v));
        EXPECT_EQ(Decode(BuildTiff(intel, {ImageDirectory(5, 3, {8}, 1, five, 2)})), expect5);
        EXPECT_EQ(Decode(BuildTiff(intel, {ImageDirectory(8, 3, {8}, 1, eight, 2)})), expect8);
        // Four bits, high nibble first, width 3 (two bytes a row): 15 is white, 1 is 17.
        const std::vector<uint8_t> nibbles = {0x01, 0xF0, 0x87, 0x20};
        EXPECT_EQ(
            Decode(BuildTiff(intel, {ImageDirectory(3, 2, {4}, 1, nibbles, 1)})),
            (std::vector<TColor>{Grey(0), Grey(17), Grey(255), Grey(136), Grey(119), Grey(34)}));
    }
}

TEST(ReadTiff, WhiteIsZeroGreyRunsFromWhiteToBlack) {
    for (bool intel : {true, false}) {
        EXPECT_EQ(Decode(BuildTiff(intel, {ImageDirectory(3, 1, {8}, 0, {0, 100, 255}, 1)})),
                  (std::vector<TColor>{Grey(255), Grey(155), Grey(0)}));
        EXPECT_EQ(Decode(BuildTiff(intel, {ImageDirectory(3, 1, {4}, 0, {0x0F, 0x10}, 1)})),
                  (std::vector<TColor>{Grey(255), Grey(0), Grey(238)}));
    }
}

TEST(ReadTiff, BilevelFollowsThePhotometricValue) {
    // Width 10: two bytes a row, bit 7 of the first byte leftmost.
    const std::vector<uint8_t> rows = {0b10110000, 0b01000000, 0b00000000, 0b11000000};
    const std::vector<int> bits = {1, 0, 1, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1};
    for (bool intel : {true, false}) {
        for (uint32_t photometric : {0u, 1u}) {
            std::vector<TColor> expect;
            for (int b : bits)
                expect.push_back((b == 1) == (photometric == 1) ? Grey(255) : Grey(0));
            EXPECT_EQ(Decode(BuildTiff(intel, {ImageDirectory(10, 2, {1}, photometric, rows, 1)})),
                      expect);
            // Without BitsPerSample the image is bilevel all the same.
            EXPECT_EQ(Decode(BuildTiff(
                          intel, {Without(ImageDirectory(10, 2, {1}, photometric, rows, 2), 258)})),
                      expect);
        }
    }
}

TEST(ReadTiff, PaletteTakesTheHighByteOfEachLevel) {
    for (bool intel : {true, false}) {
        // 16 triples: red i * 0x1111, green 0xFFFF for 0 and 0x00FF after, blue 0x8000.
        std::vector<uint32_t> map;
        for (int i = 0; i < 16; ++i) map.push_back(i * 0x1111);
        for (int i = 0; i < 16; ++i) map.push_back(i == 0 ? 0xFFFF : 0x00FF);
        for (int i = 0; i < 16; ++i) map.push_back(0x8000);
        TDirectorySpec spec = ImageDirectory(4, 1, {8}, 3, {0, 5, 15, 200}, 1);
        spec.entries.push_back({320, kShort, map});
        // Values past the 16 entries show the grey ramp.
        EXPECT_EQ(Decode(BuildTiff(intel, {spec})),
                  (std::vector<TColor>{Rgb(0, 255, 128), Rgb(0x55, 0, 128), Rgb(0xFF, 0, 128),
                                       Grey(200)}));
        // Four bits: the map of 16 entries serves every value.
        TDirectorySpec four = ImageDirectory(3, 1, {4}, 3, {0x1F, 0x50}, 1);
        four.entries.push_back({320, kShort, map});
        EXPECT_EQ(Decode(BuildTiff(intel, {four})),
                  (std::vector<TColor>{Rgb(0x11, 0, 128), Rgb(0xFF, 0, 128), Rgb(0x55, 0, 128)}));
    }
    // A map of more than 256 entries is not used: all grey ramp, no message.
    TDirectorySpec big = ImageDirectory(2, 1, {8}, 3, {7, 9}, 1);
    big.entries.push_back({320, kShort, std::vector<uint32_t>(3 * 257, 0)});
    std::vector<std::string> messages;
    EXPECT_EQ(Decode(BuildTiff(true, {big}), &messages), (std::vector<TColor>{Grey(7), Grey(9)}));
    EXPECT_TRUE(messages.empty());
}

TEST(ReadTiff, RgbExchangesRedAndBlueAndPadsRows) {
    std::vector<uint8_t> rows;
    std::vector<TColor> expect;
    for (int i = 0; i < 5 * 2; ++i) {
        rows.insert(rows.end(), {static_cast<uint8_t>(i), static_cast<uint8_t>(100 + i),
                                 static_cast<uint8_t>(200 + i)});
        expect.push_back(Rgb(i, 100 + i, 200 + i));
    }
    for (bool intel : {true, false}) {
        EXPECT_EQ(Decode(BuildTiff(intel, {ImageDirectory(5, 2, {8, 8, 8}, 2, rows, 1)})), expect);
        // BitsPerSample as one value for all three, SamplesPerPixel and PlanarConfiguration 1
        // stated.
        TDirectorySpec stated = ImageDirectory(5, 2, {8}, 2, rows, 2);
        stated.entries.push_back({277, kShort, {3}});
        stated.entries.push_back({284, kShort, {1}});
        EXPECT_EQ(Decode(BuildTiff(intel, {stated})), expect);
    }
}

TEST(ReadTiff, RgbWithExtraSamplesShowsTheFirstThree) {
    // Red, green, blue, alpha: the alpha sample must not shift the following pixels.
    std::vector<uint8_t> rows;
    std::vector<TColor> expect;
    for (int i = 0; i < 3 * 2; ++i) {
        rows.insert(rows.end(), {static_cast<uint8_t>(10 * i), static_cast<uint8_t>(i), 77, 0x80});
        expect.push_back(Rgb(10 * i, i, 77));
    }
    for (bool intel : {true, false}) {
        TDirectorySpec spec = ImageDirectory(3, 2, {8, 8, 8, 8}, 2, rows, 1);
        spec.entries.push_back({277, kShort, {4}});
        spec.entries.push_back({338, kShort, {2}});  // ExtraSamples: unassociated alpha
        EXPECT_EQ(Decode(BuildTiff(intel, {spec})), expect);
    }
    // An extra sample of other than 8 bits is refused like the colour samples.
    TDirectorySpec wide = ImageDirectory(3, 2, {8, 8, 8, 16}, 2, rows, 2);
    wide.entries.push_back({277, kShort, {4}});
    std::vector<std::string> messages;
    Decode(BuildTiff(true, {wide}), &messages);
    EXPECT_EQ(messages, std::vector<std::string>{tiffmsg::kRgbBits});
}

TEST(ReadTiff, EveryMessageAndWhatItEnds) {
    const std::vector<uint8_t> rgbRows(2 * 3, 50);
    const TDirectorySpec rgb = ImageDirectory(2, 1, {8, 8, 8}, 2, rgbRows, 1);
    TDirectorySpec palette = ImageDirectory(2, 1, {8}, 3, {1, 2}, 1);
    palette.entries.push_back({320, kShort, std::vector<uint32_t>(768, 0)});
    const TDirectorySpec bilevel = ImageDirectory(2, 1, {1}, 0, {0xC0}, 1);
    auto compressed = [](TDirectorySpec spec) { return With(std::move(spec), {259, kShort, {5}}); };
    TDirectorySpec noStrips = SmallGrey();
    noStrips.strips.clear();
    TDirectorySpec shortStrip = SmallGrey();
    shortStrip.strips[0].pop_back();
    TDirectorySpec pastTheEnd = SmallGrey();
    pastTheEnd.strips.clear();
    pastTheEnd.entries.push_back({273, kLong, {100000}});
    pastTheEnd.entries.push_back({279, kLong, {2}});

    struct Case {
        const char* what;
        TDirectorySpec bad;
        std::string message;
        bool endsTheLoad;
    };
    const std::vector<Case> cases = {
        {"no photometric", Without(SmallGrey(), 262), tiffmsg::kNoPhotometric, true},
        {"photometric 5", With(SmallGrey(), {262, kShort, {5}}),
         std::string(tiffmsg::kBadPhotometric) + "5", true},
        {"no width", Without(SmallGrey(), 256), tiffmsg::kNoWidth, false},
        {"no height", Without(rgb, 257), tiffmsg::kNoHeight, false},
        {"no compression", Without(palette, 259), tiffmsg::kNoCompression, false},
        {"compressed bilevel", compressed(bilevel),
         tiffmsg::CompressedMessage(tiffmsg::kCompressedBilevel), false},
        {"compressed grey", compressed(SmallGrey()),
         tiffmsg::CompressedMessage(tiffmsg::kCompressedGrey), false},
        {"compressed palette", compressed(palette),
         tiffmsg::CompressedMessage(tiffmsg::kCompressedPalette), false},
        {"LZW RGB", compressed(rgb), tiffmsg::CompressedMessage(tiffmsg::kCompressedRgb), false},
        {"palette without bits", Without(palette, 258), tiffmsg::kNoBitsPerSample, false},
        {"RGB without bits", Without(rgb, 258), tiffmsg::kNoBitsPerSample, false},
        {"no colour map", Without(palette, 320), tiffmsg::kNoColorMap, false},
        {"RGB 8,8,16", With(rgb, {258, kShort, {8, 8, 16}}), tiffmsg::kRgbBits, false},
        {"RGB in planes", With(rgb, {284, kShort, {2}}), tiffmsg::kRgbPlanar, false},
        {"no strip table", noStrips, tiffmsg::kImageData, false},
        {"strip shorter than the rows", shortStrip, tiffmsg::kImageData, false},
        {"strip past the end", pastTheEnd, tiffmsg::kImageData, false},
    };
    for (bool intel : {true, false}) {
        for (const Case& c : cases) {
            TBitmap target;
            Paint(target, kMarker);
            const auto messages = Load(BuildTiff(intel, {c.bad, SmallGrey()}), target);
            EXPECT_EQ(messages, std::vector<std::string>{c.message}) << c.what;
            // A skipped directory lets the next one decode; an ended load leaves the target.
            const std::vector<TColor> kept = {kMarker}, decoded = {Grey(10), Grey(20)};
            EXPECT_EQ(PixelsOf(target), c.endsTheLoad ? kept : decoded) << c.what;
        }
    }
    // The texts of the compressed messages, with their bare carriage returns.
    EXPECT_EQ(
        tiffmsg::CompressedMessage(tiffmsg::kCompressedRgb),
        "Cant read compressed RGB Full Color Image\r\rfeel free to implement this type of image\r"
        "and send it back to the Vardel project's issue tracker");
}

TEST(ReadTiff, ReaderChecksThatTheLoadLoopCannotReach) {
    TTempDir dir;
    TMessageLog log;
    const std::string path = dir.Write(
        "x.tif", BuildTiff(true, {With(SmallGrey(), {258, kShort, {2}}), Without(SmallGrey(), 258),
                                  Without(ImageDirectory(8, 1, {1}, 0, {0}, 1), 262)}));
    TFileTiff file;
    file.SetFileName(path);
    TBitmap target;
    ReadGrayImage(path, *file.GetDirectory(0), target);
    ReadGrayImage(path, *file.GetDirectory(1), target);
    ReadBilevelImage(path, *file.GetDirectory(2), target);
    EXPECT_EQ(log.Texts(), (std::vector<std::string>{tiffmsg::kGreyBits, tiffmsg::kNoBitsPerSample,
                                                     tiffmsg::kNoPhotometric}));
    EXPECT_TRUE(target.IsEmpty());
}

TEST(ReadTiff, DirectoriesInTurnAndSilentSkips) {
    const TDirectorySpec second = ImageDirectory(1, 1, {8}, 1, {99}, 1);
    std::vector<std::string> messages;
    // Both decode: the target shows the second.
    EXPECT_EQ(Decode(BuildTiff(false, {SmallGrey(), second}), &messages),
              std::vector<TColor>{Grey(99)});
    // 16-bit grey is passed over without a word.
    EXPECT_EQ(
        Decode(BuildTiff(true, {SmallGrey(), ImageDirectory(1, 1, {16}, 1, {1, 2}, 1)}), &messages),
        (std::vector<TColor>{Grey(10), Grey(20)}));
    EXPECT_TRUE(messages.empty());
    // A 2-bit palette has no bitmap description: the target keeps the picture before it.
    TDirectorySpec twoBits = ImageDirectory(4, 1, {2}, 3, {0x1B}, 1);
    twoBits.entries.push_back({320, kShort, std::vector<uint32_t>(12, 0)});
    EXPECT_EQ(Decode(BuildTiff(true, {SmallGrey(), twoBits}), &messages),
              (std::vector<TColor>{Grey(10), Grey(20)}));
    EXPECT_TRUE(messages.empty());
}

TEST(ReadTiff, FailedLoadsLeaveTheTargetAlone) {
    TTempDir dir;
    TMessageLog log;
    TBitmap target;
    Paint(target, kMarker);
    const std::string bad = dir.Write("bad.tif", {'I', 'I', 43, 0, 8, 0, 0, 0});
    ReadTiffFile(bad, target);
    EXPECT_EQ(log.Texts(), std::vector<std::string>{"<" + bad + "> is not a valid TIFF file"});
    // A missing name becomes an empty TIFF file: nothing to show and nothing to say.
    const std::string missing = dir.Path("missing.tif");
    ReadTiffFile(missing, target);
    EXPECT_EQ(ReadAll(missing).size(), 8u);
    EXPECT_EQ(log.Texts().size(), 1u);
    EXPECT_EQ(PixelsOf(target), std::vector<TColor>{kMarker});
}

TEST(ReadTiff, LimitsRaiseTheRuntimeErrors) {
    TTempDir dir;
    TMessageLog log;
    TBitmap target;
    // Wider than 65535.
    const std::string wide = dir.Write(
        "wide.tif",
        BuildTiff(true, {ImageDirectory(70000, 1, {8}, 1, std::vector<uint8_t>(70000), 1)}));
    EXPECT_THROW(ReadTiffFile(wide, target), ERangeError);
    // 257 directories: the first 256 decode, then the range error.
    std::vector<TDirectorySpec> many(257, ImageDirectory(1, 1, {8}, 1, {1}, 1));
    many[255] = ImageDirectory(1, 1, {8}, 1, {42}, 1);
    try {
        ReadTiffFile(dir.Write("many.tif", BuildTiff(true, many)), target);
        ADD_FAILURE() << "no range error";
    } catch (const ERangeError& e) {
        EXPECT_EQ(e.Message(), "Range check error");
    }
    EXPECT_EQ(PixelsOf(target), std::vector<TColor>{Grey(42)});
    // 65535 × 5000 at one bit: the strips are 5000 times the same 8 KiB (the file's own
    // arrays serve as pixels), but the display bitmap would pass 1 GiB.
    TDirectorySpec huge = ImageDirectory(65535, 5000, {1}, 1, {}, 1);
    huge.strips.clear();
    huge.entries.push_back({273, kLong, std::vector<uint32_t>(5000, 8)});
    huge.entries.push_back({279, kLong, std::vector<uint32_t>(5000, 8192)});
    EXPECT_THROW(ReadTiffFile(dir.Write("huge.tif", BuildTiff(true, {huge})), target),
                 EOutOfMemory);
    // 65535 strips of the same 16385 bytes: more than 1 GiB of strip data, refused before
    // it is allocated.
    TDirectorySpec strips = ImageDirectory(8, 65535, {8}, 1, {}, 1);
    strips.strips.clear();
    strips.entries.push_back({273, kLong, std::vector<uint32_t>(65535, 8)});
    strips.entries.push_back({279, kLong, std::vector<uint32_t>(65535, 16385)});
    try {
        ReadTiffFile(dir.Write("strips.tif", BuildTiff(true, {strips})), target);
        ADD_FAILURE() << "no out-of-memory error";
    } catch (const EOutOfMemory& e) {
        EXPECT_EQ(e.Message(), "Out of memory");
    }
    EXPECT_TRUE(log.Texts().empty());
    EXPECT_EQ(PixelsOf(target), std::vector<TColor>{Grey(42)});
}

TEST(ReadTiff, EveryCutOfAValidFileLoadsSafely) {
    std::vector<uint8_t> rgbRows;
    std::vector<TColor> rgbPixels;
    for (int i = 0; i < 5 * 3; ++i) {
        rgbRows.insert(rgbRows.end(), {static_cast<uint8_t>(i), static_cast<uint8_t>(2 * i),
                                       static_cast<uint8_t>(3 * i)});
        rgbPixels.push_back(Rgb(i, 2 * i, 3 * i));
    }
    TDirectorySpec palette = ImageDirectory(3, 2, {4}, 3, {0x01, 0x20, 0x30, 0x00}, 1);
    std::vector<uint32_t> map(48, 0);
    for (int i = 0; i < 16; ++i) map[i] = map[16 + i] = map[32 + i] = i << 12;
    palette.entries.push_back({320, kShort, map});
    const std::vector<TColor> palettePixels = {Grey(0),    Grey(0x10), Grey(0x20),
                                               Grey(0x30), Grey(0),    Grey(0)};
    const std::vector<TColor> marker = {kMarker};
    for (bool intel : {true, false}) {
        const auto full =
            BuildTiff(intel, {ImageDirectory(5, 3, {8, 8, 8}, 2, rgbRows, 2), palette});
        EXPECT_EQ(Decode(full), palettePixels);
        for (size_t n = 0; n < full.size(); ++n) {
            TBitmap target;
            Paint(target, kMarker);
            const auto messages = Load({full.begin(), full.begin() + n}, target);
            const auto pixels = PixelsOf(target);
            EXPECT_TRUE(pixels == marker || pixels == rgbPixels || pixels == palettePixels) << n;
            EXPECT_LE(messages.size(), 2u) << n;
        }
    }
}
