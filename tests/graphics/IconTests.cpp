// Icon files of several sizes whose images are stored BMP-coded or PNG-coded: the
// image closest to the system's icon size (32 × 32) is the one drawn, a PNG-coded one
// mixed over the target by its alpha.
#include <gtest/gtest.h>

#include "graphics/Icon.h"
#include "platform/gdi/Png.h"
#include "platform/runtime/ByteOrder.h"
#include "tests/graphics/TestSupport.h"

using namespace vardel;

namespace {

// A PNG-coded image: green where x < size / 2, transparent beyond, and one column of
// half-transparent blue in the middle.
std::vector<uint8_t> PngImage(uint32_t size) {
    std::vector<uint8_t> bgra(size_t{size} * size * 4);
    for (uint32_t y = 0; y < size; ++y)
        for (uint32_t x = 0; x < size; ++x) {
            uint8_t* p = &bgra[4 * (size_t{y} * size + x)];
            if (x == size / 2) {
                p[0] = 255, p[3] = 128;
            } else if (x < size / 2) {
                p[1] = 255, p[3] = 255;
            }
        }
    std::vector<uint8_t> file;
    std::string failure;
    gdi::PngPixels rows{bgra.data(), static_cast<ptrdiff_t>(4 * size), size, size, 4, true};
    EXPECT_TRUE(gdi::WritePng(
        rows,
        [&](const uint8_t* b, size_t n) {
            file.insert(file.end(), b, b + n);
            return n;
        },
        failure))
        << failure;
    return file;
}

// A BMP-coded image, 24 bits, all blue, with an AND mask that keeps nothing.
std::vector<uint8_t> BmpImage(uint32_t size) {
    std::vector<uint8_t> image;
    for (uint32_t v : {40u, size, 2 * size}) AppendLe32(image, v);
    AppendLe16(image, 1);
    AppendLe16(image, 24);
    for (int i = 0; i < 6; ++i) AppendLe32(image, 0);
    const size_t stride = (size * 3 + 3) / 4 * 4, maskStride = (size + 31) / 32 * 4;
    for (uint32_t y = 0; y < size; ++y) {
        for (uint32_t x = 0; x < size; ++x) image.insert(image.end(), {255, 0, 0});
        image.resize(image.size() + stride - size * 3);
    }
    image.resize(image.size() + maskStride * size);
    return image;
}

struct Entry {
    uint32_t size;
    uint16_t bits;
    std::vector<uint8_t> bytes;
};

std::vector<uint8_t> IconFile(const std::vector<Entry>& entries) {
    std::vector<uint8_t> file;
    AppendLe16(file, 0);
    AppendLe16(file, 1);
    AppendLe16(file, static_cast<uint16_t>(entries.size()));
    uint32_t offset = static_cast<uint32_t>(6 + 16 * entries.size());
    for (const Entry& e : entries) {
        // A side of 256 is written as 0.
        file.insert(file.end(), {static_cast<uint8_t>(e.size), static_cast<uint8_t>(e.size), 0, 0});
        AppendLe16(file, 1);
        AppendLe16(file, e.bits);
        AppendLe32(file, static_cast<uint32_t>(e.bytes.size()));
        AppendLe32(file, offset);
        offset += static_cast<uint32_t>(e.bytes.size());
    }
    for (const Entry& e : entries) file.insert(file.end(), e.bytes.begin(), e.bytes.end());
    return file;
}

void Load(TIcon& icon, const std::vector<uint8_t>& file) {
    TReadOnlyMemoryStream stream(file.data(), file.size());
    icon.LoadStream(stream);
}

TColor Mixed(uint8_t blue, uint8_t target) {
    const auto mix = [](int s, int t) {
        return static_cast<TColor>((s * 128 + t * 127 + 127) / 255);
    };
    return mix(0, target) | mix(0, 0) << 8 | mix(blue, 0) << 16;
}

TEST(Icon, APngCodedLargeImageLeavesTheChoiceOfTheBmpCodedOne) {
    TIcon icon;
    Load(icon, IconFile({{256, 32, PngImage(256)}, {32, 24, BmpImage(32)}}));
    EXPECT_EQ(icon.Width(), 32);
    TBitmap target;
    test::Fill(target, 34, 34, clRed);
    target.Surface().DrawGraphic(1, 1, &icon);
    EXPECT_EQ(target.Surface().ReadPixel(1, 1), clBlue);
    EXPECT_EQ(target.Surface().ReadPixel(32, 32), clBlue);
    EXPECT_EQ(target.Surface().ReadPixel(33, 33), clRed);
    EXPECT_EQ(icon.Width(), 32);
}

TEST(Icon, AChosenPngCodedImageIsDrawnThroughItsAlpha) {
    TIcon icon;
    const auto file = IconFile({{16, 24, BmpImage(16)}, {32, 32, PngImage(32)}});
    Load(icon, file);
    TBitmap target;
    test::Fill(target, 32, 32, clRed);
    target.Surface().DrawGraphic(0, 0, &icon);
    EXPECT_EQ(icon.Width(), 32);
    EXPECT_EQ(icon.Height(), 32);
    EXPECT_EQ(target.Surface().ReadPixel(0, 0), static_cast<TColor>(0x00FF00));
    EXPECT_EQ(target.Surface().ReadPixel(15, 31), static_cast<TColor>(0x00FF00));
    EXPECT_EQ(target.Surface().ReadPixel(16, 7), Mixed(255, 255));
    EXPECT_EQ(target.Surface().ReadPixel(17, 0), clRed);
    EXPECT_EQ(target.Surface().ReadPixel(31, 31), clRed);
    // Stretched to twice the size.
    test::Fill(target, 64, 64, clRed);
    target.Surface().DrawGraphicStretched({0, 0, 64, 64}, &icon);
    EXPECT_EQ(target.Surface().ReadPixel(31, 63), static_cast<TColor>(0x00FF00));
    EXPECT_EQ(target.Surface().ReadPixel(33, 5), Mixed(255, 255));
    EXPECT_EQ(target.Surface().ReadPixel(34, 5), clRed);
    // Saved as it was read.
    TMemoryStream out;
    icon.SaveStream(out);
    EXPECT_EQ(out.Bytes(), file);
}

TEST(Icon, ADamagedPngCodedImageDrawsNothing) {
    std::vector<uint8_t> png = PngImage(32);
    png.resize(png.size() - 20);  // IEND and the end of the image data gone
    std::vector<uint8_t> corrupt = PngImage(32);
    corrupt[20] = 0xFF;  // IHDR width beyond every limit, CRC no longer right
    for (const auto& image : {png, corrupt}) {
        TIcon icon;
        Load(icon, IconFile({{32, 32, image}}));
        TBitmap target;
        test::Fill(target, 32, 32, clRed);
        target.Surface().DrawGraphic(0, 0, &icon);
        EXPECT_EQ(target.Surface().ReadPixel(0, 0), clRed);
        EXPECT_EQ(icon.Width(), 32);
    }
}

}  // namespace
