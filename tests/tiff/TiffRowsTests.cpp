// Rows read strip by strip into the display bitmap: rows longer than a band, strips
// that stop part-way, the 8-bit display, and images whose declared size their strips
// could never hold.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>

#include "formats/tiff/TiffMessages.h"
#include "formats/tiff/TiffRows.h"
#include "platform/gdi/Gdi.h"
#include "platform/runtime/Exceptions.h"
#include "tests/tiff/TiffTestSupport.h"

using namespace vardel;
using namespace vardel::testing;

namespace {

const TColor kMarker = Rgb(1, 2, 3);

TBitmap& Marked(TBitmap& target) {
    target.SetSize(1, 1);
    target.Surface().WritePixel(0, 0, kMarker);
    return target;
}

// What loading the bytes leaves: the target's pixels, the messages, and the text of
// the exception that ended the load (empty when none did).
struct TOutcome {
    std::vector<TColor> pixels;
    std::vector<std::string> messages;
    std::string raised;
};

TOutcome Load(const std::vector<uint8_t>& bytes) {
    TTempDir dir;
    TMessageLog log;
    TBitmap target;
    TOutcome out;
    try {
        ReadTiffFile(dir.Write("image.tif", bytes), Marked(target));
    } catch (const Exception& e) {
        out.raised = e.Message();
    }
    out.pixels = PixelsOf(target);
    out.messages = log.Texts();
    return out;
}

TDirectorySpec With(TDirectorySpec spec, TEntrySpec entry) {
    std::erase_if(spec.entries, [&](const TEntrySpec& e) { return e.tag == entry.tag; });
    spec.entries.push_back(std::move(entry));
    return spec;
}

// A file that shrinks while it is read: it still says how large it was, but its reads
// stop after the first `readable` bytes.
class TShrinkingStream : public TReadOnlyMemoryStream {
  public:
    TShrinkingStream(const std::vector<uint8_t>& bytes, size_t readable)
        : TReadOnlyMemoryStream(bytes.data(), bytes.size()), readable_(readable) {}
    size_t Read(void* buffer, size_t n) override {
        const auto at = static_cast<size_t>(Position());
        return TReadOnlyMemoryStream::Read(buffer,
                                           at >= readable_ ? 0 : std::min(n, readable_ - at));
    }

  private:
    size_t readable_;
};

struct TEightBitDisplay {
    TEightBitDisplay() { gdi::SetDisplayBitsPerPixel(8); }
    ~TEightBitDisplay() { gdi::SetDisplayBitsPerPixel(32); }
};

// RGB rows whose every pixel differs from its neighbours: red x, green y, blue x + y.
std::vector<uint8_t> RgbRows(uint32_t width, uint32_t height, uint32_t samples) {
    std::vector<uint8_t> rows;
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
            for (uint32_t s = 0; s < samples; ++s)
                rows.push_back(static_cast<uint8_t>(s == 0 ? x : s == 1 ? y : s == 2 ? x + y : 77));
    return rows;
}

std::vector<TColor> RgbPixels(uint32_t width, uint32_t height) {
    std::vector<TColor> pixels;
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
            pixels.push_back(Rgb(x & 0xFF, y & 0xFF, (x + y) & 0xFF));
    return pixels;
}

}  // namespace

TEST(TiffRows, RowsLongerThanABand) {
    // Grey rows of 3 pixels in rows of 300000 bytes: the rest of each row is passed over.
    std::vector<uint8_t> padded(600000, 0xEE);
    padded[0] = 10, padded[1] = 20, padded[2] = 30;
    padded[300000] = 40, padded[300001] = 50, padded[300002] = 60;
    TDirectorySpec grey = ImageDirectory(3, 2, {8}, 1, padded, 1);
    // The same for bilevel with its bits stored lowest first: 0x0D reversed is 0xB0.
    std::vector<uint8_t> bilevelRows(600000, 0xFF);
    bilevelRows[0] = 0x0D, bilevelRows[300000] = 0x00;
    TDirectorySpec bilevel = With(ImageDirectory(4, 2, {1}, 1, bilevelRows, 1), {266, kShort, {2}});
    // 60000 pixels of five samples: one row is 300000 bytes, read in pieces of whole pixels.
    TDirectorySpec wide =
        With(ImageDirectory(60000, 2, {8}, 2, RgbRows(60000, 2, 5), 1), {277, kShort, {5}});
    // Pixels of 300000 samples each, larger than a band themselves.
    TDirectorySpec deep =
        With(ImageDirectory(2, 1, {8}, 2, RgbRows(2, 1, 300000), 1), {277, kLong, {300000}});
    EXPECT_EQ(Load(BuildTiff(true, {grey})).pixels,
              (std::vector<TColor>{Grey(10), Grey(20), Grey(30), Grey(40), Grey(50), Grey(60)}));
    EXPECT_EQ(Load(BuildTiff(false, {bilevel})).pixels,
              (std::vector<TColor>{Grey(255), Grey(0), Grey(255), Grey(255), Grey(0), Grey(0),
                                   Grey(0), Grey(0)}));
    EXPECT_EQ(Load(BuildTiff(true, {wide})).pixels, RgbPixels(60000, 2));
    EXPECT_EQ(Load(BuildTiff(true, {deep})).pixels, RgbPixels(2, 1));
}

TEST(TiffRows, StripsThatStopPartWayLeaveTheTargetAsItWas) {
    // 200 × 400 RGB in strips of 10 rows: the rows come in two bands, so a cut in the
    // second band comes after the first band is in the new bitmap.
    const uint32_t width = 200, height = 400;
    const auto bytes = BuildTiff(
        true, {ImageDirectory(width, height, {8, 8, 8}, 2, RgbRows(width, height, 3), 10)});
    TTempDir dir;
    TFileTiff file;
    file.SetFileName(dir.Write("image.tif", bytes));
    const TGraphicTiff& directory = *file.GetDirectory(0);
    const size_t first = directory.GetStrip(0)->offset;
    const size_t data = size_t{width} * height * 3;
    for (bool eightBits : {false, true}) {
        std::optional<TEightBitDisplay> display;
        if (eightBits) display.emplace();
        for (size_t readable : {first, first + 1, first + data / 2, first + data - 1}) {
            TShrinkingStream stream(bytes, readable);
            TStripStream strips;
            ASSERT_TRUE(strips.Open(stream, directory));
            TBitmap target;
            // On the 8-bit display the marker itself shows as its nearest colour.
            const std::vector<TColor> before = PixelsOf(Marked(target));
            EXPECT_EQ(DecodeRows(strips, width * 3, TPixelFormat::Rgb(3), width, height, target),
                      TDecodeResult::kDataEnded)
                << readable;
            EXPECT_EQ(PixelsOf(target), before) << readable;
        }
        TShrinkingStream whole(bytes, bytes.size());
        TStripStream strips;
        ASSERT_TRUE(strips.Open(whole, directory));
        TBitmap target;
        ASSERT_EQ(
            DecodeRows(strips, width * 3, TPixelFormat::Rgb(3), width, height, Marked(target)),
            TDecodeResult::kDone);
        EXPECT_EQ(target.Width(), static_cast<int>(width));
        if (!eightBits) {
            EXPECT_EQ(PixelsOf(target), RgbPixels(width, height));
        }
    }
}

TEST(TiffRows, AnEightBitDisplayShowsTheNearestColoursAsForAnyPicture) {
    // What the platform makes of the same rows handed over in one piece is the oracle.
    const uint32_t width = 256, height = 300;  // two bands of rows
    const std::vector<uint8_t> rows = RgbRows(width, height, 3);
    TEightBitDisplay display;
    TBitmap expected;
    {
        std::vector<uint8_t> bgr(rows.size());
        for (size_t i = 0; i < rows.size(); i += 3)
            bgr[i] = rows[i + 2], bgr[i + 1] = rows[i + 1], bgr[i + 2] = rows[i];
        gdi::BITMAPINFO info;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -static_cast<int32_t>(height);
        info.bmiHeader.biBitCount = 24;
        gdi::HDC screen = gdi::GetDC();
        expected.AttachHandle(gdi::CreateDIBitmap(screen, info.bmiHeader, gdi::CBM_INIT, bgr.data(),
                                                  bgr.size(), info, gdi::DIB_RGB_COLORS));
        gdi::ReleaseDC(screen);
    }
    const TOutcome loaded =
        Load(BuildTiff(true, {ImageDirectory(width, height, {8, 8, 8}, 2, rows, 7)}));
    EXPECT_EQ(loaded.pixels, PixelsOf(expected));
    EXPECT_NE(loaded.pixels, RgbPixels(width, height));  // 216 colours cannot show them all
}

TEST(TiffRows, SizesTheStripsCannotHoldAreRefusedBeforeAnyRowIsRead) {
    // Inputs found by fuzzing: RGB of 4 or 508 samples, width 0 and a height in the
    // billions. They once walked every declared row before the range error.
    const std::filesystem::path kept =
        std::filesystem::path(VARDEL_SOURCE_DIR) / "fuzz/regressions/tiff";
    int found = 0;
    for (const auto& entry : std::filesystem::directory_iterator(kept)) {
        if (!entry.path().filename().string().starts_with("tiff-")) continue;
        const TOutcome outcome = Load(ReadAll(entry.path()));
        EXPECT_EQ(outcome.raised, "Range check error") << entry.path();
        EXPECT_EQ(outcome.pixels, std::vector<TColor>{kMarker});
        ++found;
    }
    EXPECT_EQ(found, 4);

    // The same shapes built by hand, and sizes without pixels.
    // RGB with an alpha sample and one strip of three bytes, without RowsPerStrip.
    auto rgba = [](uint32_t width, uint32_t height) {
        TDirectorySpec spec;
        spec.entries = {{256, kLong, {width}}, {257, kLong, {height}}, {258, kShort, {8, 8, 8, 8}},
                        {259, kShort, {1}},    {262, kShort, {2}},     {277, kShort, {4}}};
        spec.strips = {{1, 2, 3}};
        return spec;
    };
    struct Case {
        const char* what;
        TDirectorySpec spec;
        std::vector<std::string> messages;
        std::string raised;
    };
    const std::vector<Case> cases = {
        {"width 0, 4 billion rows", rgba(0, 4000000000u), {}, "Range check error"},
        {"width 0, 10 rows: nothing to show", rgba(0, 10), {}, ""},
        {"height 0: nothing to show", rgba(10, 0), {}, ""},
        {"more rows than the strips hold", rgba(1, 60000), {tiffmsg::kImageData}, ""},
        {"more samples than the strips hold",
         With(rgba(1, 1), {277, kLong, {4000000000u}}),
         {tiffmsg::kImageData},
         ""},
    };
    for (const Case& c : cases) {
        const TOutcome outcome = Load(BuildTiff(true, {c.spec}));
        EXPECT_EQ(outcome.messages, c.messages) << c.what;
        EXPECT_EQ(outcome.raised, c.raised) << c.what;
        EXPECT_EQ(outcome.pixels, std::vector<TColor>{kMarker}) << c.what;
    }
}
