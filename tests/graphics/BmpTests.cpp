#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

#include "graphics/Bitmap.h"
#include "platform/runtime/Exceptions.h"
#include "platform/runtime/MemoryBudget.h"
#include "tests/graphics/BmpBuilder.h"
#include "tests/graphics/TestSupport.h"

using namespace vardel;
using vardel::test::BmpSpec;
using vardel::test::BuildBmp;
using vardel::test::MaxDifference;
using vardel::test::MessageOf;
using vardel::test::ReadRaw;
namespace fs = std::filesystem;

namespace {
std::vector<uint8_t> Save(TBitmap& bitmap) {
    TMemoryStream out;
    bitmap.SaveStream(out);
    return out.TakeBytes();
}

void Load(TBitmap& bitmap, const std::vector<uint8_t>& bytes) {
    TReadOnlyMemoryStream in(bytes.data(), bytes.size());
    bitmap.LoadStream(in);
}

// A run-length square whose data ends at once: every pixel keeps index 0, black.
std::vector<uint8_t> BlackRunLengthSquare(int side) {
    return BuildBmp({.width = side,
                     .height = side,
                     .bits = 8,
                     .compression = 1,
                     .sizeImage = 2,
                     .clrUsed = 2,
                     .colors = {{0, 0, 0}, {0, 0, 255}},
                     .pixels = {0, 1}});
}

uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t{b[at + 3]} << 24);
}

std::vector<uint8_t> RandomBytes(size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<uint8_t> v(n);
    for (auto& b : v) b = static_cast<uint8_t>(rng());
    return v;
}

// A colour-table entry (blue, green, red) as a colour.
TColor ColourOf(const std::array<uint8_t, 3>& entry) {
    return static_cast<TColor>(entry[2] | (entry[1] << 8) | (entry[0] << 16));
}

std::vector<std::array<uint8_t, 3>> Ramp(int n) {
    std::vector<std::array<uint8_t, 3>> colors;
    for (int i = 0; i < n; ++i)
        colors.push_back({static_cast<uint8_t>(i * 255 / std::max(n - 1, 1)),
                          static_cast<uint8_t>(i * 7), static_cast<uint8_t>(255 - i)});
    return colors;
}
}  // namespace

TEST(BmpFiles, EveryDepthAndRowOrderSurvivesARoundTrip) {
    struct Case {
        uint16_t bits;
        uint32_t compression;
        std::vector<uint32_t> masks;
        TPixelLayout layout;
    };
    const Case cases[] = {{1, 0, {}, TPixelLayout::Format1Bit},
                          {4, 0, {}, TPixelLayout::Format4Bit},
                          {8, 0, {}, TPixelLayout::Format8Bit},
                          {16, 0, {}, TPixelLayout::Format15Bit},
                          {16, 3, {0xF800, 0x07E0, 0x001F}, TPixelLayout::Format16Bit},
                          {16, 3, {0x0F00, 0x00F0, 0x000F}, TPixelLayout::FormatCustom},
                          {24, 0, {}, TPixelLayout::Format24Bit},
                          {32, 0, {}, TPixelLayout::Format32Bit},
                          {32, 3, {0xFF000000, 0xFF0000, 0xFF00}, TPixelLayout::FormatCustom}};
    unsigned seed = 1;
    for (const Case& c : cases) {
        for (int32_t height : {5, -5}) {
            BmpSpec spec{.width = 7,
                         .height = height,
                         .bits = c.bits,
                         .compression = c.compression,
                         .masks = c.masks};
            if (c.bits <= 8) spec.colors = Ramp(1 << c.bits);
            const size_t stride = ((7 * c.bits + 31) / 32) * 4;
            spec.pixels = RandomBytes(stride * 5, seed++);
            const auto file = BuildBmp(spec);
            TBitmap bitmap;
            Load(bitmap, file);
            SCOPED_TRACE(testing::Message() << c.bits << " bits, compression " << c.compression
                                            << ", height " << height);
            EXPECT_EQ(bitmap.Width(), 7);
            EXPECT_EQ(bitmap.Height(), 5);
            EXPECT_EQ(bitmap.PixelLayout(), c.layout);
            EXPECT_EQ(bitmap.HandleKind(), THandleKind::DeviceIndependent);
            const auto saved = Save(bitmap);
            // Header, masks, table and rows come back; only the colour count is written out.
            ASSERT_EQ(saved.size(), file.size());
            EXPECT_EQ(static_cast<int32_t>(Le32(saved, 22)), height);
            EXPECT_EQ(Le32(saved, 38), 2835u);
            EXPECT_TRUE(std::equal(saved.begin() + 54, saved.end(), file.begin() + 54));
            TBitmap again;
            Load(again, saved);
            for (int y = 0; y < 5; ++y)
                for (int x = 0; x < 7; ++x)
                    ASSERT_EQ(again.Surface().ReadPixel(x, y), bitmap.Surface().ReadPixel(x, y));
        }
    }
}

TEST(BmpFiles, TopDownRowsAndScanRowAddresses) {
    BmpSpec spec{.width = 1, .height = -2, .pixels = {0, 0, 255, 0, 255, 0, 0, 0}};  // red, blue
    TBitmap bitmap;
    Load(bitmap, BuildBmp(spec));
    EXPECT_EQ(bitmap.Surface().ReadPixel(0, 0), clRed);
    EXPECT_EQ(bitmap.Surface().ReadPixel(0, 1), clBlue);
    EXPECT_EQ(bitmap.ScanRow(0)[2], 255);
    spec.height = 2;
    Load(bitmap, BuildBmp(spec));
    EXPECT_EQ(bitmap.Surface().ReadPixel(0, 0), clBlue);
    EXPECT_EQ(bitmap.ScanRow(0)[0], 255);
    EXPECT_EQ(MessageOf([&] { bitmap.ScanRow(2); }), "Scan line index out of range");
    EXPECT_EQ(MessageOf([&] { bitmap.ScanRow(-1); }), "Scan line index out of range");
}

TEST(BmpFiles, CoreHeadersAreReadWidenedAndWrittenBack) {
    const BmpSpec spec{.width = 3,
                       .height = 2,
                       .bits = 4,
                       .core = true,
                       .colors = Ramp(16),
                       .pixels = {0x01, 0x20, 0, 0, 0xF0, 0x0E, 0, 0}};
    TBitmap bitmap;
    Load(bitmap, BuildBmp(spec));
    EXPECT_TRUE(bitmap.Image().coreHeaderOrigin);
    EXPECT_EQ(bitmap.Surface().ReadPixel(0, 0), ColourOf(Ramp(16)[15]));
    const auto saved = Save(bitmap);
    EXPECT_EQ(Le32(saved, 10), 74u);  // 14 + 12 + 16 entries of 3 bytes
    EXPECT_EQ(Le32(saved, 14), 12u);
    EXPECT_EQ(saved, BuildBmp(spec));
    // The origin stays through edits and a change of size.
    bitmap.Surface().WritePixel(0, 0, clBlack);
    bitmap.SetWidth(4);
    EXPECT_EQ(Le32(Save(bitmap), 14), 12u);
}

TEST(BmpFiles, RunLengthFilesAreKeptUntilTheFirstChange) {
    const auto file = BuildBmp({.width = 4,
                                .height = 2,
                                .bits = 8,
                                .compression = 1,
                                .sizeImage = 10,
                                .clrUsed = 3,
                                .colors = {{0, 0, 0}, {0, 0, 255}, {255, 0, 0}},
                                .pixels = {4, 1, 0, 0, 2, 2, 2, 1, 0, 1}});
    TBitmap bitmap;
    Load(bitmap, file);
    EXPECT_EQ(bitmap.HandleKind(), THandleKind::DeviceDependent);
    EXPECT_EQ(bitmap.Surface().ReadPixel(3, 1), clRed);
    EXPECT_EQ(bitmap.Surface().ReadPixel(1, 0), clBlue);
    EXPECT_EQ(bitmap.Surface().ReadPixel(2, 0), clRed);
    EXPECT_EQ(Save(bitmap), file);
    // A copy shares the kept bytes too.
    TBitmap copy;
    copy.Assign(&bitmap);
    EXPECT_EQ(Save(copy), file);
    bitmap.Surface().WritePixel(0, 0, clWhite);
    const auto edited = Save(bitmap);
    EXPECT_EQ(edited[30], 0);                  // no compression
    EXPECT_EQ(edited[28], 32);                 // the display's depth
    EXPECT_EQ(Le32(edited, 10), 54u + 3 * 4);  // the file's palette goes along as a table
    TBitmap back;
    Load(back, edited);
    EXPECT_EQ(back.Surface().ReadPixel(0, 0), clWhite);
    EXPECT_EQ(back.Surface().ReadPixel(2, 0), clRed);
    EXPECT_EQ(Save(copy), file);  // the copy is not touched by the edit
}

TEST(BmpFiles, ColourCountsAndTheOffsetToTheRows) {
    TBitmap bitmap;
    Load(bitmap,
         BuildBmp(
             {.width = 1, .height = 1, .bits = 8, .colors = Ramp(256), .pixels = {255, 0, 0, 0}}));
    EXPECT_EQ(bitmap.Surface().ReadPixel(0, 0), ColourOf(Ramp(256)[255]));
    Load(bitmap, BuildBmp({.width = 1,
                           .height = 1,
                           .bits = 8,
                           .clrUsed = 16,
                           .colors = Ramp(16),
                           .pixels = {15, 0, 0, 0}}));
    EXPECT_EQ(bitmap.Surface().ReadPixel(0, 0), ColourOf(Ramp(16)[15]));
    EXPECT_EQ(Le32(Save(bitmap), 46), 16u);

    // A gap that the file header points past is skipped...
    BmpSpec gap{.width = 1, .height = 1, .pixels = {0, 0, 255, 0}, .gap = 6};
    Load(bitmap, BuildBmp(gap));
    EXPECT_EQ(bitmap.Surface().ReadPixel(0, 0), clRed);
    // ...but an offset that does not point past the table leaves the rows right after it.
    gap.offBitsPointsAtRows = false;
    Load(bitmap, BuildBmp(gap));
    EXPECT_EQ(bitmap.Surface().ReadPixel(0, 0), static_cast<TColor>(0xEEEEEE));
    // An offset beyond the end of the file is ignored as well.
    auto beyond = BuildBmp(gap);
    beyond[10] = 0xFF, beyond[11] = 0xFF;
    Load(bitmap, beyond);
    EXPECT_EQ(bitmap.Surface().ReadPixel(0, 0), static_cast<TColor>(0xEEEEEE));
}

TEST(BmpFiles, DamagedFilesKeepThePreviousPicture) {
    const BmpSpec good{.pixels = {0, 0, 255, 0, 0, 255, 0, 0,  // bottom row: red, red, padding
                                  255, 0, 0, 255, 255, 255, 0,
                                  0}};  // top row: blue, white, padding
    const auto valid = BuildBmp(good);
    auto with = [&](auto edit) {
        auto bytes = valid;
        edit(bytes);
        return bytes;
    };
    const auto withTable = BuildBmp({.bits = 8, .colors = Ramp(256), .pixels = good.pixels});
    const struct {
        const char* what;
        std::vector<uint8_t> bytes;
        const char* message;
    } cases[] = {
        {"shorter than a file header", std::vector<uint8_t>(valid.begin(), valid.begin() + 10),
         "Stream read error"},
        {"not B M", with([](auto& b) { b[0] = 'X'; }), "Bitmap image is not valid"},
        {"two planes", with([](auto& b) { b[26] = 2; }), "Bitmap image is not valid"},
        {"header of 20 bytes", with([](auto& b) { b[14] = 20; }), "Bitmap image is not valid"},
        {"header beyond the file", with([](auto& b) { b[16] = 1; }), "Stream read error"},
        {"more than 256 colours", with([](auto& b) { b[46] = 0x2C, b[47] = 1; }),
         "Bitmap image is not valid"},  // 300
        {"bit count 7", with([](auto& b) { b[28] = 7; }), "Bitmap image is not valid"},
        {"cut in the colour table",
         std::vector<uint8_t>(withTable.begin(), withTable.begin() + 300), "Stream read error"},
        {"a width of zero", with([](auto& b) { b[18] = 0; }), "Bitmap image is not valid"},
        {"more than 1 GiB of pixels",
         with([](auto& b) { b[18] = b[19] = 0xFF, b[22] = b[23] = 0xFF; }), "Out of memory"},
    };
    TBitmap bitmap;
    Load(bitmap, valid);
    int notified = 0;
    bitmap.OnModified = [&](TGraphic*) { ++notified; };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(MessageOf([&] { Load(bitmap, c.bytes); }), c.message);
        EXPECT_EQ(bitmap.Width(), 2);
        EXPECT_EQ(bitmap.Surface().ReadPixel(1, 0), clWhite);
    }
    // A picture the memory budget has no room for is refused the same way, whether its
    // rows would go into a section or, run-length coded, into a device bitmap.
    {
        const TPictureMemoryBudgetScope budget(PictureMemoryInUse() + (1 << 20));
        const auto large = with([](auto& b) { b[18] = b[22] = 0xE8, b[19] = b[23] = 3; });
        const auto runLength = BlackRunLengthSquare(1000);
        for (const auto* bytes : {&large, &runLength}) {
            EXPECT_EQ(MessageOf([&] { Load(bitmap, *bytes); }), "Out of memory");
            EXPECT_EQ(bitmap.Width(), 2);
            EXPECT_EQ(bitmap.Surface().ReadPixel(1, 0), clWhite);
        }
        // A bitmap given that size is refused before the graphics layer is asked.
        TBitmap sized;
        sized.SetSize(10, 10);
        EXPECT_EQ(MessageOf([&] { sized.SetSize(1000, 1000); }), "Out of memory");
        EXPECT_EQ(sized.Width(), 10);
    }
    {
        // Saving a device bitmap copies its rows first; that copy counts as well.
        const auto runLength = BlackRunLengthSquare(300);
        const TPictureMemoryBudgetScope budget(PictureMemoryInUse() + 512 * 1024);
        TBitmap device;
        Load(device, runLength);
        device.Surface().WritePixel(0, 0, clWhite);  // the file's own bytes no longer hold
        EXPECT_EQ(MessageOf([&] { Save(device); }), "Out of memory");
    }
    EXPECT_EQ(notified, 0);
    // Fewer rows than announced: the rows that are there, no error.
    Load(bitmap, std::vector<uint8_t>(valid.begin(), valid.end() - 8));
    EXPECT_EQ(bitmap.Surface().ReadPixel(0, 1), clRed);
    EXPECT_EQ(bitmap.Surface().ReadPixel(0, 0), clBlack);
    // An empty stream empties the bitmap without a notification.
    notified = 0;
    Load(bitmap, {});
    EXPECT_TRUE(bitmap.IsEmpty());
    EXPECT_EQ(notified, 0);
}

TEST(BmpFiles, AFileCutAnywhereFailsCleanlyOrKeepsTheRowsItHolds) {
    const BmpSpec indexed{.bits = 8, .colors = Ramp(256), .pixels = RandomBytes(8, 3)};
    const BmpSpec rle{.bits = 4,
                      .compression = 2,
                      .colors = Ramp(16),
                      .pixels = {2, 0x12, 0, 0, 0, 3, 0x12, 0x30, 0, 1}};
    const auto before = BuildBmp({.width = 1, .height = 1, .pixels = {0, 0, 255, 0}});
    TBitmap previous;
    Load(previous, before);
    const std::vector<uint8_t> previousSaved = Save(previous);
    for (const BmpSpec& spec : {indexed, rle}) {
        const auto file = BuildBmp(spec);
        const size_t rowsStart = file.size() - spec.pixels.size();
        TBitmap whole;
        Load(whole, file);
        for (size_t n = 1; n < file.size(); ++n) {
            SCOPED_TRACE(n);
            const std::vector<uint8_t> cut(file.begin(), file.begin() + static_cast<ptrdiff_t>(n));
            TBitmap bitmap;
            Load(bitmap, before);
            int notified = 0;
            bitmap.OnModified = [&](TGraphic*) { ++notified; };
            const std::string message = MessageOf([&] { Load(bitmap, cut); });
            if (n < rowsStart) {
                // Cut in the headers or the colour table: the picture stays as it was.
                EXPECT_EQ(message, "Stream read error");
                EXPECT_EQ(notified, 0);
                EXPECT_EQ(Save(bitmap), previousSaved);
                continue;
            }
            // Cut in the rows: the picture takes the file's size and the rows it holds.
            EXPECT_EQ(message, "");
            EXPECT_EQ(bitmap.Width(), 2);
            EXPECT_EQ(bitmap.Height(), 2);
            if (spec.compression != 0) {
                EXPECT_EQ(Save(bitmap), cut);  // run-length files are kept as read
                continue;
            }
            // Rows are stored bottom-up, four bytes each.
            for (int stored = 0; stored < 2 && rowsStart + 4 * (stored + 1) <= n; ++stored)
                for (int x = 0; x < 2; ++x)
                    EXPECT_EQ(bitmap.Surface().ReadPixel(x, 1 - stored),
                              whole.Surface().ReadPixel(x, 1 - stored));
        }
    }
}

// Files written by ImageMagick and Pillow, with the pixels that ImageMagick (.rgb) and
// Pillow (.pil.rgb) read from them.
TEST(BmpFiles, ReadsWhatOtherProgramsWriteAsTheyDo) {
    const fs::path dir =
        fs::temp_directory_path() / ("vardel-peer-bmp-" + std::to_string(::getpid()));
    const std::string script = std::string(VARDEL_SOURCE_DIR) + "/tests/graphics/peer_bmps.py";
    if (!fs::exists("/usr/bin/python3") || !test::HavePillow())
        GTEST_SKIP() << "Pillow is not installed";
    ASSERT_EQ(
        std::system(("/usr/bin/python3 " + script + " " + dir.string() + " 2>/dev/null").c_str()),
        0);
    int compared = 0;
    for (const auto& entry : fs::directory_iterator(dir)) {
        if (entry.path().extension() != ".bmp") continue;
        for (const char* reader : {".rgb", ".pil.rgb"}) {
            fs::path expected = entry.path();
            expected.replace_extension(reader);
            if (!fs::exists(expected)) continue;
            SCOPED_TRACE(expected.filename().string());
            TBitmap bitmap;
            bitmap.LoadFile(entry.path().string());
            // Channels of fewer than 8 bits are scaled to the nearest level here, while
            // ImageMagick repeats their top bits: the two may differ by one.
            const int tolerance = entry.path().string().find("16bit") != std::string::npos ? 1 : 0;
            EXPECT_LE(MaxDifference(bitmap, ReadRaw(expected)), tolerance);
            ++compared;
        }
    }
    fs::remove_all(dir);
    EXPECT_GE(compared, 24);
}
